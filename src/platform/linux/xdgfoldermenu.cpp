#include "platform/linux/xdgfoldermenu.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/files.h"
#include "common/log.h"

namespace platform {

namespace {

constexpr const char* kSource = "platform.foldermenu";
// Every file written carries it; only a file that still does is removed, so a
// file the user put in its place stays.
constexpr const char* kMarker = "Orvelin folder menu";

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string applicationEntry(const std::string& exec, const std::string& open, const std::string& add) {
    return "[Desktop Entry]\n"
           "# " +
           std::string(kMarker) +
           ": the player's two commands for a folder\n"
           "Type=Application\n"
           "Name=Orvelin\n"
           "NoDisplay=true\n"
           "Exec=" +
           exec +
           " %f /Open\n"
           "MimeType=inode/directory;\n"
           "Actions=Open;Add;\n"
           "\n"
           "[Desktop Action Open]\n"
           "Name=" +
           open + "\nExec=" + exec +
           " %f /Open\n"
           "\n"
           "[Desktop Action Add]\n"
           "Name=" +
           add + "\nExec=" + exec + " %f /Add\n";
}

std::string serviceMenu(const std::string& exec, const std::string& open, const std::string& add) {
    return "[Desktop Entry]\n"
           "# " +
           std::string(kMarker) +
           "\n"
           "Type=Service\n"
           "Name=Orvelin\n"
           "MimeType=inode/directory;\n"
           "Actions=OrvelinOpen;OrvelinAdd;\n"
           "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
           "X-KDE-Priority=TopLevel\n"
           "\n"
           "[Desktop Action OrvelinOpen]\n"
           "Name=" +
           open + "\nExec=" + exec +
           " %f /Open\n"
           "\n"
           "[Desktop Action OrvelinAdd]\n"
           "Name=" +
           add + "\nExec=" + exec + " %f /Add\n";
}

std::string script(const std::string& program, const char* command) {
    return "#!/bin/sh\n"
           "# " +
           std::string(kMarker) +
           ": starts the player with the first folder chosen, or else the folder shown.\n"
           "folder=$(printf '%s\\n' \"$NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\" | head -n 1)\n"
           "[ -n \"$folder\" ] || folder=$(pwd)\n"
           "exec " +
           shellQuote(program) + " \"$folder\" " + command + "\n";
}

}  // namespace

namespace xdg {

std::string EscapeValue(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c == ' ' && i == 0) out += "\\s";
        else out += c;
    }
    return out;
}

std::string QuoteExecArgument(const std::string& argument) {
    std::string out = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';  // a literal "%" is "%%", whatever the quotes
        out += c;
    }
    return out + "\"";
}

std::string ScriptName(const std::string& text, const std::string& fallback) {
    std::string name;
    for (char c : text) {
        if (c == '/') name += '-';
        else if (static_cast<unsigned char>(c) < 0x20) name += ' ';
        else name += c;
    }
    size_t start = name.find_first_not_of(". ");
    size_t end = name.find_last_not_of(' ');
    name = start == std::string::npos ? std::string() : name.substr(start, end - start + 1);
    return name.empty() ? fallback : name;
}

}  // namespace xdg

XdgFolderMenu::XdgFolderMenu(std::string dataHome, std::string program)
    : dataHome_(dataHome.empty() ? std::string() : common::withTrailingSlash(dataHome)), program_(std::move(program)) {}

bool XdgFolderMenu::Registered() { return !dataHome_.empty() && exists(RecordPath()); }

bool XdgFolderMenu::makeFolder(const std::string& folder, TRecord& record) {
    std::string path;
    for (size_t start = 1; start <= folder.size();) {
        size_t slash = folder.find('/', start);
        if (slash == std::string::npos) slash = folder.size();
        path = folder.substr(0, slash);
        start = slash + 1;
        if (path.empty() || exists(path)) continue;
        // Made private to the user, as the base folders are.
        if (::mkdir(path.c_str(), 0700) != 0) {
            common::log::warn(kSource, "cannot make \"", path, "\": ", common::log::systemError(errno));
            return false;
        }
        record.dirs.push_back(common::withTrailingSlash(path));
    }
    return true;
}

bool XdgFolderMenu::writeEntry(const std::string& path, const std::string& content, TRecord& record) {
    if (!makeFolder(common::extractFilePath(path), record)) return false;
    if (!common::writeFileAtomic(path, content)) {
        common::log::warn(kSource, "cannot write \"", path, "\": ", common::log::systemError(errno));
        return false;
    }
    record.files.push_back(path);
    // Dolphin runs only service menus that may be executed, and Files only such scripts.
    if (::chmod(path.c_str(), 0755) != 0) {
        common::log::warn(kSource, "cannot make \"", path, "\" executable: ", common::log::systemError(errno));
        return false;
    }
    return true;
}

std::optional<XdgFolderMenu::TRecord> XdgFolderMenu::loadRecord() {
    auto text = common::readFile(RecordPath());
    if (!text) return std::nullopt;
    TRecord record;
    for (size_t start = 0; start < text->size();) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        std::string line = text->substr(start, end - start);
        start = end + 1;
        if (line.size() > 2) (line[0] == 'd' ? record.dirs : record.files).push_back(line.substr(2));
    }
    return record;
}

bool XdgFolderMenu::saveRecord(const TRecord& record) {
    std::string text;
    for (const std::string& d : record.dirs) text += "d " + d + "\n";
    for (const std::string& f : record.files) text += "f " + f + "\n";
    if (common::writeFileAtomic(RecordPath(), text)) return true;
    common::log::error(kSource, "cannot record the folder menu in \"", RecordPath(),
                       "\": ", common::log::systemError(errno));
    return false;
}

bool XdgFolderMenu::Register(const TFolderMenuTexts& texts) {
    if (dataHome_.empty()) {
        common::log::warn(kSource, "no data folder: the folder menu cannot be written");
        return false;
    }
    // What stays of an earlier registration (files that could not be
    // removed) stays recorded, so that a later removal still takes it.
    Unregister();
    TRecord record = loadRecord().value_or(TRecord{});
    // The record's own folder is recorded first, so that it is removed last.
    bool ok = makeFolder(common::extractFilePath(RecordPath()), record);

    const std::string exec = xdg::EscapeValue(xdg::QuoteExecArgument(program_));
    const std::string open = xdg::EscapeValue(texts.Open), add = xdg::EscapeValue(texts.Add);
    ok = writeEntry(ApplicationEntryPath(), applicationEntry(exec, open, add), record) && ok;
    ok = writeEntry(ServiceMenuPath(), serviceMenu(exec, open, add), record) && ok;
    std::string openName = xdg::ScriptName(texts.Open, "Open in Orvelin");
    std::string addName = xdg::ScriptName(texts.Add, "Add to Orvelin");
    if (addName == openName) addName += " (/Add)";
    ok = writeEntry(ScriptsDir() + openName, script(program_, "/Open"), record) && ok;
    ok = writeEntry(ScriptsDir() + addName, script(program_, "/Add"), record) && ok;
    if (!saveRecord(record)) {
        // Unrecorded files could never be removed again: take them away now.
        for (const std::string& f : record.files) ::unlink(f.c_str());
        for (auto d = record.dirs.rbegin(); d != record.dirs.rend(); ++d) ::rmdir(d->c_str());
        return false;
    }
    return ok;
}

bool XdgFolderMenu::Unregister() {
    if (dataHome_.empty()) return true;
    std::optional<TRecord> record = loadRecord();
    if (!record) return errno == ENOENT;
    TRecord left;
    for (const std::string& path : record->files) {
        auto content = common::readFile(path);
        if (!content) {
            if (errno != ENOENT) left.files.push_back(path);
            continue;
        }
        if (content->find(kMarker) == std::string::npos) {
            common::log::info(kSource, "\"", path, "\" is no longer ours: left in place");
            continue;
        }
        if (::unlink(path.c_str()) != 0) {
            common::log::warn(kSource, "cannot remove \"", path, "\": ", common::log::systemError(errno));
            left.files.push_back(path);
        }
    }
    if (!left.files.empty()) {
        left.dirs = record->dirs;
        saveRecord(left);
        return false;
    }
    ::unlink(RecordPath().c_str());
    // Only folders this registration made, and only once they are empty.
    for (auto d = record->dirs.rbegin(); d != record->dirs.rend(); ++d) ::rmdir(d->c_str());
    return true;
}

}  // namespace platform

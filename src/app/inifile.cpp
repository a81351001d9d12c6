#include "app/inifile.h"

#include <cerrno>

#include "app/numbers.h"
#include "common/files.h"
#include "common/log.h"
#include "common/text.h"

namespace app {

namespace {
constexpr size_t npos = std::string::npos;

// A line break inside a name or value would split it into lines of its own.
std::string oneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}
}  // namespace

TMemIniFile::TMemIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    auto bytes = common::readFile(fileName_);
    if (!bytes) {
        // A missing file is a first start; one that is there but unreadable is not.
        if (errno != ENOENT)
            common::log::warn("app.settings", "cannot read \"", fileName_, "\": ", common::log::systemError(errno));
        return;
    }
    TDecodedText decoded = DecodeText(*bytes);
    encoding_ = decoded.encoding;
    lineBreak_ = std::string(LineBreakOf(decoded.text));
    for (std::string& l : SplitLines(decoded.text)) lines_.push_back(parse(std::move(l)));
}

TMemIniFile::Line TMemIniFile::parse(std::string text) {
    Line line;
    std::string_view t = common::trim(text);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        line.isSection = true;
        line.section = common::trimmed(t.substr(1, t.size() - 2));
    } else if (!t.empty() && t.front() != ';' && t.find('=') != std::string_view::npos) {
        line.isKey = true;
        line.key = common::trimmed(t.substr(0, t.find('=')));
    }
    line.text = std::move(text);
    return line;
}

size_t TMemIniFile::findSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && common::equalsNoCase(lines_[i].section, section)) return i;
    return npos;
}

size_t TMemIniFile::findKey(size_t sectionLine, std::string_view key) const {
    for (size_t i = sectionLine + 1; i < lines_.size() && !lines_[i].isSection; ++i)
        if (lines_[i].isKey && common::equalsNoCase(lines_[i].key, key)) return i;
    return npos;
}

const TMemIniFile::Line* TMemIniFile::findValue(std::string_view section, std::string_view key) const {
    size_t s = findSection(section);
    if (s == npos) return nullptr;
    size_t k = findKey(s, key);
    return k == npos ? nullptr : &lines_[k];
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    const Line* line = findValue(section, key);
    if (!line) return std::string(def);
    std::string_view t = common::trim(line->text);
    return common::trimmed(t.substr(t.find('=') + 1));
}

int TMemIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    if (!findValue(section, key)) return def;
    return ParseInt(ReadString(section, key, ""), true).value_or(def);
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TMemIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string k = oneLine(common::trim(key));
    std::string text = k + "=" + oneLine(value);
    size_t s = findSection(section);
    if (s == npos) {
        if (!lines_.empty() && !common::trim(lines_.back().text).empty()) lines_.push_back(parse(""));
        std::string header = oneLine(section);
        header.insert(0, 1, '[');
        header.push_back(']');
        lines_.push_back(parse(std::move(header)));
        lines_.push_back(parse(text));
        return;
    }
    if (size_t at = findKey(s, k); at != npos) {
        // Keeps the spelling of the name as the file has it.
        lines_[at] = parse(lines_[at].key + "=" + oneLine(value));
        return;
    }
    // New keys go after the section's last non-blank line.
    size_t end = s + 1;
    while (end < lines_.size() && !lines_[end].isSection) ++end;
    while (end > s + 1 && common::trim(lines_[end - 1].text).empty()) --end;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), parse(text));
}

void TMemIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TMemIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool TMemIniFile::SectionExists(std::string_view section) const { return findSection(section) != npos; }

bool TMemIniFile::UpdateFile() {
    std::string text;
    for (const Line& l : lines_) {
        text += l.text;
        text += lineBreak_;
    }
    if (!FitsEncoding(text, encoding_)) encoding_ = TTextEncoding::Utf16LE;
    if (common::writeFileAtomic(fileName_, EncodeText(text, encoding_))) return true;
    common::log::error("app.settings", "cannot save \"", fileName_, "\": ", common::log::systemError(errno));
    return false;
}

}  // namespace app

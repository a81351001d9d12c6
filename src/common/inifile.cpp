#include "common/inifile.h"

#include <cerrno>

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"

namespace common {

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

IniFile::IniFile(std::string fileName) : fileName_(std::move(fileName)) {
    auto bytes = readFile(fileName_);
    if (!bytes) {
        // A missing file is a first start; one that is there but unreadable is not.
        if (errno != ENOENT) {
            readFailed_ = true;
            log::warn("common.ini", "cannot read \"", fileName_, "\": ", log::systemError(errno));
        }
        return;
    }
    TDecodedText decoded = DecodeText(*bytes);
    encoding_ = decoded.encoding;
    whole_ = EncodeText(decoded.text, encoding_) == *bytes;
    lineBreak_ = std::string(LineBreakOf(decoded.text));
    for (std::string& l : SplitLines(decoded.text)) lines_.push_back(parse(std::move(l)));
}

IniFile::Line IniFile::parse(std::string text) {
    Line line;
    std::string_view t = trim(text);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        line.isSection = true;
        line.section = trimmed(t.substr(1, t.size() - 2));
    } else if (!t.empty() && t.front() != ';' && t.find('=') != std::string_view::npos) {
        line.isKey = true;
        line.key = trimmed(t.substr(0, t.find('=')));
    }
    line.text = std::move(text);
    return line;
}

size_t IniFile::findSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && equalsNoCase(lines_[i].section, section)) return i;
    return npos;
}

size_t IniFile::findKey(size_t sectionLine, std::string_view key) const {
    for (size_t i = sectionLine + 1; i < lines_.size() && !lines_[i].isSection; ++i)
        if (lines_[i].isKey && equalsNoCase(lines_[i].key, key)) return i;
    return npos;
}

const IniFile::Line* IniFile::findValue(std::string_view section, std::string_view key) const {
    size_t s = findSection(section);
    if (s == npos) return nullptr;
    size_t k = findKey(s, key);
    return k == npos ? nullptr : &lines_[k];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    const Line* line = findValue(section, key);
    if (!line) return std::string(def);
    std::string_view t = trim(line->text);
    return trimmed(t.substr(t.find('=') + 1));
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string k = oneLine(trim(key));
    std::string text = k + "=" + oneLine(value);
    size_t s = findSection(section);
    if (s == npos) {
        if (!lines_.empty() && !trim(lines_.back().text).empty()) lines_.push_back(parse(""));
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
    while (end > s + 1 && trim(lines_[end - 1].text).empty()) --end;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), parse(text));
}

bool IniFile::SectionExists(std::string_view section) const { return findSection(section) != npos; }

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    return findValue(section, key) != nullptr;
}

void IniFile::forEachKeyLine(std::string_view section, const std::function<void(size_t)>& f) const {
    bool inside = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].isSection) inside = equalsNoCase(lines_[i].section, section);
        else if (inside && lines_[i].isKey) f(i);
    }
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSectionValues(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> values;
    forEachKeyLine(section, [&](size_t i) {
        std::string_view t = trim(lines_[i].text);
        values.emplace_back(lines_[i].key, trimmed(t.substr(t.find('=') + 1)));
    });
    return values;
}

std::vector<std::string> IniFile::Sections() const {
    std::vector<std::string> names;
    for (const Line& l : lines_) {
        if (!l.isSection) continue;
        bool seen = false;
        for (const std::string& n : names) seen = seen || equalsNoCase(n, l.section);
        if (!seen) names.push_back(l.section);
    }
    return names;
}

size_t IniFile::DeleteKeys(std::string_view section, const std::function<bool(const std::string& key)>& drop) {
    std::vector<bool> gone(lines_.size(), false);
    size_t count = 0;
    forEachKeyLine(section, [&](size_t i) {
        if (drop(lines_[i].key)) gone[i] = true, ++count;
    });
    if (count == 0) return 0;
    std::vector<Line> kept;
    kept.reserve(lines_.size() - count);
    for (size_t i = 0; i < lines_.size(); ++i)
        if (!gone[i]) kept.push_back(std::move(lines_[i]));
    lines_ = std::move(kept);
    return count;
}

void IniFile::EraseSection(std::string_view section) {
    std::vector<Line> kept;
    bool inside = false;
    for (Line& l : lines_) {
        if (l.isSection) inside = equalsNoCase(l.section, section);
        if (!inside) kept.push_back(std::move(l));
    }
    lines_ = std::move(kept);
}

bool IniFile::UpdateFile() {
    if (readFailed_) {
        // Writing would replace the user's settings with what little this store holds.
        log::error("common.ini", "not saving \"", fileName_, "\": it could not be read, so it is left as it is");
        return false;
    }
    std::string text;
    for (const Line& l : lines_) {
        text += l.text;
        text += lineBreak_;
    }
    if (!FitsEncoding(text, encoding_)) encoding_ = TTextEncoding::Utf16LE;
    if (writeFileAtomic(fileName_, EncodeText(text, encoding_))) return true;
    log::error("common.ini", "cannot save \"", fileName_, "\": ", log::systemError(errno));
    return false;
}

}  // namespace common

#include "i18n/translation.h"

#include "common/files.h"
#include "common/inifile.h"
#include "common/text.h"
#include "common/textfile.h"
#include "i18n/languagefiles.h"

namespace i18n {

TMissingKeyLog::TMissingKeyLog(std::string path) : path_(std::move(path)) {
    auto bytes = common::readFile(path_);
    if (!bytes) return;
    active_ = true;
    lines_ = common::SplitLines(common::DecodeText(*bytes).text);
    for (const std::string& line : lines_) keys_.insert(line.substr(0, line.find('=')));
}

void TMissingKeyLog::Add(std::string_view key, std::string_view text) {
    if (!active_ || !keys_.insert(std::string(key)).second) return;
    lines_.push_back(std::string(key) + "=" + std::string(text));
    changed_ = true;
}

bool TMissingKeyLog::Save() {
    if (!active_ || !changed_) return true;
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    changed_ = false;
    return common::writeFileAtomic(path_, common::EncodeText(text, common::TTextEncoding::Utf16LE));
}

bool TTranslation::Load(const std::string& path) {
    values_.clear();
    common::IniFile file(path);
    if (!file.SectionExists(kTranslationSection)) return false;
    for (auto& [key, value] : file.ReadSectionValues(kTranslationSection)) values_.emplace(key, value);
    return true;
}

std::string TTranslation::Lookup(std::string_view key, std::string_view current) {
    // The first of equal keys: a multimap keeps them in the order they came.
    auto it = values_.lower_bound(key);
    if (it == values_.end() || !common::equalsNoCase(it->first, key)) {
        if (log_) log_->Add(key, current);
        return std::string(current);
    }
    std::string text = std::move(it->second);
    values_.erase(it);
    return text;
}

}  // namespace i18n

#include "tags/facade/tag.h"

#include "tags/facade/ownedlist.h"
#include "tags/facade/tagslibrary.h"

namespace tags {

namespace {
constexpr const char* kCRLF = "\r\n";
}

int TTag::GetIndex() const { return Parent ? detail::IndexOf(Parent->Tags, this) : -1; }

bool TTag::Remove() { return Parent && Parent->Remove(GetIndex()); }

bool TTag::Delete() { return Parent && Parent->Delete(GetIndex()); }

void TTag::Clear() {
    Name.clear();
    Value.clear();
    Language.clear();
    Description.clear();
}

void TTag::Assign(const TTag& source) {
    if (&source == this) return;
    Clear();
    Name = source.Name;
    Value = source.Value;
    Language = source.Language;
    Description = source.Description;
}

bool TTag::SetAsList(const std::vector<std::string>& list) {
    Value.clear();
    for (const std::string& item : list) {
        size_t eq = item.find('=');
        if (eq == std::string::npos) continue;
        Value.append(item, 0, eq).append(kCRLF).append(item, eq + 1).append(kCRLF);
    }
    return true;
}

bool TTag::GetList(std::vector<std::string>& list) const {
    list.clear();
    std::vector<std::string> lines = SplitLines(Value);
    for (size_t i = 0; i + 1 < lines.size(); i += 2) list.push_back(lines[i] + "=" + lines[i + 1]);
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

}  // namespace tags

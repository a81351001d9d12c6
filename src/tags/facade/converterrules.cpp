#include "tags/facade/converterrules.h"

#include "common/text.h"
#include "tags/facade/coverart.h"
#include "tags/facade/formatadapters.h"
#include "tags/facade/tagslibrary.h"

namespace tags {

TNumberKind NumberKindOf(const std::string& name) {
    std::string n = common::toUpper(name);
    if (n == "TRACKNUMBER" || n == "TRACK") return TNumberKind::Track;
    if (n == "DISCNUMBER" || n == "DISC") return TNumberKind::Disc;
    return TNumberKind::None;
}

TNumberKind TotalKindOf(const std::string& name) {
    std::string n = common::toUpper(name);
    if (n == "TOTALTRACKS" || n == "TRACKTOTAL") return TNumberKind::Track;
    if (n == "TOTALDISCS" || n == "DISCTOTAL") return TNumberKind::Disc;
    return TNumberKind::None;
}

const char* NumberName(TNumberKind kind) { return kind == TNumberKind::Disc ? "DISCNUMBER" : "TRACKNUMBER"; }
const char* TotalName(TNumberKind kind) { return kind == TNumberKind::Disc ? "TOTALDISCS" : "TOTALTRACKS"; }

std::optional<std::pair<std::string, std::string>> SplitNumber(const std::string& value) {
    size_t slash = value.find('/');
    if (slash == std::string::npos) return std::nullopt;
    return std::pair{value.substr(0, slash), value.substr(slash + 1)};
}

const TTag* NumberEntry(const TTags& tags, TNumberKind kind) {
    if (kind == TNumberKind::None) return nullptr;
    const TTag* t = tags.Tag(NumberName(kind));
    return t ? t : tags.Tag(kind == TNumberKind::Disc ? "DISC" : "TRACK");
}

bool NumberHoldsTotal(const TTags& tags, TNumberKind kind) {
    const TTag* t = NumberEntry(tags, kind);
    return t && SplitNumber(t->Value).has_value();
}

std::string NumberWithTotal(const TTags& tags, const std::string& number, TNumberKind kind) {
    if (SplitNumber(number)) return number;
    std::string total;
    for (const auto& e : tags.Tags)
        if (total.empty() && TotalKindOf(e->Name) == kind) total = e->Value;
    if (total.empty()) return number;
    return (number.empty() ? "0" : number) + "/" + total;
}

std::string ListToLines(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        size_t eq = item.find('=');
        out += item.substr(0, eq) + "\r\n" + (eq == std::string::npos ? "" : item.substr(eq + 1)) + "\r\n";
    }
    return out;
}

bool ItemMatchesEntry(const std::string& itemName, const std::string& itemValue, const TTag& entry) {
    if (common::equalsNoCase(itemName, entry.Name) && common::equalsNoCase(itemValue, entry.Value)) return true;
    TNumberKind kind = NumberKindOf(entry.Name);
    if (kind == TNumberKind::None || NumberKindOf(itemName) != kind) return false;
    return common::equalsNoCase(itemValue.substr(0, itemValue.find('/')), entry.Value);
}

std::string MIMETypeToWrite(const std::string& mimeType, TTagPictureFormat format, const std::string& data) {
    if (!mimeType.empty()) return mimeType;
    if (format == tpfUnknown) format = PicturePointerType(data.data(), data.size());
    switch (format) {
    case tpfJPEG: return "image/jpeg";
    case tpfPNG: return "image/png";
    case tpfBMP: return "image/bmp";
    case tpfGIF: return "image/gif";
    default: return {};
    }
}

}  // namespace tags

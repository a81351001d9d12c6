// Small rules the format converters share.
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/coverart.h"
#include "tags/facade/tag.h"

namespace tags {

namespace {

// 1 for the track number's names, 2 for the disc number's, 0 otherwise.
int NumberField(const std::string& name) {
    std::string n = common::toUpper(name);
    if (n == "TRACKNUMBER" || n == "TRACK") return 1;
    if (n == "DISCNUMBER" || n == "DISC") return 2;
    return 0;
}

}  // namespace

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
    int field = NumberField(entry.Name);
    if (field == 0 || NumberField(itemName) != field) return false;
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

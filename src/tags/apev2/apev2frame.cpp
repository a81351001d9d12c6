#include "tags/apev2/apev2library.h"

#include "common/text.h"
#include "tags/apev2/apev2text.h"
#include "tags/core/filetail.h"

#include <cstdio>

namespace tags {

std::string DecodeUtf8OrLegacy(std::string_view bytes) {
    return common::isValidUtf8(bytes) ? std::string(bytes) : common::legacyToUtf8(bytes);
}

std::string BinarySizeText(int64_t size) {
    char buf[48];
    if (size < 1024) {
        std::snprintf(buf, sizeof buf, "%lld Byte", static_cast<long long>(size));
        return buf;
    }
    static const char* const units[] = {"KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};
    double value = static_cast<double>(size) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 7) value /= 1024.0, ++unit;
    std::snprintf(buf, sizeof buf, "%.2f %s", value, units[unit]);
    return buf;
}

TAPEv2PictureFormat PictureFormatAt(std::string_view bytes) {
    auto starts = [&](std::string_view sig) { return bytes.substr(0, sig.size()) == sig; };
    if (starts("\xFF\xD8")) return pfJPEG;
    if (starts("\x89PNG")) return pfPNG;
    if (starts("GIF8")) return pfGIF;
    if (starts("BM")) return pfBMP;
    return pfUnknown;
}

std::string TAPEv2Frame::GetText() {
    AlreadyParsed = true;
    const std::string& value = Stream.Bytes();
    if (value.empty()) return {};
    if (Format == ffBinary) return "BINARY " + BinarySizeText(Stream.GetSizeConst());
    return TrimTagText(DecodeUtf8OrLegacy(value));
}

std::string TAPEv2Frame::GetTextANSI() {
    AlreadyParsed = true;
    const std::string& value = Stream.Bytes();
    if (value.empty()) return {};
    if (Format == ffBinary) return "BINARY " + BinarySizeText(Stream.GetSizeConst());
    return TrimTagText(common::legacyToUtf8(value));
}

bool TAPEv2Frame::SetText(std::string_view Text) {
    Stream.Clear();
    Stream.Bytes() = std::string(Text);
    Format = ffText;
    return true;
}

bool TAPEv2Frame::GetList(TAPEv2List& List) {
    AlreadyParsed = true;
    List.clear();
    if (Format == ffBinary) return false;
    std::vector<std::string> lines;
    std::string_view rest(Stream.Bytes());
    while (!rest.empty()) {
        size_t end = rest.find("\r\n");
        lines.push_back(TrimTagText(DecodeUtf8OrLegacy(rest.substr(0, end))));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
    }
    // A name without its value line still makes a pair.
    for (size_t i = 0; i < lines.size(); i += 2)
        List.emplace_back(lines[i], i + 1 < lines.size() ? lines[i + 1] : std::string());
    return !List.empty();
}

bool TAPEv2Frame::SetList(const TAPEv2List& List) {
    std::string value;
    for (const auto& [name, text] : List) value += name + "\r\n" + text + "\r\n";
    return SetText(value);
}

bool TAPEv2Frame::IsCoverArt() const {
    if (Format != ffBinary) return false;
    if (common::equalsNoCase(Name, "Cover Art (Front)")) return true;
    std::string_view value(Stream.Bytes());
    size_t zero = value.find('\0');
    return zero != std::string_view::npos && PictureFormatAt(value.substr(zero + 1)) != pfUnknown;
}

void TAPEv2Frame::Clear() {
    Format = ffUnknown;
    Stream.Clear();
}

bool TAPEv2Frame::Assign(const TAPEv2Frame* Source) {
    if (!Source) return false;
    if (Source == this) return true;
    Format = Source->Format;
    Stream.Clear();
    Stream.Bytes() = Source->Stream.Bytes();
    return true;
}

}  // namespace tags

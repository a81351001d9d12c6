#include "common/textfile.h"

#include "common/text.h"

namespace common {

namespace {
// Which half of the 16-bit units holds the NULs of mostly-Latin text.
TTextEncoding utf16ByNuls(std::string_view b) {
    size_t even = 0, odd = 0;
    for (size_t i = 0; i < b.size(); ++i)
        if (b[i] == '\0') ++(i % 2 ? odd : even);
    return odd >= even ? TTextEncoding::Utf16LENoBom : TTextEncoding::Utf16BENoBom;
}

bool hasHighBytes(std::string_view b) {
    for (char c : b)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}
}  // namespace

TDecodedText DecodeText(std::string_view b) {
    if (b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF") return {std::string(b.substr(3)), TTextEncoding::Utf8};
    if (b.size() >= 2 && b.substr(0, 2) == "\xFF\xFE") return {utf16leToUtf8(b.substr(2)), TTextEncoding::Utf16LE};
    if (b.size() >= 2 && b.substr(0, 2) == "\xFE\xFF") return {utf16beToUtf8(b.substr(2)), TTextEncoding::Utf16BE};
    if (b.find('\0') != std::string_view::npos) {
        TTextEncoding e = utf16ByNuls(b);
        return {e == TTextEncoding::Utf16LENoBom ? utf16leToUtf8(b) : utf16beToUtf8(b), e};
    }
    if (hasHighBytes(b) && isValidUtf8(b)) return {std::string(b), TTextEncoding::Utf8NoBom};
    return {legacyToUtf8(b), TTextEncoding::Legacy};
}

std::string EncodeText(std::string_view utf8, TTextEncoding encoding) {
    switch (encoding) {
    case TTextEncoding::Utf8: return "\xEF\xBB\xBF" + std::string(utf8);
    case TTextEncoding::Utf16LE: return "\xFF\xFE" + utf8ToUtf16le(utf8);
    case TTextEncoding::Utf16BE: return "\xFE\xFF" + utf8ToUtf16be(utf8);
    case TTextEncoding::Utf8NoBom: return std::string(utf8);
    case TTextEncoding::Utf16LENoBom: return utf8ToUtf16le(utf8);
    case TTextEncoding::Utf16BENoBom: return utf8ToUtf16be(utf8);
    case TTextEncoding::Legacy: break;
    }
    return utf8ToLegacy(utf8);
}

bool FitsEncoding(std::string_view utf8, TTextEncoding encoding) {
    if (encoding != TTextEncoding::Legacy) return true;
    return legacyToUtf8(utf8ToLegacy(utf8)) == utf8;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string_view LineBreakOf(std::string_view text) {
    size_t i = text.find_first_of("\r\n");
    if (i == std::string_view::npos) return "\r\n";
    if (text[i] == '\n') return "\n";
    return i + 1 < text.size() && text[i + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace common

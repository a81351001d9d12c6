#include "app/textfile.h"

#include "common/text.h"

namespace app {

TDecodedText DecodeText(std::string_view b) {
    if (b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF") return {std::string(b.substr(3)), TTextEncoding::Utf8};
    if (b.size() >= 2 && b.substr(0, 2) == "\xFF\xFE")
        return {common::utf16leToUtf8(b.substr(2)), TTextEncoding::Utf16LE};
    if (b.size() >= 2 && b.substr(0, 2) == "\xFE\xFF")
        return {common::utf16beToUtf8(b.substr(2)), TTextEncoding::Utf16BE};
    return {common::legacyToUtf8(b), TTextEncoding::Legacy};
}

std::string EncodeText(std::string_view utf8, TTextEncoding encoding) {
    switch (encoding) {
    case TTextEncoding::Utf8: return "\xEF\xBB\xBF" + std::string(utf8);
    case TTextEncoding::Utf16LE: return "\xFF\xFE" + common::utf8ToUtf16le(utf8);
    case TTextEncoding::Utf16BE: return "\xFE\xFF" + common::utf8ToUtf16be(utf8);
    case TTextEncoding::Legacy: break;
    }
    return common::utf8ToLegacy(utf8);
}

bool FitsEncoding(std::string_view utf8, TTextEncoding encoding) {
    if (encoding != TTextEncoding::Legacy) return true;
    return common::legacyToUtf8(common::utf8ToLegacy(utf8)) == utf8;
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

}  // namespace app

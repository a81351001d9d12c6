#include "audio/icy.h"

#include <cctype>
#include <cstring>

#include "common/text.h"

namespace audio {

namespace {

// Stations send UTF-8, or else their own 8-bit text; Windows-1252 reads most of that.
std::string displayText(const std::string& bytes) {
    std::string text = common::isValidUtf8(bytes) ? bytes : common::codePageToUtf8(bytes, 1252);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}

// After a closing quote: the end of the block, or the next "Key=".
bool endsValue(const std::string& meta, size_t after) {
    if (after >= meta.size()) return true;
    size_t k = after;
    while (k < meta.size() && std::isalpha(static_cast<unsigned char>(meta[k]))) ++k;
    return k > after && k < meta.size() && meta[k] == '=';
}

}  // namespace

std::optional<std::string> ParseStreamTitle(const std::string& meta) {
    static const std::string key = "StreamTitle=";
    size_t at = meta.find(key);
    if (at == std::string::npos) return std::nullopt;
    size_t begin = at + key.size();
    if (begin < meta.size() && meta[begin] == '\'') {
        ++begin;
        // The closing quote is the one followed by ";" and then the end or the
        // next field; a title may hold both characters itself.
        for (size_t q = meta.find("';", begin); q != std::string::npos; q = meta.find("';", q + 1))
            if (endsValue(meta, q + 2)) return displayText(meta.substr(begin, q - begin));
        size_t last = meta.rfind('\'');
        size_t end = last != std::string::npos && last >= begin ? last : meta.size();
        return displayText(meta.substr(begin, end - begin));
    }
    size_t end = meta.find(';', begin);
    return displayText(meta.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
}

TRadioHeaders ParseRadioHeaders(const char* block) {
    TRadioHeaders h;
    for (const char* p = block; p && *p; p += std::strlen(p) + 1) {
        if (std::strncmp(p, "icy-name:", 9) == 0) h.StationName = displayText(p + 9);
        else if (std::strncmp(p, "icy-br:", 7) == 0) h.Bitrate = p + 7;
    }
    return h;
}

}  // namespace audio

#include "player/radio.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace player {

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

bool IsStreamUrl(const std::string& location) {
    return common::startsWithNoCase(location, "http://") || common::startsWithNoCase(location, "https://");
}

std::string EncodeStreamUrl(const std::string& url) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7f) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

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

std::string RadioBitrateText(const std::string& header, std::optional<float> attribute, std::optional<uint32_t> rate) {
    std::string text = header;
    if (text.empty() || text == "0") {
        text = "128";
        if (attribute && std::isfinite(*attribute) && *attribute >= 0 && *attribute < 1e6f) {
            text = std::to_string(std::lround(*attribute));
        } else if (rate) {
            uint32_t r = *rate;
            text = r >= 48000   ? "192"
                   : r >= 44100 ? "128"
                   : r >= 32000 ? "96"
                   : r >= 22050 ? "64"
                   : r >= 11025 ? "32"
                                : "128";
        }
    }
    if (text.empty() || text == "0") text = "128";
    return text;
}

std::string RadioRateText(std::optional<uint32_t> rate) {
    if (!rate) return "44.1 kHz";
    if (*rate < 1000) return std::to_string(*rate) + " Hz";
    // "0.0" rounds halves away from zero: 22050 shows as 22.1.
    long tenths = std::lround(*rate / 100.0);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " kHz";
}

TRadioTexts RadioTexts(const std::string& streamTitle, const std::string& stationName) {
    TRadioTexts t;
    size_t dash = streamTitle.find(" - ");
    if (dash == std::string::npos) {
        t.Artist = streamTitle;
        t.Title = stationName;
        t.TrayHint = stationName.empty() ? streamTitle : streamTitle + " | " + stationName;
    } else {
        t.Artist = common::trimmed(streamTitle.substr(0, dash));
        t.Title = common::trimmed(streamTitle.substr(dash + 3));
        t.Year = stationName;
        t.TrayHint = t.Artist + " - " + t.Title;
        if (!stationName.empty()) t.TrayHint += " (" + stationName + ")";
    }
    t.ScrollTitle = stationName.empty() ? streamTitle : streamTitle + " | " + stationName;
    return t;
}

}  // namespace player

#include "player/radio.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace player {

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

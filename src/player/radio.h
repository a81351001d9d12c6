// What a radio stream shows: the title from its metadata, the station and bit
// rate from its headers, and the texts the labels, the tray and the title line
// make of them. Pure text work; the window polls the engine and calls these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "audio/icy.h"

namespace player {

// True for a location that names an HTTP or HTTPS URL (letter case ignored).
bool IsStreamUrl(const std::string& location);

// The URL as the network wants it: spaces, control characters and the bytes
// of non-ASCII letters percent-encoded; everything else, "%" included, as is.
std::string EncodeStreamUrl(const std::string& url);

// The title of a metadata block and the station's header lines.
using audio::ParseRadioHeaders;
using audio::ParseStreamTitle;
using audio::TRadioHeaders;

// The bit-rate text: the header's value unless it is empty or "0"; then the
// channel's bit-rate attribute, rounded; then a guess from the sample rate;
// "128" when nothing else gives a number.
std::string RadioBitrateText(const std::string& header, std::optional<float> attribute, std::optional<uint32_t> rate);

// "44.1 kHz" when the rate is unknown; below 1000 the rate in Hz; else kHz with
// one decimal ("22.1 kHz" for 22050).
std::string RadioRateText(std::optional<uint32_t> rate);

// The texts made of a stream title and its station.
struct TRadioTexts {
    std::string Artist, Title;
    std::optional<std::string> Year;  // the year label; left as it is without a split
    std::string TrayHint;
    std::string ScrollTitle;  // the title line
};
// "Artist - Song" is split at its first " - " (both parts trimmed) into the
// artist and title labels, with the station in the year label; a title
// without " - " goes whole to the artist label and the station to the title.
TRadioTexts RadioTexts(const std::string& streamTitle, const std::string& stationName);

}  // namespace player

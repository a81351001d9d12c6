// Durations as the playlist shows them ("m:ss") and as M3U files store them
// (whole seconds).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace player {

// Whole seconds of a duration text, or -1 when it has none: an integer is
// seconds; "m:s" and "h:m:s" are split at every ":"; other text is a decimal
// number of minutes ("2.5" or "2,5"), rounded to whole seconds.
int DurationToSeconds(std::string_view text);
// "m:ss" with minutes unbounded (3725 gives "62:05"); negative gives "0:00".
std::string SecondsToDuration(int seconds);

// 699 gives "699 B", 700 "1 kB", 1536 "2 kB"; halves round to even.
std::string FormatByteSize(int64_t size);
// Size of a file, or -1 when it cannot be found.
int64_t FileSizeOf(const std::string& path);

}  // namespace player

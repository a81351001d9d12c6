#pragma once

#include <string>

namespace audio::detail {

// The first stream URL of a PLS, M3U or ASX/WPL playlist text, or "" when
// the text is none of these (or an HLS playlist, which the demuxer plays itself).
std::string firstPlaylistEntry(const std::string& text);

// Whether a URL's path names a playlist file rather than a stream.
bool looksLikePlaylistUrl(const std::string& url);

}  // namespace audio::detail

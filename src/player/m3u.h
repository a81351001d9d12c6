// M3U playlists: the reader that fills the playlist grid and the writer
// that stores it. Grid columns: 0 number, 1 title, 2 duration, 3 location.
#pragma once

#include <string>
#include <string_view>

#include "kit/grid.h"

namespace player {

enum PlaylistColumn { colNumber = 0, colTitle = 1, colDuration = 2, colLocation = 3 };

// Text of a playlist file: a byte-order mark decides; without one, strict
// UTF-8, and the legacy code page when that fails.
std::string DecodePlaylistText(std::string_view bytes);
// Replaces the grid's rows with the file's entries; false (grid untouched)
// when the file cannot be read.
bool M3UToStringGridAdvanced(const std::string& path, ui::TStringGrid& grid);
// The same from text already decoded.
void ParseM3U(std::string_view text, ui::TStringGrid& grid);

// Writes the grid as UTF-8 with a byte-order mark, CR LF after every line,
// through a temporary file. Rows without a title or a location are left out.
bool SaveList(const std::string& path, const ui::TStringGrid& grid);

// The name part of a location: what follows its last "/".
std::string LocationFileName(std::string_view location);
// The file name of a path without its extension ("/a/Song.mp3" gives "Song").
std::string ExtractOnlyFileName(std::string_view path);

}  // namespace player

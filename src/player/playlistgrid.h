// Whole-grid operations on the playlist: numbering, dropping dead rows, the
// backup copy, column fitting and the statistics under the grid.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kit/grid.h"

namespace player {

// Column 0 := 1-based position, at least four digits ("0001").
void TracksNumberSG(ui::TStringGrid& grid);
// Drops rows whose location neither starts with "http" (any case) nor names
// an existing file; onRemoved hears each dropped title, last row first.
// Returns how many rows went.
int DeleteEmptyRowTrak(ui::TStringGrid& grid, const std::function<void(const std::string&)>& onRemoved = {});
// The rows DeleteEmptyRowTrak drops, flagged.
std::vector<bool> DeadRows(const ui::TStringGrid& grid);
// Drops rows whose four cells are blank.
void DeleteEmptyRow(ui::TStringGrid& grid);
// The backup grid becomes a copy of the playlist grid.
void CopyStringGrid(const ui::TStringGrid& from, ui::TStringGrid& to);
// The widest text of the column (at least the default width), plus 5.
int ColumnWidthAlign(const ui::TStringGrid& grid, int col);

// The statistics panels: rows, total size of existing files, total
// duration of existing files as "dd:hh:mm:ss".
std::string SongNumberText(const ui::TStringGrid& grid);
std::string SizeTrackText(const ui::TStringGrid& grid);
std::string LongTimeText(const ui::TStringGrid& grid);

// Both totals from one look at each file, for refreshing the panels together.
struct TPlaylistTotals {
    int64_t bytes = 0;    // stops at the largest value
    int64_t seconds = 0;  // of the "m:ss" cells that parse
};
TPlaylistTotals PlaylistTotals(const ui::TStringGrid& grid);
// The same on any thread, over a copy of the rows' locations and durations;
// it ends early once stop is set.
struct TTotalsRow {
    std::string location, duration;
};
TPlaylistTotals PlaylistTotals(const std::vector<TTotalsRow>& rows, const std::atomic<bool>& stop);
std::string SizeText(const TPlaylistTotals& totals);
std::string DurationText(const TPlaylistTotals& totals);

}  // namespace player

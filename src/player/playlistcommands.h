// What the editing commands do to the rows of the playlist grid, apart from
// the window: new orders, duplicates, the search filter, and keeping the
// row numbers of the play history and the random order pointing at the
// entries they named.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "kit/grid.h"
#include "player/history.h"

namespace player {

// A new order of the rows: order[i] is the old index of the row that goes to place i.
using TRowOrder = std::vector<int>;
// Where each old row went (new index), or -1 for a row that is gone.
using TRowMap = std::vector<int>;

// By title ignoring case; equal titles keep their order.
TRowOrder OrderByTitle(const ui::TStringGrid& grid);
// By length, shortest first; durations that say nothing ("", "abc") first,
// in their order. Compared as times, so 2:00 comes before 10:00.
TRowOrder OrderByDuration(const ui::TStringGrid& grid);
// A uniform shuffle: for each place i, a random place from i to the end is
// swapped into it.
TRowOrder ShuffledOrder(int rows, std::mt19937& random);
// The grid's rows in that order (all columns move with their row).
void ApplyRowOrder(ui::TStringGrid& grid, const TRowOrder& order);
TRowMap MapOfOrder(const TRowOrder& order);

// The map of a removal: remove[r] set for each row that goes.
TRowMap MapOfRemoval(const std::vector<bool>& remove);
// 1-based row numbers, one per line, follow their rows: a line of a row that
// is gone leaves; other lines (not numbers, past the map) stay as they are.
void RemapRowLines(TLines& lines, const TRowMap& map);
// A 0-based row through the map (-1 stays -1, and so does a row past the map).
int MapRow(const TRowMap& map, int row);

// The rows to remove so that each location is left once: of equal locations
// (ignoring case) the last one stays. Two locations that differ only in case
// but name two different existing files are both kept: they are two files.
std::vector<bool> DuplicateRows(const ui::TStringGrid& grid);

// The rows of `from` whose title contains the text, ignoring case (Latin,
// Greek and Cyrillic letters alike).
std::vector<int> FilterRows(const ui::TStringGrid& from, const std::string& text);
// The grid becomes exactly those rows of `from`, all columns.
void ShowRows(ui::TStringGrid& grid, const ui::TStringGrid& from, const std::vector<int>& rows);

}  // namespace player

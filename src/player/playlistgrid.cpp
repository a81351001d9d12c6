#include "player/playlistgrid.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "app/numbers.h"
#include "common/files.h"
#include "common/text.h"
#include "player/duration.h"
#include "player/m3u.h"

namespace player {

void TracksNumberSG(ui::TStringGrid& grid) {
    grid.BeginUpdate();
    char buf[16];
    for (int r = 0; r < grid.RowCount(); ++r) {
        std::snprintf(buf, sizeof buf, "%.4d", r + 1);
        grid.SetCell(colNumber, r, buf);
    }
    grid.EndUpdate();
}

std::vector<bool> DeadRows(const ui::TStringGrid& grid) {
    std::vector<bool> dead(size_t(grid.RowCount()), false);
    for (int r = 0; r < grid.RowCount(); ++r) {
        const std::string& location = grid.Cell(colLocation, r);
        dead[size_t(r)] = !common::startsWithNoCase(location, "http") && !common::fileExists(location);
    }
    return dead;
}

int DeleteEmptyRowTrak(ui::TStringGrid& grid, const std::function<void(const std::string&)>& onRemoved) {
    std::vector<bool> remove(size_t(grid.RowCount()), false);
    int removed = 0;
    for (int r = grid.RowCount() - 1; r >= 0; --r) {
        const std::string& location = grid.Cell(colLocation, r);
        if (common::startsWithNoCase(location, "http") || common::fileExists(location)) continue;
        remove[size_t(r)] = true;
        ++removed;
        if (onRemoved) onRemoved(grid.Cell(colTitle, r));
    }
    if (removed) grid.DeleteRows(remove);
    return removed;
}

void DeleteEmptyRow(ui::TStringGrid& grid) {
    std::vector<bool> remove(size_t(grid.RowCount()), false);
    bool any = false;
    for (int r = 0; r < grid.RowCount(); ++r) {
        bool blank = true;
        for (int c = 0; c < grid.ColCount() && blank; ++c) blank = common::trim(grid.Cell(c, r)).empty();
        remove[size_t(r)] = blank;
        any = any || blank;
    }
    if (any) grid.DeleteRows(remove);
}

void CopyStringGrid(const ui::TStringGrid& from, ui::TStringGrid& to) { to.Assign(from); }

int ColumnWidthAlign(const ui::TStringGrid& grid, int col) {
    int widest = grid.DefaultColWidth();
    for (int r = 0; r < grid.RowCount(); ++r) widest = std::max(widest, grid.TextWidth(grid.Cell(col, r)));
    return widest + 5;
}

std::string SongNumberText(const ui::TStringGrid& grid) { return std::to_string(grid.RowCount()); }

namespace {
enum TotalsWanted { wantBytes = 1, wantSeconds = 2 };

// Adds one row: its file's size, and its duration when the file exists.
void addRow(TPlaylistTotals& t, const std::string& location, const std::string& cell, int wanted) {
    size_t colon = cell.find(':');
    bool timed = (wanted & wantSeconds) && !cell.empty() && colon != std::string::npos;
    if (!(wanted & wantBytes) && !timed) return;
    // One directory look per row: a size means an existing file.
    int64_t size = FileSizeOf(location);
    if (size < 0) return;
    if (wanted & wantBytes)
        t.bytes =
            size > std::numeric_limits<int64_t>::max() - t.bytes ? std::numeric_limits<int64_t>::max() : t.bytes + size;
    if (!timed) return;
    auto minutes = app::ParseInt(std::string_view(cell).substr(0, colon));
    auto seconds = app::ParseInt(std::string_view(cell).substr(colon + 1));
    if (minutes && seconds && *minutes >= 0 && *seconds >= 0) t.seconds += int64_t(*minutes) * 60 + *seconds;
}

TPlaylistTotals totals(const ui::TStringGrid& grid, int wanted) {
    TPlaylistTotals t;
    for (int r = 0; r < grid.RowCount(); ++r) addRow(t, grid.Cell(colLocation, r), grid.Cell(colDuration, r), wanted);
    return t;
}
}  // namespace

TPlaylistTotals PlaylistTotals(const ui::TStringGrid& grid) { return totals(grid, wantBytes | wantSeconds); }
TPlaylistTotals PlaylistTotals(const std::vector<TTotalsRow>& rows, const std::atomic<bool>& stop) {
    TPlaylistTotals t;
    for (const TTotalsRow& row : rows) {
        if (stop.load(std::memory_order_relaxed)) break;
        addRow(t, row.location, row.duration, wantBytes | wantSeconds);
    }
    return t;
}
std::string SizeTrackText(const ui::TStringGrid& grid) { return SizeText(totals(grid, wantBytes)); }
std::string LongTimeText(const ui::TStringGrid& grid) { return DurationText(totals(grid, wantSeconds)); }

std::string SizeText(const TPlaylistTotals& totals) { return FormatByteSize(totals.bytes); }

std::string DurationText(const TPlaylistTotals& totals) {
    int64_t s = totals.seconds;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2lld:%.2lld:%.2lld:%.2lld", static_cast<long long>(s / 86400),
                  static_cast<long long>(s % 86400 / 3600), static_cast<long long>(s % 3600 / 60),
                  static_cast<long long>(s % 60));
    return buf;
}

}  // namespace player

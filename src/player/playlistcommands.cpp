#include "player/playlistcommands.h"

#include <sys/stat.h>

#include <algorithm>
#include <numeric>

#include "common/text.h"
#include "player/duration.h"
#include "player/m3u.h"

namespace player {

namespace {

TRowOrder identity(int rows) {
    TRowOrder order(size_t(std::max(rows, 0)));
    std::iota(order.begin(), order.end(), 0);
    return order;
}

// Two paths that name one existing file, or not both existing files.
bool sameFileOrNotTwoFiles(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return true;
    if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode)) return true;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// One column of every row lower-cased, side by side in one buffer: no
// allocation per row.
class LowerKeys {
public:
    LowerKeys(const ui::TStringGrid& grid, int col) : start_(size_t(grid.RowCount()) + 1, 0) {
        for (int r = 0; r < grid.RowCount(); ++r) {
            start_[size_t(r)] = text_.size();
            const std::string& cell = grid.Cell(col, r);
            if (std::all_of(cell.begin(), cell.end(), [](char c) { return (c & 0x80) == 0; })) {
                for (char c : cell) text_.push_back(c >= 'A' && c <= 'Z' ? char(c + 32) : c);
            } else {
                text_ += common::toLower(cell);
            }
        }
        start_.back() = text_.size();
    }
    std::string_view operator[](int r) const {
        return std::string_view(text_).substr(start_[size_t(r)], start_[size_t(r) + 1] - start_[size_t(r)]);
    }

private:
    std::string text_;
    std::vector<size_t> start_;
};

}  // namespace

TRowOrder OrderByTitle(const ui::TStringGrid& grid) {
    // Byte order of UTF-8 is code-point order.
    LowerKeys keys(grid, colTitle);
    TRowOrder order = identity(grid.RowCount());
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    return order;
}

TRowOrder OrderByDuration(const ui::TStringGrid& grid) {
    std::vector<int> seconds(size_t(grid.RowCount()));
    for (int r = 0; r < grid.RowCount(); ++r) seconds[size_t(r)] = DurationToSeconds(grid.Cell(colDuration, r));
    TRowOrder order = identity(grid.RowCount());
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return seconds[size_t(a)] < seconds[size_t(b)]; });
    return order;
}

TRowOrder ShuffledOrder(int rows, std::mt19937& random) {
    TRowOrder order = identity(rows);
    for (int i = 0; i + 1 < rows; ++i) {
        int a = std::uniform_int_distribution<int>(0, rows - i - 1)(random);
        if (a != 0) std::swap(order[size_t(i)], order[size_t(i + a)]);
    }
    return order;
}

void ApplyRowOrder(ui::TStringGrid& grid, const TRowOrder& order) {
    int row = grid.Row();
    grid.PermuteRows(order);
    // The selection stays on its entry.
    if (int moved = MapRow(MapOfOrder(order), row); moved >= 0) grid.SetRow(moved);
}

TRowMap MapOfOrder(const TRowOrder& order) {
    TRowMap map(order.size(), -1);
    for (size_t place = 0; place < order.size(); ++place)
        if (order[place] >= 0 && size_t(order[place]) < map.size()) map[size_t(order[place])] = int(place);
    return map;
}

TRowMap MapOfRemoval(const std::vector<bool>& remove) {
    TRowMap map(remove.size(), -1);
    int next = 0;
    for (size_t r = 0; r < remove.size(); ++r)
        if (!remove[r]) map[r] = next++;
    return map;
}

int MapRow(const TRowMap& map, int row) { return row >= 0 && size_t(row) < map.size() ? map[size_t(row)] : -1; }

void RemapRowLines(TLines& lines, const TRowMap& map) {
    TLines out;
    out.reserve(lines.size());
    for (std::string& line : lines) {
        std::optional<int> n = RowNumber(line);
        if (!n || size_t(*n) > map.size()) {
            out.push_back(std::move(line));
            continue;
        }
        int moved = map[size_t(*n - 1)];
        if (moved >= 0) out.push_back(std::to_string(moved + 1));
    }
    lines = std::move(out);
}

std::vector<bool> DuplicateRows(const ui::TStringGrid& grid) {
    const int rows = grid.RowCount();
    std::vector<bool> remove(size_t(rows), false);
    LowerKeys key(grid, colLocation);

    // The rows kept so far, in an open table by key. Several rows may share a
    // key when they are files that differ only in case; each is looked at.
    size_t capacity = 16;
    while (capacity < size_t(rows) * 2) capacity *= 2;
    std::vector<int> table(capacity, -1);
    for (int r = rows - 1; r >= 0; --r) {
        const std::string& location = grid.Cell(colLocation, r);
        std::string_view k = key[r];
        size_t at = std::hash<std::string_view>{}(k) & (capacity - 1);
        bool duplicate = false;
        for (; table[at] >= 0 && !duplicate; at = (at + 1) & (capacity - 1)) {
            int kept = table[at];
            if (key[kept] != k) continue;
            const std::string& other = grid.Cell(colLocation, kept);
            duplicate = other == location || sameFileOrNotTwoFiles(other, location);
        }
        if (duplicate) remove[size_t(r)] = true;
        else table[at] = r;
    }
    return remove;
}

std::vector<int> FilterRows(const ui::TStringGrid& from, const std::string& text) {
    std::vector<int> rows;
    const std::string needle = common::toLower(text);
    for (int r = 0; r < from.RowCount(); ++r) {
        const std::string& title = from.Cell(colTitle, r);
        // Most titles lower-case to the same length; findNoCase copes with the rest.
        std::string lowered = common::toLower(title);
        bool found = lowered.size() == title.size() ? lowered.find(needle) != std::string::npos
                                                    : common::findNoCase(title, text) != std::string::npos;
        if (found) rows.push_back(r);
    }
    return rows;
}

void ShowRows(ui::TStringGrid& grid, const ui::TStringGrid& from, const std::vector<int>& rows) {
    const int cols = grid.ColCount();
    std::vector<std::string> cells;
    cells.reserve(rows.size() * size_t(cols));
    for (int r : rows)
        for (int c = 0; c < cols; ++c) cells.push_back(from.Cell(c, r));
    grid.SetContent(static_cast<int>(rows.size()), std::move(cells));
}

}  // namespace player

#include "player/m3u.h"

#include <cerrno>
#include <vector>

#include "app/numbers.h"
#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "player/duration.h"

namespace player {

namespace {
// Playlist lines lose everything below "!" at both ends (blanks and controls).
std::string_view trim33(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) < 33) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) < 33) --e;
    return s.substr(b, e - b);
}

std::string number4(int n) {
    std::string s = std::to_string(n);
    return s.size() < 4 ? std::string(4 - s.size(), '0') + s : s;
}
}  // namespace

std::string DecodePlaylistText(std::string_view b) {
    if (b.size() >= 3) {
        if (b.substr(0, 3) == "\xEF\xBB\xBF") return std::string(b.substr(3));
        if (b.substr(0, 2) == "\xFF\xFE") return common::utf16leToUtf8(b.substr(2));
        if (b.substr(0, 2) == "\xFE\xFF") return common::utf16beToUtf8(b.substr(2));
    }
    if (common::isValidUtf8(b)) return std::string(b);
    return common::legacyToUtf8(b);
}

std::string LocationFileName(std::string_view location) { return common::extractFileName(location); }

std::string ExtractOnlyFileName(std::string_view path) {
    std::string name = common::extractFileName(path);
    return name.substr(0, name.size() - common::extractFileExt(name).size());
}

bool M3UToStringGridAdvanced(const std::string& path, ui::TStringGrid& grid) {
    auto bytes = common::readFile(path);
    if (!bytes) {
        if (errno != ENOENT)
            common::log::warn("player.m3u", "cannot read \"", path, "\": ", common::log::systemError(errno));
        return false;
    }
    ParseM3U(DecodePlaylistText(*bytes), grid);
    return true;
}

void ParseM3U(std::string_view text, ui::TStringGrid& grid) {
    const int cols = grid.ColCount();
    std::vector<std::string> cells;
    int n = 0;
    bool pending = false;
    std::string pendingDuration, pendingTitle;

    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = trim33(text.substr(pos, end - pos));
        pos = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);

        if (line.empty() || line == "#EXTM3U" || line.starts_with("#PLAYLIST:")) continue;
        if (line.starts_with("#EXTINF:")) {
            std::string_view rest = line.substr(8);
            size_t comma = rest.find(',');
            if (comma != std::string_view::npos) {
                pendingDuration = trim33(rest.substr(0, comma));
                std::string_view title = trim33(rest.substr(comma + 1));
                if (title.starts_with('"')) title.remove_prefix(1);
                if (title.ends_with('"')) title.remove_suffix(1);
                pendingTitle = title;
            } else {
                pendingDuration = trim33(rest);
                pendingTitle.clear();
            }
            pending = true;
            continue;
        }
        if (line.starts_with('#')) continue;

        ++n;
        cells.resize(size_t(n) * size_t(cols));
        std::string* row = &cells[size_t(n - 1) * size_t(cols)];
        auto put = [&](int col, std::string value) {
            if (col < cols) row[col] = std::move(value);
        };
        put(colNumber, number4(n));
        put(colLocation, std::string(line));
        if (pending) {
            put(colTitle, pendingTitle.empty() ? LocationFileName(line) : pendingTitle);
            std::string duration = "0:00";
            if (!pendingDuration.empty() && pendingDuration != "-1") {
                auto seconds = app::ParseInt(pendingDuration);
                duration = seconds ? SecondsToDuration(*seconds) : pendingDuration;
            }
            put(colDuration, std::move(duration));
            pending = false;
        } else {
            put(colTitle, LocationFileName(line));
            put(colDuration, "0:00");
        }
    }
    grid.SetContent(n, std::move(cells));
}

bool SaveList(const std::string& path, const ui::TStringGrid& grid) {
    std::string out = "\xEF\xBB\xBF#EXTM3U\r\n";
    for (int r = 0; r < grid.RowCount(); ++r) {
        std::string title(trim33(grid.Cell(colTitle, r)));
        std::string_view location = trim33(grid.Cell(colLocation, r));
        // A line break inside a location cannot be stored; inside a title it
        // would start a line of its own.
        if (title.empty() || location.empty() || location.find_first_of("\r\n") != std::string_view::npos) continue;
        for (char& c : title)
            if (c == '\r' || c == '\n') c = ' ';
        int seconds = DurationToSeconds(trim33(grid.Cell(colDuration, r)));
        out += "#EXTINF:";
        out += std::to_string(seconds < 0 ? -1 : seconds);
        out += ',';
        out += title;
        out += "\r\n";
        out += location;
        out += "\r\n";
    }
    if (common::writeFileAtomic(path, out)) return true;
    common::log::error("player.m3u", "cannot save \"", path, "\": ", common::log::systemError(errno));
    return false;
}

}  // namespace player

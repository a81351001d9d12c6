#include "player/history.h"

#include <charconv>

namespace player {

void AppendHistory(TLines& history, int row) { history.push_back(std::to_string(row)); }

std::optional<int> StepBackInHistory(TLines& history) {
    if (history.empty()) return std::nullopt;
    history.pop_back();
    if (history.empty()) return std::nullopt;
    std::optional<int> row = RowNumber(history.back());
    history.pop_back();
    return row;
}

std::optional<int> RowNumber(const std::string& line) {
    size_t b = line.find_first_not_of(" \t"), e = line.find_last_not_of(" \t\r");
    if (b == std::string::npos) return std::nullopt;
    int n = 0;
    auto [p, ec] = std::from_chars(line.data() + b, line.data() + e + 1, n);
    if (ec != std::errc() || p != line.data() + e + 1 || n < 1) return std::nullopt;
    return n;
}

}  // namespace player

// The play history: 1-based playlist row numbers, one per line, oldest first.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace player {

using TLines = std::vector<std::string>;

void AppendHistory(TLines& history, int row);
// Drops the entry just played and the one before it, and returns that one's
// 1-based row, which starting it appends again; nullopt when there is none
// (or its line is not a row number).
std::optional<int> StepBackInHistory(TLines& history);

// A line as a 1-based row number; nullopt for anything else.
std::optional<int> RowNumber(const std::string& line);

}  // namespace player

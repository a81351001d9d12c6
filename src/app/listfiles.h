// The player's two list files ("song.ini", "randomsong.ini"): one entry per
// line, written in UTF-16LE with a byte-order mark.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace app {

// The lines of a text file, read with byte-order-mark detection; nullopt
// when it cannot be read.
std::optional<std::vector<std::string>> LoadLines(const std::string& path);
// Every line ended by CR LF; false (the old file kept) on failure.
bool SaveLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace app

// The random play order: a permutation of the playlist's 1-based row
// numbers, one per line; line 0 stands for the entry playing now.
#pragma once

#include <optional>
#include <random>

#include "player/history.h"

namespace player {

// A uniform permutation of 1..rows: each position draws from 0..rows-1 and
// draws again while the number is taken.
TLines BuildRandomOrder(int rows, std::mt19937& random);
// Drops line 0 and returns the row the new line 0 names; nullopt when the
// order is used up.
std::optional<int> AdvanceRandomOrder(TLines& order);
// The row that the next advance would play (line 1), if any.
std::optional<int> RandomOrderNext(const TLines& order);

}  // namespace player

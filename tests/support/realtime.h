// Waiting on the real-time output path (SDL's silent and disk drivers), which
// runs on its own clock: no gate or manual clock reaches inside it.
#pragma once

#include <chrono>
#include <functional>

namespace testenv {

// Checks `condition` every millisecond until it holds; false after `limit`.
// The limit only turns a hang into a failure: tests assert nothing about how
// soon the condition comes, so a loaded machine is merely slower.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(60));

}  // namespace testenv

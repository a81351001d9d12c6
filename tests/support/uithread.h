// The UI thread's side of a test with worker threads.
#pragma once

#include <chrono>
#include <functional>

#include "kit/dispatcher.h"

namespace testenv {

// Runs the UI thread's queue until done() holds, waiting for each post of
// the workers. False when nothing arrives for `quiet`: the workers hang, or
// done() waits for something they never send. No amount of load explains that.
bool pumpUntil(ui::QueueDispatcher& ui, const std::function<bool()>& done,
               std::chrono::milliseconds quiet = std::chrono::seconds(60));

}  // namespace testenv

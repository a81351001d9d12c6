// Holds a worker thread at a point of the test's choosing, so that a test of
// concurrent code decides the order of events instead of the machine's speed.
#pragma once

#include <condition_variable>
#include <mutex>

namespace testenv {

class Gate {
public:
    // Worker side: waits for a permit, or goes straight on once the gate is open.
    void pass();
    // Test side: lets `n` more passes through.
    void allow(int n = 1);
    // Test side: lets every pass through from now on.
    void open();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int permits_ = 0;
    bool open_ = false;
};

}  // namespace testenv

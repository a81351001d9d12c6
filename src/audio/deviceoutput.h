#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audio::detail {

// The sound card side: 32-bit float stereo pulled by a callback on the
// output library's own thread.
class DeviceOutput {
public:
    using Fill = void (*)(void* user, float* out, uint32_t frames);

    ~DeviceOutput();
    // driver: nullptr for the system's choice, "dummy" for a silent device
    // that still consumes in real time. The device starts paused. Returns an error code.
    int open(const char* driver, uint32_t freq, Fill fill, void* user);
    void close();
    void pause(bool paused);
    uint32_t rate() const { return rate_; }
    uint32_t bufferFrames() const { return frames_; }
    std::string driver() const { return driver_; }
    static std::vector<std::string> deviceNames();

private:
    uint32_t id_ = 0;
    uint32_t rate_ = 0, frames_ = 0;
    bool audioInit_ = false;
    void* userPair_ = nullptr;  // the fill function and its user, owned
    std::string driver_;
};

}  // namespace audio::detail

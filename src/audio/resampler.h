#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct SwrContext;

namespace audio::detail {

// Converts interleaved float frames from a channel's rate to the device rate.
class Resampler {
public:
    Resampler(uint32_t from, uint32_t to, int chans);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    bool passthrough() const { return from_ == to_; }
    // Converted frames are appended to out; frames == 0 drains what is held back.
    void convert(const float* in, size_t frames, std::vector<float>& out);
    void reset();

private:
    uint32_t from_, to_;
    int chans_;
    SwrContext* swr_ = nullptr;
};

}  // namespace audio::detail

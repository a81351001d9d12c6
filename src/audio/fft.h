#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace audio::detail {

// Magnitude spectra of interleaved frames, one transform size at a time.
class Fft {
public:
    explicit Fft(size_t n);  // n: power of two, 256..8192
    ~Fft();
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;
    size_t size() const { return n_; }

    // frames (up to n; the rest is taken as silence) of `chans` interleaved
    // channels. Writes n/2 magnitudes per transform, scaled so that a full-
    // scale sine gives 1.0 without the window (0.5 with the Hann window).
    // With `individual` one spectrum per channel, interleaved by channel.
    bool magnitudes(const float* frames, size_t count, int chans, uint32_t flags, float* out);

private:
    size_t n_;
    struct Impl;
    std::unique_ptr<Impl> p_;
};

}  // namespace audio::detail

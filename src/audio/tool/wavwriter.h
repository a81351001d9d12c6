#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace audio::tool {

// A 32-bit float WAV written to a temporary file beside the target and
// renamed over it by finish(), so a failed render leaves no half file.
class WavWriter {
public:
    WavWriter(std::string path, uint32_t rate, uint16_t chans);
    ~WavWriter();
    bool ok() const { return f_ != nullptr; }
    bool write(const float* frames, size_t count);
    bool finish();

private:
    std::string path_, tmp_;
    std::FILE* f_ = nullptr;
    uint32_t rate_;
    uint16_t chans_;
    uint64_t frames_ = 0;
};

}  // namespace audio::tool

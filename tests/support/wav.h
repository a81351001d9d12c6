// PCM WAV files built in the test: the one writer for every test that needs
// a real audio file without an encoder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace testenv {

struct WavFormat {
    uint32_t rate = 44100;
    int channels = 2;
    int bits = 16;  // 8 (unsigned) or 16 (signed)
};

// sample(frame, channel) in -1..1; values outside are clipped.
using Sample = std::function<double(int64_t frame, int channel)>;

// The data chunk's bytes for `frames` frames.
std::string pcm(const WavFormat& format, int64_t frames, const Sample& sample);
// A RIFF WAVE file around `data` as it stands; `trailing` zero bytes after
// the data chunk count in the RIFF size, so they change the file's size and
// not its length.
std::string wavBytes(const WavFormat& format, std::string_view data, size_t trailing = 0);
// `seconds` of 16-bit mono silence at 8 kHz.
std::string silentWav(double seconds, size_t trailing = 0);
// Writes a WAV of `frames` frames to path and returns path.
std::string writeWav(const std::string& path, uint32_t rate, int channels, int bits, int64_t frames,
                     const Sample& sample);

}  // namespace testenv

#include "support/wav.h"

#include <algorithm>
#include <cmath>

#include "support/bytes.h"
#include "support/files.h"

namespace testenv {

std::string pcm(const WavFormat& format, int64_t frames, const Sample& sample) {
    std::string data;
    data.reserve(static_cast<size_t>(frames * format.channels * format.bits / 8));
    for (int64_t n = 0; n < frames; ++n)
        for (int c = 0; c < format.channels; ++c) {
            double v = std::clamp(sample(n, c), -1.0, 1.0);
            if (format.bits == 8) data += le(static_cast<uint64_t>(std::lround(v * 127 + 128)), 1);
            else data += le(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))), 2);
        }
    return data;
}

std::string wavBytes(const WavFormat& format, std::string_view data, size_t trailing) {
    const uint32_t blockAlign = static_cast<uint32_t>(format.channels * format.bits / 8);
    const auto size = static_cast<uint32_t>(data.size());
    std::string w = "RIFF" + le(36 + size + trailing, 4) + "WAVEfmt " + le(16, 4);
    w += le(1, 2) + le(static_cast<uint32_t>(format.channels), 2) + le(format.rate, 4) +
         le(format.rate * blockAlign, 4) + le(blockAlign, 2) + le(static_cast<uint32_t>(format.bits), 2);
    w += "data" + le(size, 4);
    w += data;
    w.append(trailing, '\0');
    return w;
}

std::string silentWav(double seconds, size_t trailing) {
    auto bytes = static_cast<size_t>(seconds * 8000) * 2;
    return wavBytes({8000, 1, 16}, std::string(bytes, '\0'), trailing);
}

std::string writeWav(const std::string& path, uint32_t rate, int channels, int bits, int64_t frames,
                     const Sample& sample) {
    WavFormat format{rate, channels, bits};
    writeFile(path, wavBytes(format, pcm(format, frames, sample)));
    return path;
}

}  // namespace testenv

#include "audio/resampler.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace audio::detail {

Resampler::Resampler(uint32_t from, uint32_t to, int chans) : from_(from), to_(to), chans_(chans) {
    if (!passthrough()) reset();
}

Resampler::~Resampler() { swr_free(&swr_); }

void Resampler::reset() {
    if (passthrough()) return;
    swr_free(&swr_);
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, chans_);
    if (swr_alloc_set_opts2(&swr_, &layout, AV_SAMPLE_FMT_FLT, static_cast<int>(to_), &layout, AV_SAMPLE_FMT_FLT,
                            static_cast<int>(from_), 0, nullptr) < 0 ||
        swr_init(swr_) < 0)
        swr_free(&swr_);
    av_channel_layout_uninit(&layout);
}

void Resampler::convert(const float* in, size_t frames, std::vector<float>& out) {
    if (passthrough()) {
        out.insert(out.end(), in, in + frames * chans_);
        return;
    }
    if (!swr_) return;
    int cap = swr_get_out_samples(swr_, static_cast<int>(frames));
    if (cap <= 0) return;
    size_t base = out.size();
    out.resize(base + static_cast<size_t>(cap) * chans_);
    auto* o = reinterpret_cast<uint8_t*>(out.data() + base);
    const auto* i = reinterpret_cast<const uint8_t*>(in);
    int got = swr_convert(swr_, &o, cap, frames ? &i : nullptr, static_cast<int>(frames));
    out.resize(base + static_cast<size_t>(got > 0 ? got : 0) * chans_);
}

}  // namespace audio::detail

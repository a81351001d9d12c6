#include <algorithm>
#include <cmath>

#include "audio/constants.h"
#include "audio/fx/effect.h"

namespace audio::detail {

Echo::Echo(uint32_t rate) : rate_(rate) {
    for (auto& l : line_) l.resize(static_cast<size_t>(2.0 * rate) + 2);
    set(p_);
}

int Echo::type() const { return FX_DX8_ECHO; }

void Echo::set(const DX8Echo& p) {
    p_ = p;
    p_.fWetDryMix = std::clamp(p_.fWetDryMix, 0.0f, 100.0f);
    p_.fFeedback = std::clamp(p_.fFeedback, 0.0f, 100.0f);
    p_.fLeftDelay = std::clamp(p_.fLeftDelay, 1.0f, 2000.0f);
    p_.fRightDelay = std::clamp(p_.fRightDelay, 1.0f, 2000.0f);
    p_.lPanDelay = p_.lPanDelay ? 1 : 0;
    delay_[0] = std::max<size_t>(1, static_cast<size_t>(std::lround(p_.fLeftDelay * rate_ / 1000.0)));
    delay_[1] = std::max<size_t>(1, static_cast<size_t>(std::lround(p_.fRightDelay * rate_ / 1000.0)));
}

void Echo::reset() {
    for (auto& l : line_) l.clear();
}

void Echo::process(float* buf, size_t frames, int chans) {
    const float mix = p_.fWetDryMix / 100.0f, fb = p_.fFeedback / 100.0f;
    // Feedback and input share the loop's energy so the level stays bounded.
    const float gin = std::sqrt(std::max(0.0f, 1.0f - fb * fb));
    const bool pan = p_.lPanDelay != 0;
    for (size_t i = 0; i < frames; ++i) {
        float* s = buf + i * chans;
        float in[2] = {s[0], chans > 1 ? s[1] : s[0]};
        float d[2];
        for (int c = 0; c < 2; ++c) {
            int src = pan ? 1 - c : c;
            d[c] = line_[src].at(delay_[src]);
        }
        float out[2];
        for (int c = 0; c < 2; ++c) {
            float v = in[c] * gin + d[c] * fb;
            line_[c].write(std::fabs(v) < 1e-24f ? 0.0f : v);
            out[c] = in[c] * (1 - mix) + d[c] * mix;
        }
        line_[0].advance();
        line_[1].advance();
        if (chans > 1) {
            s[0] = out[0];
            s[1] = out[1];
        } else {
            s[0] = (out[0] + out[1]) * 0.5f;
        }
    }
}

}  // namespace audio::detail

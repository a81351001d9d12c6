// A four-comb reverb with damped feedback and all-pass diffusion, driven by
// the four fields of the DirectX 8 reverb record.
#include <algorithm>
#include <cmath>

#include "audio/constants.h"
#include "audio/fx/effect.h"

namespace audio::detail {

namespace {
constexpr float kDiffusion = 0.61803401f;
}

Reverb::Reverb(uint32_t rate) : rate_(rate) {
    const double q = std::pow(2.0, 0.25);
    long t0 = std::lround(0.045 * rate);
    long t1 = std::lround(t0 * q);
    long t2 = std::lround(t1 * q);
    long t3 = std::lround(t2 * q);
    long a4 = std::lround((t0 + t2) * 0.11546667);
    long a5 = std::lround((t1 + t3) * 0.11546667);
    allpass_[0] = static_cast<size_t>(a4);
    allpass_[1] = static_cast<size_t>(a5);
    comb_[0] = static_cast<size_t>(t0 - a4);
    comb_[1] = static_cast<size_t>(t2 - a4);
    comb_[2] = static_cast<size_t>(t1 - a5);
    comb_[3] = static_cast<size_t>(t3 - a5);
    for (int i = 0; i < 4; ++i) {
        combLine_[i].resize(comb_[i] + 1);
        apLine_[i].resize(allpass_[i / 2] + 1);
    }
    set(p_);
}

int Reverb::type() const { return FX_DX8_REVERB; }

void Reverb::set(const DX8Reverb& p) {
    p_ = p;
    p_.fInGain = std::clamp(p_.fInGain, -96.0f, 0.0f);
    p_.fReverbMix = std::clamp(p_.fReverbMix, -96.0f, 0.0f);
    p_.fReverbTime = std::clamp(p_.fReverbTime, 0.001f, 3000.0f);
    p_.fHighFreqRTRatio = std::clamp(p_.fHighFreqRTRatio, 0.001f, 0.999f);
    // k: log10 gain per sample for a 60 dB decay over fReverbTime.
    double k = -3000.0 / (rate_ * p_.fReverbTime);
    double kHF = k * (1.0 / p_.fHighFreqRTRatio - 1.0);
    double ap[2] = {std::pow(10.0, allpass_[0] * k), std::pow(10.0, allpass_[1] * k)};
    ap_[0] = static_cast<float>(ap[0]);
    ap_[1] = static_cast<float>(ap[1]);
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        double c = static_cast<double>(comb_[i]);
        double g1 = std::pow(10.0, c * k);
        double g2 = (1 - std::pow(10.0, (c + allpass_[i / 2]) * kHF)) / 2;
        g1_[i] = static_cast<float>(g1);
        g2_[i] = static_cast<float>(g2);
        double g3 = g1 * ap[i / 2];
        double g4 = g3 * (((g3 + 1) * g3 + 1) * g3 + 1) + 1;
        sum += g4 * g4;
    }
    double in = std::pow(10.0, p_.fInGain / 20.0);
    double m = std::pow(10.0, p_.fReverbMix / 10.0);
    dry_ = static_cast<float>(std::sqrt(std::max(0.0, 1 - m)) * in);
    wet_ = static_cast<float>(std::sqrt(m) * 4 / std::sqrt(sum) * in);
}

void Reverb::reset() {
    for (int i = 0; i < 4; ++i) {
        combLine_[i].clear();
        apLine_[i].clear();
        damp_[i] = 0;
    }
}

void Reverb::process(float* buf, size_t frames, int chans) {
    for (size_t n = 0; n < frames; ++n) {
        float* s = buf + n * chans;
        float l = s[0], r = chans > 1 ? s[1] : s[0];
        const float in[4] = {wet_ * l + 1e-30f, wet_ * r + 1e-30f, -wet_ * r + 1e-30f, wet_ * l + 1e-30f};
        float y[4];
        for (int i = 0; i < 4; ++i) {
            // Comb with one-pole damping in its loop: highs decay faster.
            float d = combLine_[i].at(comb_[i]);
            damp_[i] = (1 - g2_[i]) * d + g2_[i] * damp_[i];
            combLine_[i].write(in[i] + g1_[i] * damp_[i]);
            combLine_[i].advance();
            // Diffusing all-pass on the comb output.
            float z = apLine_[i].at(allpass_[i / 2]) * ap_[i / 2];
            float v = d + kDiffusion * z;
            y[i] = z - kDiffusion * v;
            apLine_[i].write(v);
            apLine_[i].advance();
        }
        float outL = dry_ * l + y[0] + y[2];
        float outR = dry_ * r + y[1] + y[3];
        if (chans > 1) {
            s[0] = outL;
            s[1] = outR;
        } else {
            s[0] = (outL + outR) * 0.5f;
        }
    }
}

}  // namespace audio::detail

// Chorus and flanger: a delay line read at an offset swept by an LFO.
#include <algorithm>
#include <cmath>

#include "audio/constants.h"
#include "audio/fx/effect.h"

namespace audio::detail {

namespace {

constexpr double kPi = 3.14159265358979323846;

template <class P>
P clamped(P p, float maxDelay) {
    p.fWetDryMix = std::clamp(p.fWetDryMix, 0.0f, 100.0f);
    p.fDepth = std::clamp(p.fDepth, 0.0f, 100.0f);
    p.fFeedback = std::clamp(p.fFeedback, -99.0f, 99.0f);
    p.fFrequency = std::clamp(p.fFrequency, 0.0f, 10.0f);
    p.lWaveform = std::clamp<int32_t>(p.lWaveform, 0, 1);
    p.fDelay = std::clamp(p.fDelay, 0.0f, maxDelay);
    p.lPhase = std::clamp<int32_t>(p.lPhase, PHASE_NEG_180, PHASE_180);
    return p;
}

}  // namespace

void Lfo::setup(bool isSine, double freq, double rate) {
    sine = isSine;
    if (sine) {
        k = 2.0 * std::sin(kPi * freq / rate);
        min = 0;
        max = 1;
    } else {
        k = 2.0 * freq / rate;
        min = 0;
        max = 0.5;
    }
}

void Lfo::step() {
    if (sine) {
        // Coupled-form oscillator: min and max stay a quarter period apart.
        min += max * k;
        max -= min * k;
    } else {
        min += k;
        max += k;
        if (min > 1) min -= 2;
        if (max > 1) max -= 2;
    }
}

double Lfo::wMin() const { return sine ? min : std::fabs(min) * 2 - 1; }
double Lfo::wMax() const { return sine ? max : std::fabs(max) * 2 - 1; }

template <class P, bool F>
Modulation<P, F>::Modulation(uint32_t rate) : rate_(rate) {
    // Longest delay plus full depth, with room for the interpolation neighbour.
    size_t longest = static_cast<size_t>((F ? 4.0 : 20.0) * rate / 1000.0 * 1.5) + 8;
    lineL_.resize(longest);
    if (F) lineR_.resize(longest);
    update();
}

template <class P, bool F>
int Modulation<P, F>::type() const {
    return F ? FX_DX8_FLANGER : FX_DX8_CHORUS;
}

template <class P, bool F>
void Modulation<P, F>::set(const P& p) {
    p_ = clamped(p, F ? 4.0f : 20.0f);
    update();
}

template <class P, bool F>
void Modulation<P, F>::update() {
    double delay = p_.fDelay * rate_ / 1000.0;
    d0_ = delay + 2;
    d0i_ = static_cast<size_t>(d0_);
    depth_ = p_.fDepth / 100.0 * delay / 2;
    mix_ = p_.fWetDryMix / 100.0;
    fb_ = p_.fFeedback / 100.0;
    lfo_.setup(p_.lWaveform == 1, p_.fFrequency, rate_);
}

template <class P, bool F>
void Modulation<P, F>::reset() {
    lineL_.clear();
    lineR_.clear();
    dryL_[0] = dryL_[1] = dryR_[0] = dryR_[1] = 0;
    lfo_.setup(p_.lWaveform == 1, p_.fFrequency, rate_);
}

template <class P, bool F>
void Modulation<P, F>::process(float* buf, size_t frames, int chans) {
    const double sL = p_.lPhase == PHASE_180 ? -1 : 1;
    const double sR = p_.lPhase <= PHASE_NEG_90 ? -1 : 1;
    const bool quadrature = p_.lPhase % 2 == 1;
    const float mix = static_cast<float>(mix_), fb = static_cast<float>(fb_);
    for (size_t i = 0; i < frames; ++i) {
        float* s = buf + i * chans;
        float l = s[0], r = chans > 1 ? s[1] : s[0];
        double dl = d0_ + sL * lfo_.wMin() * depth_;
        double dr = d0_ + sR * (quadrature ? lfo_.wMax() : lfo_.wMin()) * depth_;
        float outL, outR;
        if constexpr (F) {
            lineL_.write(lineL_.at(d0i_) * fb + l);
            lineR_.write(lineR_.at(d0i_) * fb + r);
            // The dry path is delayed by the same two samples the taps are offset by.
            float dryL = dryL_[1], dryR = dryR_[1];
            dryL_[1] = dryL_[0];
            dryL_[0] = l;
            dryR_[1] = dryR_[0];
            dryR_[0] = r;
            outL = dryL + (lineL_.frac(dl) - dryL) * mix;
            outR = dryR + (lineR_.frac(dr) - dryR) * mix;
            lineR_.advance();
        } else {
            lineL_.write(lineL_.at(d0i_) * fb + (l + r) * 0.5f);
            outL = l + (lineL_.frac(dl) - l) * mix;
            outR = r + (lineL_.frac(dr) - r) * mix;
        }
        lineL_.advance();
        lfo_.step();
        if (chans > 1) {
            s[0] = outL;
            s[1] = outR;
        } else {
            s[0] = (outL + outR) * 0.5f;
        }
    }
}

template class Modulation<DX8Chorus, false>;
template class Modulation<DX8Flanger, true>;

}  // namespace audio::detail

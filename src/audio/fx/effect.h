#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/fxparams.h"

namespace audio::detail {

// An effect on interleaved float frames (1 or 2 channels) at a fixed rate.
// Parameters change between blocks; reset() clears delay lines and filters.
class Effect {
public:
    virtual ~Effect() = default;
    virtual int type() const = 0;
    virtual void process(float* buf, size_t frames, int chans) = 0;
    virtual void reset() = 0;
};

std::unique_ptr<Effect> makeEffect(int type, uint32_t rate);  // nullptr for an unsupported type

// A ring of floats whose size is a power of two, read at a delay behind the write index.
class DelayLine {
public:
    void resize(size_t minSize);
    void clear();
    float at(size_t delay) const { return buf_[(w_ - delay) & mask_]; }
    float frac(double delay) const  // linear interpolation between neighbours
    {
        auto d = static_cast<size_t>(delay);
        float t = static_cast<float>(delay - static_cast<double>(d));
        float a = at(d), b = at(d + 1);
        return a + (b - a) * t;
    }
    void write(float v) { buf_[w_ & mask_] = v; }
    void advance() { ++w_; }

private:
    std::vector<float> buf_{0.0f};
    size_t mask_ = 0, w_ = 0;
};

// The LFO shared by chorus and flanger: two outputs a quarter period apart.
struct Lfo {
    bool sine = true;
    double k = 0, min = 0, max = 1;
    void setup(bool isSine, double freq, double rate);
    void step();
    double wMin() const;
    double wMax() const;
};

template <class Params, bool IsFlanger>
class Modulation final : public Effect {
public:
    explicit Modulation(uint32_t rate);
    int type() const override;
    void process(float* buf, size_t frames, int chans) override;
    void reset() override;
    const Params& get() const { return p_; }
    void set(const Params& p);

private:
    void update();
    Params p_;
    double rate_;
    DelayLine lineL_, lineR_;  // the chorus uses lineL_ only (mono)
    float dryL_[2] = {0, 0}, dryR_[2] = {0, 0};
    Lfo lfo_;
    double d0_ = 0, depth_ = 0, mix_ = 0, fb_ = 0;
    size_t d0i_ = 0;
};
using Chorus = Modulation<DX8Chorus, false>;
using Flanger = Modulation<DX8Flanger, true>;

class Echo final : public Effect {
public:
    explicit Echo(uint32_t rate);
    int type() const override;
    void process(float* buf, size_t frames, int chans) override;
    void reset() override;
    const DX8Echo& get() const { return p_; }
    void set(const DX8Echo& p);

private:
    DX8Echo p_;
    double rate_;
    DelayLine line_[2];
    size_t delay_[2] = {1, 1};
};

class ParamEq final : public Effect {
public:
    explicit ParamEq(uint32_t rate);
    int type() const override;
    void process(float* buf, size_t frames, int chans) override;
    void reset() override;
    const DX8ParamEq& get() const { return p_; }
    void set(const DX8ParamEq& p);

private:
    DX8ParamEq p_;
    double rate_;
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_[2] = {}, x2_[2] = {}, y1_[2] = {}, y2_[2] = {};
    bool bypass_ = true;
};

class Reverb final : public Effect {
public:
    explicit Reverb(uint32_t rate);
    int type() const override;
    void process(float* buf, size_t frames, int chans) override;
    void reset() override;
    const DX8Reverb& get() const { return p_; }
    void set(const DX8Reverb& p);

private:
    DX8Reverb p_;
    double rate_;
    size_t comb_[4] = {}, allpass_[2] = {};
    DelayLine combLine_[4], apLine_[4];
    float damp_[4] = {};
    float g1_[4] = {}, g2_[4] = {}, ap_[2] = {};
    float dry_ = 0, wet_ = 0;
};

}  // namespace audio::detail

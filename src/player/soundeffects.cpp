#include "player/soundeffects.h"

#include <cmath>

namespace player {

// clang-format off
const std::array<TEQPreset, 20> EQPresets{{
    {"Default",       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"FULLBT",        {7, 8, 5, -6, -2, -1, 4, 6, 8, 9}},
    {"Rock",          {0, 3, 3, 3, 2, 1, 4, 7, 7, 8}},
    {"Rap",           {-2, 0, 1, 7, -2, -2, 0, 0, 7, 9}},
    {"Grunge",        {-5, 0, 0, -2, 0, 0, 2, 3, 0, -3}},
    {"Metal",         {-5, 0, 0, 0, 0, 0, 3, 0, 3, 2}},
    {"Techno",        {-7, 2, 4, -2, -2, -3, 0, 0, 5, 5}},
    {"Pop",           {-1, 4, 5, 2, -1, -2, 0, 0, 4, 4}},
    {"Classic",       {0, 0, 0, 4, 5, 3, 7, 3, 0, 0}},
    {"Voice",         {-8, -6, -4, 1, 0, 0, 0, -4, -6, -8}},
    {"Jazz",          {-2, 0, 2, 4, 2, 0, 2, 4, 5, 3}},
    {"Acoustic",      {0, 1, 3, 4, 2, 1, 2, 3, 5, 4}},
    {"BassBoost",     {8, 9, 5, 2, 0, -2, -3, -4, -4, -4}},
    {"Detail",        {-6, -4, -2, 0, 0, 0, 1, 3, 6, 8}},
    {"SmallSpeakers", {6, 7, 4, 2, 0, 0, 1, 3, 5, 7}},
    {"Dance",         {5, 6, 3, 0, -1, -1, 1, 3, 5, 6}},
    {"HipHopOld",     {8, 7, 2, 3, 1, -1, 0, 1, 4, 5}},
    {"Blues",         {1, 2, 3, 4, 3, 1, 2, 2, 3, 2}},
    {"Reggae",        {6, 5, 2, 1, -1, -3, -1, 1, 3, 4}},
    {"Cinema",        {-4, -2, 0, 2, 3, 4, 5, 4, 3, 2}},
}};
// clang-format on

namespace {

constexpr int kEffectPriority = 1;
constexpr int kRotatePriority = 2;  // before the effects

// The four library effects run with the parameters a new effect of their
// type starts with: made when missing, then read and written back.
template <class Params>
void attachLibraryEffect(audio::Engine& engine, audio::Handle channel, audio::Handle& fx, int type) {
    if (!fx) fx = engine.ChannelSetFX(channel, type, kEffectPriority);
    Params p;
    if (fx && engine.FXGetParameters(fx, p)) engine.FXSetParameters(fx, p);
}

}  // namespace

void TSoundEffects::Restore(audio::Engine& engine, audio::Handle channel) {
    auto remove = [&](audio::Handle& fx) {
        if (fx && engine.ChannelRemoveFX(channel, fx)) fx = 0;
    };
    for (audio::Handle* fx : {&FlangerFX, &ChorusFX, &EchoFX, &ReverbFX}) remove(*fx);
    for (audio::Handle& fx : EQBandFX) remove(fx);
}

void TSoundEffects::Apply(audio::Engine& engine, audio::Handle channel, TSNDEffects effects) {
    Restore(engine, channel);
    if (effects & seFlange) attachLibraryEffect<audio::DX8Flanger>(engine, channel, FlangerFX, audio::FX_DX8_FLANGER);
    if (effects & seChorus) attachLibraryEffect<audio::DX8Chorus>(engine, channel, ChorusFX, audio::FX_DX8_CHORUS);
    if (effects & seEcho) attachLibraryEffect<audio::DX8Echo>(engine, channel, EchoFX, audio::FX_DX8_ECHO);
    if (effects & seReverb) attachLibraryEffect<audio::DX8Reverb>(engine, channel, ReverbFX, audio::FX_DX8_REVERB);

    auto band = [&](size_t i, int gain) {
        if (!EQBandFX[i]) EQBandFX[i] = engine.ChannelSetFX(channel, audio::FX_DX8_PARAMEQ, kEffectPriority);
        EQParams.fCenter = static_cast<float>(EQCenters[i]);
        EQParams.fGain = static_cast<float>(gain);
        engine.FXSetParameters(EQBandFX[i], EQParams);
    };
    const bool bass = effects & seBass;
    if (effects & seEqualizer) {
        for (size_t i = 0; i < EQBandFX.size(); ++i)
            band(i, bass && i < BassBoostGains.size() ? BassBoostGains[i] : EQGains[i]);
    } else if (bass) {
        for (size_t i = 0; i < BassBoostGains.size(); ++i) band(i, BassBoostGains[i]);
    }
}

void TSoundEffects::SetDefault(TSNDEffects effects) {
    if (effects & seEqualizer) EQParams.fBandwidth = 2.5f;
}

void RotateSamples(float* samples, size_t count, float& phase) {
    constexpr float kPi = 3.1415927f;
    for (size_t i = 0; i + 1 < count; i += 2) {
        samples[i] *= std::fabs(std::sin(phase));
        samples[i + 1] *= std::fabs(std::cos(phase));
        float x = phase + TRotate::kStep;
        phase = x - kPi * std::trunc(x / kPi);
    }
}

void TRotate::RotateProc(audio::Handle, audio::Handle, void* buffer, uint32_t length, void* user) {
    auto* self = static_cast<TRotate*>(user);
    float phase = self->phase_.load(std::memory_order_relaxed);
    RotateSamples(static_cast<float*>(buffer), length / sizeof(float), phase);
    self->phase_.store(phase, std::memory_order_relaxed);
}

void TRotate::attach(audio::Engine& engine, audio::Handle channel) {
    channel_ = channel;
    dsp_ = channel ? engine.ChannelSetDSP(channel, &TRotate::RotateProc, this, kRotatePriority) : 0;
}

void TRotate::Start(audio::Engine& engine, audio::Handle channel) {
    Stop(engine);
    on_ = true;
    phase_.store(kStartPhase, std::memory_order_relaxed);
    attach(engine, channel);
}

void TRotate::Stop(audio::Engine& engine) {
    // The channel may be gone already, and its DSP with it.
    if (dsp_) engine.ChannelRemoveDSP(channel_, dsp_);
    on_ = false;
    dsp_ = channel_ = 0;
}

void TRotate::Follow(audio::Engine& engine, audio::Handle channel) {
    if (!on_ || (dsp_ && channel == channel_) || !channel) return;
    if (dsp_) engine.ChannelRemoveDSP(channel_, dsp_);
    attach(engine, channel);
}

}  // namespace player

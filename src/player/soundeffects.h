// The ten-band equalizer, the bass boost, the four library effects and the
// rotate sweep: what is on, the presets, and how it is attached to a channel.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "audio/engine.h"

namespace player {

// The active effects, one bit each, as the settings keep them in one byte.
enum TSNDEffect : uint8_t {
    seFlange = 0x01,
    seChorus = 0x02,
    seEcho = 0x04,
    seReverb = 0x08,
    seBass = 0x10,
    seEqualizer = 0x20,
};
using TSNDEffects = uint8_t;
// Gain in dB per band, -15..15.
using TEQArray = std::array<int8_t, 10>;

inline constexpr std::array<int32_t, 10> EQCenters{80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 16000};
// The bass boost lifts the three lowest bands by these many dB.
inline constexpr std::array<int32_t, 3> BassBoostGains{4, 3, 2};

struct TEQPreset {
    std::string_view Name;
    TEQArray Gains;
};
// Row i is item i of the preset list; the list's item after the last row is "Custom".
extern const std::array<TEQPreset, 20> EQPresets;
inline constexpr int kEQCustom = 20;
inline constexpr std::string_view kEQCustomName = "Custom";

// The effects of the current channel. Every change removes them all and
// attaches them again from this state, so a new channel gets the same sound.
struct TSoundEffects {
    TSNDEffects CurrentEffects = 0;
    TEQArray EQGains{};
    // Shared by every band: the centre and gain are set per band, the
    // bandwidth (semitones) stays as the last change left it.
    audio::DX8ParamEq EQParams{0, 2.5f, 0};
    audio::Handle FlangerFX = 0, ChorusFX = 0, EchoFX = 0, ReverbFX = 0;
    std::array<audio::Handle, 10> EQBandFX{};

    // Removes every effect from the channel; a handle whose removal fails is
    // kept (and so not made again), which is why this must run while the
    // channel still exists.
    void Restore(audio::Engine& engine, audio::Handle channel);
    // Attaches the effects of the set to the channel, afresh. An effect the
    // engine cannot make is left out without a word.
    void Apply(audio::Engine& engine, audio::Handle channel, TSNDEffects effects);
    void SetDefault(TSNDEffects effects);
};

// Moves the sound from one side to the other and back: left scaled by
// |sin(phase)|, right by |cos(phase)|, the phase advancing by kStep per frame
// and wrapping at pi in single precision. A lone sample after the last whole
// pair is left as it is.
void RotateSamples(float* samples, size_t count, float& phase);

// The rotate sweep as a DSP of one channel at a time. The phase lives here,
// carried over from one buffer to the next; the DSP runs on the engine's
// decoding thread, hence the atomic.
class TRotate {
public:
    static constexpr float kStartPhase = 0.7853981f;  // pi / 4: both sides at the same level
    static constexpr float kStep = 0.00003f;          // a sweep and back takes about 104 720 frames

    // Starts the sweep at kStartPhase on the channel (nothing while there is none).
    void Start(audio::Engine& engine, audio::Handle channel);
    // Takes the DSP off the channel it is on.
    void Stop(audio::Engine& engine);
    // While on, moves to a new channel, the phase going on where it was.
    void Follow(audio::Engine& engine, audio::Handle channel);

    bool On() const { return on_; }
    audio::Handle RotateDSP() const { return dsp_; }
    float Phase() const { return phase_.load(std::memory_order_relaxed); }

private:
    static void RotateProc(audio::Handle dsp, audio::Handle channel, void* buffer, uint32_t length, void* user);
    void attach(audio::Engine& engine, audio::Handle channel);

    std::atomic<float> phase_{kStartPhase};
    bool on_ = false;
    audio::Handle dsp_ = 0, channel_ = 0;
};

}  // namespace player

#pragma once

#include <cstdint>

// Parameter records of the effects, in the DirectX 8 layout. A new effect
// starts from the DirectX defaults given here; FXSetParameters clamps every
// field into its range.
namespace audio {

enum : int32_t { PHASE_NEG_180 = 0, PHASE_NEG_90 = 1, PHASE_ZERO = 2, PHASE_90 = 3, PHASE_180 = 4 };

struct DX8Chorus {
    float fWetDryMix = 50;    // 0..100 %
    float fDepth = 10;        // 0..100
    float fFeedback = 25;     // -99..99 %
    float fFrequency = 1.1f;  // 0..10 Hz
    int32_t lWaveform = 1;    // 0 triangle, 1 sine
    float fDelay = 16;        // 0..20 ms
    int32_t lPhase = PHASE_90;
};

struct DX8Flanger {
    float fWetDryMix = 50;
    float fDepth = 100;
    float fFeedback = -50;
    float fFrequency = 0.25f;
    int32_t lWaveform = 1;
    float fDelay = 2;  // 0..4 ms
    int32_t lPhase = PHASE_ZERO;
};

struct DX8Echo {
    float fWetDryMix = 50;    // 0..100 %
    float fFeedback = 50;     // 0..100 %
    float fLeftDelay = 500;   // 1..2000 ms
    float fRightDelay = 500;  // 1..2000 ms
    int32_t lPanDelay = 0;    // 1 swaps left and right with every echo
};

struct DX8ParamEq {
    float fCenter = 8000;   // 80..16000 Hz, and at most a third of the channel's rate
    float fBandwidth = 12;  // 1..36 semitones
    float fGain = 0;        // -15..15 dB
};

struct DX8Reverb {
    float fInGain = 0;                // -96..0 dB
    float fReverbMix = 0;             // -96..0 dB; 0 is all wet
    float fReverbTime = 1000;         // 0.001..3000 ms
    float fHighFreqRTRatio = 0.001f;  // 0.001..0.999
};

}  // namespace audio

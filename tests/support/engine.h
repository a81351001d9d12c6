// The audio engine as the tests drive it: on the offline device, where time
// advances only with what the test renders, so nothing depends on the
// machine's speed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/engine.h"

namespace testenv {

// Whether the engine loads every decoder family, as the program does at start-up.
enum class AddOns { none, all };

struct Offline {
    audio::Engine e;
    explicit Offline(uint32_t rate = 44100, AddOns addOns = AddOns::none);
    std::vector<float> render(uint32_t frames);  // interleaved stereo
    // Renders until the channel stops (or maxFrames), returning all frames.
    std::vector<float> renderToEnd(audio::Handle h, uint32_t maxFrames = 10 * 48000);
};

// Renders `ms` of the mix of an engine on the offline device, in pieces.
void renderMs(audio::Engine& e, uint32_t ms, uint32_t rate = 44100);

// Opens a file the way the player does: the core creator, each add-on in
// order, then tracker music. Returns who took it ("core", "FLAC", ..., "music", "none").
std::string openLikePlayer(audio::Engine& e, const std::string& path, audio::Handle& h);

// A ProTracker module of one pattern, 16 rows at speed 3: 0.96 s of a square wave.
std::vector<uint8_t> tinyModule();

// Amplitude of the `freq` component of one channel of interleaved stereo, by correlation.
double toneAmplitude(const std::vector<float>& stereo, size_t begin, size_t count, double freq, double rate,
                     int channel = 0);

}  // namespace testenv

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio/engine.h"

namespace audio::test {

// A folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Runs "ffmpeg -v error -y ARGS"; true on success.
bool ffmpeg(const std::string& args);

// A PCM WAV (8-bit unsigned or 16-bit signed) of `frames` frames; sample(frame, channel) in -1..1.
void writeWav(const std::string& path, uint32_t rate, int chans, int bits, int64_t frames,
              const std::function<double(int64_t, int)>& sample);

// A ProTracker module of one pattern, 16 rows at speed 3: 0.96 s of a square wave.
std::vector<uint8_t> tinyModule();
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// An engine on the offline device: tests pull the mix with render().
struct Offline {
    Engine e;
    explicit Offline(uint32_t rate = 44100);
    std::vector<float> render(uint32_t frames);  // interleaved stereo
    // Renders until the channel stops (or maxFrames), returning all frames.
    std::vector<float> renderToEnd(Handle h, uint32_t maxFrames = 10 * 48000);
};

// Runs "ffmpeg -v error -y INPUT" with several outputs at once: (file, options) pairs.
bool ffmpegMany(const std::string& input, const std::vector<std::pair<std::string, std::string>>& outputs);

// Opens a file the way the player does: the core creator, each add-on in
// order, then tracker music. Returns who took it ("core", "FLAC", ..., "music", "none").
std::string openLikePlayer(Engine& e, const std::string& path, Handle& h);

// Amplitude of the `freq` component of one channel of interleaved stereo, by correlation.
double toneAmplitude(const std::vector<float>& stereo, size_t begin, size_t count, double freq, double rate,
                     int channel = 0);

}  // namespace audio::test

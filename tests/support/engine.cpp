#include "support/engine.h"

#include <cmath>

namespace testenv {

using namespace audio;

Offline::Offline(uint32_t rate, AddOns addOns) {
    e.Init(DEVICE_OFFLINE, rate, 0);
    if (addOns == AddOns::all)
        for (const AddOnInfo& a : e.AddOns()) e.PluginLoad(a.name, 0);
}

std::vector<float> Offline::render(uint32_t frames) {
    std::vector<float> out(size_t{frames} * 2);
    e.Render(out.data(), frames);
    return out;
}

std::vector<float> Offline::renderToEnd(Handle h, uint32_t maxFrames) {
    std::vector<float> all;
    for (uint32_t done = 0; done < maxFrames && e.ChannelIsActive(h) == ACTIVE_PLAYING; done += 4096) {
        auto part = render(4096);
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

void renderMs(Engine& e, uint32_t ms, uint32_t rate) {
    std::vector<float> out(4096 * 2);
    for (uint64_t frames = uint64_t{ms} * rate / 1000; frames > 0;) {
        auto n = static_cast<uint32_t>(std::min<uint64_t>(frames, 4096));
        e.Render(out.data(), n);
        frames -= n;
    }
}

std::string openLikePlayer(Engine& e, const std::string& path, Handle& h) {
    static const char* const families[] = {"WMA", "FLAC", "WV",  "OFR", "AAC", "AIX", "ADX", "OPUS",
                                           "AC3", "ALAC", "APE", "MPC", "SPX", "TTA", "DSD", "WEBM"};
    if ((h = e.StreamCreateFile(path, 0, 0, UNICODE))) return "core";
    for (int i = 0; i <= static_cast<int>(AddOn::WEBM); ++i)
        if ((h = e.AddOnStreamCreateFile(static_cast<AddOn>(i), path, 0, 0, UNICODE))) return families[i];
    if ((h = e.MusicLoad(path, 0, 0, UNICODE | MUSIC_PRESCAN | SAMPLE_FLOAT | SAMPLE_MONO, 1))) return "music";
    return "none";
}

std::vector<uint8_t> tinyModule() {
    std::vector<uint8_t> m(20, 0);  // title
    const char* title = "tiny";
    std::copy(title, title + 4, m.begin());
    const uint16_t sampleWords = 500;
    for (int s = 0; s < 31; ++s) {
        std::vector<uint8_t> hdr(30, 0);
        if (s == 0) {
            hdr[22] = sampleWords >> 8;
            hdr[23] = sampleWords & 0xFF;
            hdr[25] = 64;  // volume
            hdr[29] = 1;   // repeat length 1 word: no loop
        }
        m.insert(m.end(), hdr.begin(), hdr.end());
    }
    m.push_back(1);  // song length: one order
    m.push_back(127);
    std::vector<uint8_t> orders(128, 0);
    m.insert(m.end(), orders.begin(), orders.end());
    for (char c : std::string("M.K.")) m.push_back(static_cast<uint8_t>(c));
    std::vector<uint8_t> pattern(64 * 4 * 4, 0);
    // Row 0, channel 0: sample 1 at period 428 (C-3), speed 3.
    pattern[0] = 0x01;
    pattern[1] = 0xAC;
    pattern[2] = 0x1F;
    pattern[3] = 0x03;
    // Row 15, channel 0: pattern break, which ends the song after 16 rows.
    uint8_t* row15 = &pattern[15 * 16];
    row15[2] = 0x0D;
    m.insert(m.end(), pattern.begin(), pattern.end());
    for (int i = 0; i < sampleWords * 2; ++i) m.push_back(static_cast<uint8_t>((i / 8) % 2 ? 0x40 : 0xC0));
    return m;
}

double toneAmplitude(const std::vector<float>& stereo, size_t begin, size_t count, double freq, double rate,
                     int channel) {
    double re = 0, im = 0;
    for (size_t i = 0; i < count; ++i) {
        double x = stereo[(begin + i) * 2 + channel];
        double ph = 2 * M_PI * freq * static_cast<double>(i) / rate;
        re += x * std::cos(ph);
        im += x * std::sin(ph);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(count);
}

}  // namespace testenv

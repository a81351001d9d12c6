#include "audio/fixtures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace audio::test {

TempDir::TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("orvelin-audio-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool ffmpeg(const std::string& args) {
    std::string cmd = "ffmpeg -nostdin -v error -y " + args + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

bool ffmpegMany(const std::string& input, const std::vector<std::pair<std::string, std::string>>& outputs) {
    std::string args = input;
    for (const auto& [file, options] : outputs) args += " " + options + " " + file;
    return ffmpeg(args);
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

static void put(std::ofstream& f, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) f.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void writeWav(const std::string& path, uint32_t rate, int chans, int bits, int64_t frames,
              const std::function<double(int64_t, int)>& sample) {
    std::ofstream f(path, std::ios::binary);
    const uint32_t bpf = static_cast<uint32_t>(chans * bits / 8);
    const uint32_t data = static_cast<uint32_t>(frames) * bpf;
    f.write("RIFF", 4);
    put(f, 36 + data, 4);
    f.write("WAVEfmt ", 8);
    put(f, 16, 4);
    put(f, 1, 2);
    put(f, static_cast<uint32_t>(chans), 2);
    put(f, rate, 4);
    put(f, rate * bpf, 4);
    put(f, bpf, 2);
    put(f, static_cast<uint32_t>(bits), 2);
    f.write("data", 4);
    put(f, data, 4);
    for (int64_t n = 0; n < frames; ++n)
        for (int c = 0; c < chans; ++c) {
            double v = std::clamp(sample(n, c), -1.0, 1.0);
            if (bits == 8) put(f, static_cast<uint32_t>(std::lround(v * 127 + 128)), 1);
            else put(f, static_cast<uint32_t>(static_cast<int16_t>(std::lround(v * 32767))) & 0xFFFF, 2);
        }
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

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Offline::Offline(uint32_t rate) { e.Init(DEVICE_OFFLINE, rate, 0); }

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

}  // namespace audio::test

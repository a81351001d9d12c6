// Every format our decoders take, made by real encoders at test time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include "audio/engine.h"
#include "support/engine.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/wav.h"

namespace audio::test {
using namespace testenv;
namespace {

struct Format {
    const char* file;
    const char* encode;   // ffmpeg output options
    const char* creator;  // who takes it in the player's trial order
    double tolerance;     // of the length before decoding, relative; 0 = exact
    uint32_t rate;
    int seekMs = 1;  // how far a seek may land from its target
};

const Format kFormats[] = {
    {"a.wav", "-c:a pcm_s16le", "core", 0, 44100},
    {"a.mp3", "-c:a libmp3lame", "core", 0, 44100},
    {"x.mp3", "-c:a libmp3lame -write_xing 0", "core", 0.02, 44100},
    {"a.mp2", "-c:a mp2", "core", 0.02, 44100},
    {"a.ogg", "-c:a libvorbis", "core", 0, 44100},
    {"a.aiff", "-c:a pcm_s16be", "core", 0, 44100},
    {"a.flac", "-c:a flac", "FLAC", 0, 44100},
    {"a.oga", "-c:a flac -f ogg", "FLAC", 0, 44100},
    // ASF keeps whole-millisecond timestamps and WMA frames overlap, so seeks are near only.
    {"a.wma", "-c:a wmav2", "WMA", 0.05, 44100, 10},
    {"a.wv", "-c:a wavpack", "WV", 0, 44100},
    {"a.m4a", "-c:a aac", "AAC", 0, 44100},
    {"a.aac", "-c:a aac -f adts", "AAC", 0.02, 44100},
    {"a.opus", "-c:a libopus", "OPUS", 0, 48000},
    {"a.ac3", "-c:a ac3", "AC3", 0.02, 44100},
    {"b.m4a", "-c:a alac", "ALAC", 0, 44100},
    {"a.spx", "-c:a libspeex -ar 16000", "SPX", 0.02, 16000},
    {"a.tta", "-c:a tta", "TTA", 0, 44100},
    {"a.webm", "-c:a libopus", "WEBM", 0.02, 48000},
    {"a.adx", "-c:a adpcm_adx", "ADX", 0.02, 44100},
};

class Formats : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        std::vector<std::pair<std::string, std::string>> outs;
        for (const auto& f : kFormats) outs.emplace_back(dir_->at(f.file), std::string("-ac 2 ") + f.encode);
        built_ = ffmpegMany("-f lavfi -i anoisesrc=duration=1.3:amplitude=0.3:seed=5:r=44100", outs);
        writeFile(dir_->at("a.mod"), tinyModule());
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static TempDir* dir_;
    static bool built_;
};
TempDir* Formats::dir_ = nullptr;
bool Formats::built_ = false;

TEST_F(Formats, EachCreatorTakesOnlyItsFamily) {
    ASSERT_TRUE(built_);
    Offline o;
    for (const auto& f : kFormats) {
        Handle h = 0;
        EXPECT_EQ(openLikePlayer(o.e, dir_->at(f.file), h), f.creator) << f.file;
        ChannelInfo info;
        ASSERT_TRUE(o.e.ChannelGetInfo(h, info)) << f.file;
        EXPECT_EQ(info.freq, f.rate) << f.file;
        EXPECT_EQ(info.chans, 2u) << f.file;
        o.e.StreamFree(h);
    }
    Handle h = 0;
    EXPECT_EQ(openLikePlayer(o.e, dir_->at("a.mod"), h), "music");
    // A family's creator refuses what belongs to another one.
    EXPECT_EQ(o.e.AddOnStreamCreateFile(AddOn::FLAC, dir_->at("a.mp3"), 0, 0, 0), 0u);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_FORMAT);
    EXPECT_EQ(o.e.AddOnStreamCreateFile(AddOn::OPUS, dir_->at("a.ogg"), 0, 0, 0), 0u);
    EXPECT_EQ(o.e.StreamCreateFile(dir_->at("a.opus"), 0, 0, 0), 0u);
}

// The length a scan of many files reads without channels, on any thread: the
// figure the player's creators report, or the same refusal.
TEST_F(Formats, LengthQueriesMatchTheCreators) {
    ASSERT_TRUE(built_);
    writeFile(dir_->at("noise.mp3"), std::vector<uint8_t>(3000, 0x5A));
    writeFile(dir_->at("empty.flac"), "");
    // Headers that promise a family the rest does not keep.
    std::vector<uint8_t> fake = {'f', 'L', 'a', 'C'},
                         tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 2, 0, 0, 0xFF, 0xFB, 0x90};
    fake.resize(2000, 0x33);
    tagged.resize(2000, 0x44);
    writeFile(dir_->at("fake.flac"), fake);
    writeFile(dir_->at("tagged.mp3"), tagged);
    std::vector<std::string> files = {dir_->at("a.mod"),       dir_->at("noise.mp3"), dir_->at("empty.flac"),
                                      dir_->at("missing.ogg"), dir_->at("fake.flac"), dir_->at("tagged.mp3")};
    for (const auto& f : kFormats) files.push_back(dir_->at(f.file));

    // What a channel reports: -1 unknown, -2 no creator takes the file.
    auto byChannel = [](Engine& e, const std::string& path) {
        double seconds = -2;
        if (Handle h = e.StreamCreateFile(path, 0, 0, SAMPLE_FLOAT | UNICODE)) {
            seconds = e.ChannelBytes2Seconds(h, e.ChannelGetLength(h, POS_BYTE));
            e.StreamFree(h);
        } else if (Handle m = e.MusicLoad(path, 0, 0, UNICODE | MUSIC_PRESCAN | SAMPLE_FLOAT | SAMPLE_MONO, 1)) {
            seconds = e.ChannelBytes2Seconds(m, e.ChannelGetLength(m, POS_BYTE));
            e.MusicFree(m);
        }
        return seconds;
    };
    auto byQuery = [](Engine& e, const std::string& path) {
        double seconds = -2;
        if (!e.StreamFileLength(path, seconds) && !e.MusicFileLength(path, 1, seconds)) seconds = -2;
        return seconds;
    };

    Offline o;
    for (bool addOns : {false, true}) {
        if (addOns)
            for (const AddOnInfo& a : o.e.AddOns()) o.e.PluginLoad(a.name, 0);
        std::vector<double> expected;
        for (const auto& path : files) {
            expected.push_back(byChannel(o.e, path));
            EXPECT_EQ(byQuery(o.e, path), expected.back()) << path << (addOns ? " with add-ons" : " core only");
        }
        auto at = [&](const char* name) {
            return expected[size_t(std::find(files.begin(), files.end(), dir_->at(name)) - files.begin())];
        };
        EXPECT_NEAR(at("a.mod"), 0.96, 0.01);  // tracker music, by its prescan
        EXPECT_NEAR(at("x.mp3"), 1.3, 0.06);   // measured by the packet scan
        EXPECT_EQ(at("noise.mp3"), -2);
        EXPECT_EQ(at("missing.ogg"), -2);
        EXPECT_EQ(at("a.flac") > 1, addOns);
        // Two threads at once, each over every file.
        std::vector<double> got[2];
        std::thread a([&] {
            for (const auto& path : files) got[0].push_back(byQuery(o.e, path));
        });
        std::thread b([&] {
            for (const auto& path : files) got[1].push_back(byQuery(o.e, path));
        });
        a.join();
        b.join();
        EXPECT_EQ(got[0], expected);
        EXPECT_EQ(got[1], expected);
    }
}

// The frame offset at which `part` best matches `whole` around `expected`.
long bestLag(const std::vector<float>& whole, const std::vector<float>& part, long expected, long range) {
    long best = 0;
    double bestErr = 1e300;
    const long n = static_cast<long>(part.size() / 2), frames = static_cast<long>(whole.size() / 2);
    for (long lag = -range; lag <= range; ++lag) {
        long at = expected + lag;
        if (at < 0 || at + n > frames) continue;
        double err = 0;
        for (long i = 0; i < n && err < bestErr; ++i) err += std::fabs(part[2 * i] - whole[2 * (at + i)]);
        if (err < bestErr) {
            bestErr = err;
            best = lag;
        }
    }
    return best;
}

TEST_F(Formats, PlaysSeeksAndReportsItsLength) {
    ASSERT_TRUE(built_);
    for (const auto& f : kFormats) {
        // The device runs at the channel's rate so that frames compare one to one.
        Offline o(f.rate);
        Handle h = 0;
        openLikePlayer(o.e, dir_->at(f.file), h);
        ASSERT_NE(h, 0u) << f.file;
        QWord before = o.e.ChannelGetLength(h, POS_BYTE);
        ASSERT_NE(before, kFail64) << f.file;
        ASSERT_TRUE(o.e.ChannelPlay(h, false));
        auto whole = o.renderToEnd(h);
        EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STOPPED) << f.file;
        QWord after = o.e.ChannelGetLength(h, POS_BYTE);
        EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), after) << f.file;
        EXPECT_NEAR(o.e.ChannelBytes2Seconds(h, after), 1.3, 0.06) << f.file;
        if (f.tolerance == 0) EXPECT_EQ(before, after) << f.file;
        else EXPECT_NEAR(double(before), double(after), f.tolerance * after) << f.file;

        // A seek lands where the straight decode had the same samples, within 1 ms.
        const long target = static_cast<long>(0.55 * f.rate);
        ASSERT_TRUE(o.e.ChannelSetPosition(h, o.e.ChannelSeconds2Bytes(h, 0.55), POS_BYTE)) << f.file;
        EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), QWord(target) * 8) << f.file;
        ASSERT_TRUE(o.e.ChannelPlay(h, false));
        auto part = o.render(2048);
        long lag = bestLag(whole, part, target, static_cast<long>(f.rate / 20));
        EXPECT_LE(std::labs(lag), static_cast<long>(f.rate / 1000 * f.seekMs)) << f.file << " lag " << lag;
        o.renderToEnd(h);
        EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), o.e.ChannelGetLength(h, POS_BYTE)) << f.file;
    }
}

}  // namespace
}  // namespace audio::test

namespace audio::test {
using namespace testenv;
namespace {

// A DSF file of `seconds` of DSD64 stereo noise, written byte by byte: no
// encoder for it ships with the system.
std::vector<uint8_t> tinyDsf(double seconds) {
    const uint32_t rate = 2822400, block = 4096, chans = 2;
    const uint64_t bytesPerChannel = (uint64_t(rate * seconds) / 8 + block - 1) / block * block;
    const uint64_t samples = bytesPerChannel * 8;
    std::vector<uint8_t> out;
    auto le = [&](uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    auto tag = [&](const char* s) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(s[i]));
    };
    const uint64_t dataSize = 12 + bytesPerChannel * chans;
    tag("DSD "), le(28, 8), le(28 + 52 + dataSize, 8), le(0, 8);
    tag("fmt "), le(52, 8), le(1, 4), le(0, 4), le(2, 4), le(chans, 4), le(rate, 4), le(1, 4);
    le(samples, 8), le(block, 4), le(0, 4);
    tag("data"), le(dataSize, 8);
    uint32_t seed = 12345;
    for (uint64_t b = 0; b < bytesPerChannel / block; ++b)
        for (uint32_t c = 0; c < chans; ++c)
            for (uint32_t i = 0; i < block; ++i) {
                seed = seed * 1103515245u + 12345u;
                out.push_back(uint8_t(seed >> 24));
            }
    return out;
}

TEST(DsdFiles, PlaySeekAndReportTheirLength) {
    TempDir dir;
    writeFile(dir.at("a.dsf"), tinyDsf(1.0));
    Offline o(88200);
    Handle h = 0;
    EXPECT_EQ(openLikePlayer(o.e, dir.at("a.dsf"), h), "DSD");
    ASSERT_NE(h, 0u);
    ChannelInfo info;
    ASSERT_TRUE(o.e.ChannelGetInfo(h, info));
    EXPECT_EQ(info.chans, 2u);
    // Whole 4096-byte blocks per channel: 87 of them, 2,850,816 one-bit samples.
    QWord before = o.e.ChannelGetLength(h, POS_BYTE);
    EXPECT_NEAR(o.e.ChannelBytes2Seconds(h, before), 2850816.0 / 2822400, 0.001);
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    o.renderToEnd(h, 3 * 88200);
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STOPPED);
    EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), o.e.ChannelGetLength(h, POS_BYTE));
    ASSERT_TRUE(o.e.ChannelSetPosition(h, o.e.ChannelSeconds2Bytes(h, 0.5), POS_BYTE));
    EXPECT_NEAR(o.e.ChannelBytes2Seconds(h, o.e.ChannelGetPosition(h, POS_BYTE)), 0.5, 0.001);
}

}  // namespace
}  // namespace audio::test

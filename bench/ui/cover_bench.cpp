// From the start of a track to its cover on screen, for a 3000 x 3000 JPEG
// front cover, with the main window of the program on the silent device, and
// whether showing covers holds up the sound: the same track must reach its
// channel's start as fast with the cover display off. FFmpeg decoding and
// scaling the same JPEG to the same box is the peer. The same tone without
// the picture shows what the picture costs the audio engine's opening of
// the file, which happens whether covers are shown or not.
//
// usage: cover_bench [ROUNDS]   (needs ffmpeg; prints key=value figures)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "audio/engine.h"
#include "common/files.h"
#include "image/imageloader.h"
#include "kit/fakes.h"
#include "platform/fake/fakesystem.h"
#include "ui/program.h"

namespace {

using clock_type = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

// FFmpeg's own time for decoding the JPEG and scaling it with Lanczos to the
// cover box, without its start-up: the "rtime" of -benchmark.
double ffmpegMs(const std::string& jpeg) {
    std::string command =
        "ffmpeg -nostdin -hide_banner -benchmark -i '" + jpeg + "' -vf scale=216:216:flags=lanczos -f null - 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return 0;
    char line[512];
    double seconds = 0;
    while (std::fgets(line, sizeof line, p))
        if (const char* at = std::strstr(line, "rtime=")) seconds = std::atof(at + 6);
    pclose(p);
    return seconds * 1000;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::string home = (std::filesystem::temp_directory_path() / "orvelin-cover-bench/").string();
    std::filesystem::remove_all(home);
    common::makeDirectories(home + "music/");
    const std::string jpeg = home + "cover.jpg", with = home + "music/with.mp3", without = home + "music/without.mp3";
    const std::string tone = "-f lavfi -i sine=frequency=440:duration=5 -c:a libmp3lame -b:a 128k";
    if (!run("ffmpeg -loglevel error -y -f lavfi -i testsrc2=s=3000x3000 -frames:v 1 -q:v 2 '" + jpeg + "'") ||
        !run("ffmpeg -loglevel error -y " + tone + " '" + without + "'") ||
        !run("ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=5 -i '" + jpeg +
             "' -map 0:a -map 1:v -c:a libmp3lame -b:a 128k -c:v copy -disposition:v attached_pic "
             "-metadata:s:v comment='Cover (front)' '" +
             with + "'")) {
        std::fprintf(stderr, "cover_bench: ffmpeg could not make the files\n");
        return 1;
    }
    const std::string coverBytes = common::readFile(jpeg).value_or("");

    platform::FakeSystem system;
    system.exeDir = home + "bin/";
    system.appDataDir = home + "config/";
    system.tempDir = home;
    common::makeDirectories(system.exeDir);
    const std::string config = home + "config/" + system.company + "/Orvelin/";
    common::makeDirectories(config + "Playlist/");
    common::makeDirectories(config + "Config/");
    common::writeFileAtomic(config + "Playlist/default.m3u", "#EXTM3U\n" + with + "\n" + without + "\n");
    common::writeFileAtomic(config + "Config/Option.ini", "[Option]\r\nPlaylist=default\r\nShowCoverArts=1\r\n");

    ui::TestApplication t;
    std::set<std::string> held;
    platform::FakeSingleInstance instance(held);
    ui::TProgram program(t.app, system, instance, {});
    program.AudioDevice = audio::DEVICE_NOSOUND;
    if (program.Start() != ui::TProgram::TStartResult::Run) return 1;
    ui::TForm1& f = *program.Form1;
    if (!f.CoverLoader->Available()) {
        std::fprintf(stderr, "cover_bench: the image library is missing\n");
        return 1;
    }

    // The sound starts where the channel is told to play, right after the
    // spectrum's peaks are reset for it.
    clock_type::time_point soundAt, shownAt;
    f.Hooks.ResetSpectrumPeaks = [&] { soundAt = clock_type::now(); };
    f.ImageTAG.Picture.observe([&](const ui::TBitmapPtr& p) {
        if (p) shownAt = clock_type::now();
    });
    auto ms = [](clock_type::time_point from, clock_type::time_point to) {
        return std::chrono::duration<double, std::milli>(to - from).count();
    };
    // Plays a row and returns when its sound started, from the double click.
    auto start = [&](int row, bool covers) {
        f.Form2->ShowCoverArts.Checked.set(covers);
        f.StringGrid1.SetRow(row);
        soundAt = shownAt = {};
        auto t0 = clock_type::now();
        f.StringGrid1.OnDblClick();
        if (f.ChannelActivity() != audio::ACTIVE_PLAYING) std::fprintf(stderr, "cover_bench: row %d is silent\n", row);
        return t0;
    };

    std::vector<double> soundShown, soundNotShown, soundNoPicture, shown, fullDecode;
    start(0, true), f.WaitForCover(), start(1, true);  // warm the caches and the decoder
    for (int i = 0; i < rounds; ++i) {
        auto t0 = start(0, true);
        soundShown.push_back(ms(t0, soundAt));
        f.WaitForCover();
        if (!f.ImageTAG.Picture()) {
            std::fprintf(stderr, "cover_bench: no cover shown\n");
            return 1;
        }
        shown.push_back(ms(t0, shownAt));

        t0 = start(0, false);
        soundNotShown.push_back(ms(t0, soundAt));
        t0 = start(1, true);
        soundNoPicture.push_back(ms(t0, soundAt));

        auto d0 = clock_type::now();
        f.CoverLoader->LoadBitmapFromMemory(coverBytes);
        fullDecode.push_back(ms(d0, clock_type::now()));
    }
    f.StopMusic();
    std::vector<double> peer;
    for (int i = 0; i < std::min(rounds, 3); ++i) peer.push_back(ffmpegMs(jpeg));

    const double peerMs = median(peer), shownMs = median(shown);
    std::printf("cover=3000x3000 jpeg_bytes=%zu rounds=%d\n", coverBytes.size(), rounds);
    std::printf("sound_start_covers_shown_ms=%.1f sound_start_covers_off_ms=%.1f ratio=%.2f\n", median(soundShown),
                median(soundNotShown), median(soundShown) / std::max(0.001, median(soundNotShown)));
    std::printf("cover_shown_ms=%.1f ffmpeg_decode_and_scale_ms=%.1f ratio=%.2f\n", shownMs, peerMs,
                shownMs / std::max(0.001, peerMs));
    std::printf("full_size_decode_ms=%.1f (what decoding before the sound would have cost at least)\n",
                median(fullDecode));
    std::printf("sound_start_same_tone_without_picture_ms=%.1f (the engine opening a file with a large tag)\n",
                median(soundNoPicture));
    f.Close();
    std::filesystem::remove_all(home);
    return 0;
}

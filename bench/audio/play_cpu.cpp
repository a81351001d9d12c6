// Plays a file through the silent real-time device for N seconds and prints
// the CPU time this process used meanwhile.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/engine.h"

static double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: audio_play_cpu FILE SECONDS\n");
        return 2;
    }
    double seconds = std::atof(argv[2]);
    audio::Engine e;
    if (!e.Init(audio::DEVICE_NOSOUND, 44100, 0)) return 1;
    audio::Handle h = e.StreamCreateFile(argv[1], 0, 0, 0);
    if (!h) return 1;
    double start = cpuSeconds();
    auto wall = std::chrono::steady_clock::now();
    e.ChannelPlay(h, false);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    double used = cpuSeconds() - start;
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    double played = e.ChannelBytes2Seconds(h, e.ChannelGetPosition(h, audio::POS_BYTE));
    std::printf("%.4f %.4f %.4f\n", used, elapsed, played);
    return 0;
}

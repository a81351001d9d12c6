// The real start-up on the engine's offline device: nothing plays until the
// test renders, so what the player did can be measured in the output.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/wav.h"
#include "ui/testenv.h"

namespace testenv {

struct OfflinePlayer : ::testing::Test {
    static constexpr double kRate = 44100;  // the device's
    Env env;
    std::unique_ptr<Session> run;
    ui::TForm1* f = nullptr;
    ui::TForm2* f2 = nullptr;

    // A stereo WAV at `rate` of sample(frame, channel).
    std::string wav(const std::string& name, uint32_t rate, double seconds,
                    const std::function<double(int64_t, int)>& sample) {
        std::string path = env.dir.path + "music/" + name + ".wav";
        common::makeDirectories(env.dir.path + "music/");
        writeWav(path, rate, 2, 16, static_cast<int64_t>(seconds * rate), sample);
        return path;
    }

    // Starts the program with a playlist and the settings' [Option] lines.
    void start(const std::vector<std::string>& tracks, const std::string& options) {
        env.dir.file("config/Orvelin Project/Orvelin/Playlist/default.m3u", m3u(tracks));
        env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Option]\r\nPlaylist=default\r\n" + options);
        restart();
    }

    // The next start, on what the last one left.
    void restart() {
        run.reset();
        run = std::make_unique<Session>(env);
        run->program.AudioDevice = audio::DEVICE_OFFLINE;
        ASSERT_EQ(run->start(), ui::TProgram::TStartResult::Run);
        f = &run->form();
        f2 = run->program.Form2.get();
    }

    void play(int row) {
        f->StringGrid1.SetRow(row);
        f->StringGrid1.OnDblClick();
        ASSERT_NE(f->CurrentChannel, 0u);
    }

    std::vector<float> render(double seconds) {
        std::vector<float> out(static_cast<size_t>(seconds * kRate) * 2);
        f->Engine().Render(out.data(), static_cast<uint32_t>(out.size() / 2));
        return out;
    }
};

}  // namespace testenv

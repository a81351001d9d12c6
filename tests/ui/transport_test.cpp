#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/inifile.h"
#include "app/listfiles.h"
#include "player/duration.h"
#include "support/engine.h"
#include "support/files.h"
#include "support/process.h"
#include "support/wav.h"
#include "ui/testenv.h"

using ui::TForm1;

namespace {

constexpr uint16_t kF1 = 0x70, kF2 = 0x71, kSpace = 0x20, kEnter = 0x0D, kRight = 0x27;

// The real start-up on the offline device, with a playlist of short files.
struct Transport : ::testing::Test, testenv::Player {
    // A 44.1 kHz tone of `seconds`, named name + ".wav".
    std::string wav(const std::string& name, double seconds, int chans = 2, int bits = 16) {
        std::string path = env.dir.path + "music/" + name + ".wav";
        common::makeDirectories(env.dir.path + "music/");
        testenv::writeWav(path, 44100, chans, bits, static_cast<int64_t>(seconds * 44100),
                          [](int64_t i, int) { return 0.3 * std::sin(i * 0.06); });
        return path;
    }

    // Plays `ms` of the mix: the device's clock moves only with what is rendered.
    void playFor(uint32_t ms) { testenv::renderMs(f->Engine(), ms); }

    // Jumps to just before the end and plays until the channel runs out.
    void playToEnd() {
        f->SeekToMs(f->ChannelLengthMs() - 60);
        for (int step = 0; step < 100 && f->ChannelActivity() != audio::ACTIVE_STOPPED; ++step) playFor(10);
        ASSERT_EQ(f->ChannelActivity(), audio::ACTIVE_STOPPED);
    }

    float volume() {
        float v = -1;
        f->Engine().ChannelGetAttribute(f->CurrentChannel, audio::ATTRIB_VOL, v);
        return v;
    }
};

TEST_F(Transport, PlayPauseResumeAndStop) {
    std::string a = wav("a", 2), b = wav("b", 2, 1);
    start({a, b}, "AutoNext=0\r\n");
    play(1);
    EXPECT_EQ(f->PlayState, 1);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_TRUE(f->Timer_Play.Enabled());
    EXPECT_EQ(f->CurrentFile, b);
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"2"});
    // No tag: the file's name stands for the title, in the labels and the row.
    EXPECT_EQ(f->Label_Artist.Caption(), "b");
    EXPECT_EQ(f->StringGrid1.Cell(1, 1), "b");
    EXPECT_EQ(f->TrayIcon1.Hint(), "b");
    EXPECT_EQ(f->HzCaption.Caption(), "44.1 kHz");
    EXPECT_EQ(f->Label_Stereo.Caption(), "Mono");
    EXPECT_EQ(f->kbpsCaption.Caption(), "706 kbps");  // 16-bit mono at 44.1 kHz, and the header
    std::string size = player::FormatByteSize(player::FileSizeOf(b));
    EXPECT_EQ(f->SizeCaption.Caption(), size);
    EXPECT_EQ(f->Label_ScrollText.Caption(), "*** :: b :: " + size + ", 44.1 kHz, 706 kbps :: ***");

    audio::Handle channel = f->CurrentChannel;
    f->PauseButton.OnClick();
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PAUSED);
    EXPECT_EQ(f->PlayState, 2);
    EXPECT_FALSE(f->Timer_Play.Enabled());

    f->StringGrid1.SetRow(0);  // resuming goes on with the paused file
    f->PlayButton.OnClick();
    EXPECT_EQ(f->CurrentChannel, channel);
    EXPECT_EQ(f->CurrentFile, b);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_EQ(f->PlayState, 1);
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"2"});

    f->StopButton.OnClick();
    EXPECT_EQ(f->CurrentChannel, 0u);
    EXPECT_EQ(f->PlayState, 0);
    EXPECT_EQ(f->StatusBarTime.PanelText(0), " 00:00:00");
    EXPECT_EQ(f->kbpsCaption.Caption(), "0 kbps");
    EXPECT_EQ(f->HzCaption.Caption(), "0 kHz");
    EXPECT_EQ(f->SizeCaption.Caption(), "0 b");
    EXPECT_EQ(f->Label_Artist.Caption(), "");
    EXPECT_EQ(f->Label_ScrollText.Caption(), f->Caption());
    EXPECT_FALSE(f->barSeek.Enabled());

    // Play on a stopped player starts the selected row.
    f->PlayButton.OnClick();
    EXPECT_EQ(f->CurrentFile, a);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_EQ(f->MemoPlayHistory, (std::vector<std::string>{"2", "1"}));
}

TEST_F(Transport, TheTimerMovesTheDisplayAndTheUserSeeks) {
    start({wav("a", 3)}, "AutoNext=0\r\nProgressBox=1\r\n");
    play(0);
    playFor(300);
    f->Timer_Play.fire();
    EXPECT_EQ(f->StatusBarTime.PanelText(0), "-00:00:02");  // remaining
    EXPECT_EQ(f->barSeek.Hint(), "00:00:00");
    EXPECT_EQ(f->Taskbar1.Overlay(), ui::TTaskbarOverlay::toPlay);
    f->StatusBarTime.OnClick();
    f->Timer_Play.fire();
    EXPECT_EQ(f->StatusBarTime.PanelText(0), " 00:00:00");  // elapsed

    f->barSeek.Position.set(50);
    EXPECT_NEAR(static_cast<double>(f->ChannelPositionMs()), 1500, 150);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_TRUE(f->Timer_Play.Enabled());
    f->Timer_Play.fire();
    EXPECT_EQ(f->StatusBarTime.PanelText(0), " 00:00:01");
    EXPECT_GE(f->barSeek.Position(), 50);
    EXPECT_LE(f->barSeek.Position(), 55);

    // The timer's own moves do not seek; a wheel notch does, one step.
    int at = f->barSeek.Position();
    f->barSeek.OnMouseWheel(-120, 0, 0);
    EXPECT_EQ(f->barSeek.Position(), at - 1);
    EXPECT_NEAR(static_cast<double>(f->ChannelPositionMs()), (at - 1) * 30, 100);
}

struct EndCase {
    const char* name;
    const char* options;
    int playingRow;  // after the end
    std::vector<std::string> history;
    bool fileGoes = false;  // the playing file is deleted before its end
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class EndOfTrack : public Transport, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndOfTrack, FollowsTheSettings) {
    const EndCase& c = GetParam();
    std::string a = wav("a", 1), b = wav("b", 1);
    start({a, b}, std::string("RandomTrack=0\r\n") + c.options);
    play(1);
    if (c.fileGoes) std::remove(b.c_str());
    playToEnd();
    for (int tick = 0; tick < 3; ++tick) f->Timer_Play.fire();
    if (c.playingRow < 0) {
        EXPECT_EQ(f->PlayState, 0);
        EXPECT_EQ(f->CurrentChannel, 0u);
        EXPECT_EQ(f->StatusBarTime.PanelText(0), " 00:00:00");
        EXPECT_EQ(f->Label_Artist.Caption(), "");
    } else {
        EXPECT_EQ(f->PlayState, 1);
        EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
        EXPECT_EQ(f->CurrentFile, c.playingRow == 0 ? a : b);
        EXPECT_LT(f->ChannelPositionMs(), 500);  // from its start
    }
    EXPECT_EQ(f->MemoPlayHistory, c.history);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, EndOfTrack,
    ::testing::Values(
        EndCase{"auto_next_at_the_last_row_starts_row_0", "AutoNext=1\r\nRepeatSong=0\r\n", 0, {"2", "1"}},
        EndCase{"repeat_starts_the_same_file_again", "AutoNext=1\r\nRepeatSong=1\r\n", 1, {"2", "2"}},
        EndCase{"neither_stops_and_resets_the_display", "AutoNext=0\r\nRepeatSong=0\r\n", -1, {"2"}},
        EndCase{"repeat_of_a_deleted_file_stops", "RepeatSong=1\r\n", -1, {"2"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Transport, RandomOrderOfFourRows) {
    start({wav("a", 2), wav("b", 2), wav("c", 2), wav("d", 2)}, "RandomTrack=1\r\nAutoNext=1\r\n");
    std::vector<std::string> order = f->MemoRandomSong, sorted = order;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(app::LoadLines(env.userDir() + "Config/randomsong.ini"), order);

    play(0);
    f->NextButton.OnClick();
    int row = std::stoi(order[1]) - 1;
    EXPECT_EQ(f->StringGrid1.Row(), row);
    EXPECT_EQ(f->CurrentFile, f->StringGrid1.Cell(3, row));
    EXPECT_EQ(f->MemoRandomSong, std::vector<std::string>(order.begin() + 1, order.end()));
    EXPECT_EQ(f->NextButton.Hint(), f->StringGrid1.Cell(1, std::stoi(order[2]) - 1));

    // Previous puts the row it returns to back in front, so Next comes here again.
    f->PrevButton.OnClick();
    EXPECT_EQ(f->StringGrid1.Row(), 0);
    EXPECT_EQ(f->MemoRandomSong.front(), "1");

    // Switching random play off and on rebuilds the order and the button follows.
    f->RandomButton.OnClick();
    EXPECT_EQ(f->RandomButton.ImageIndex(), TForm1::biRandomOff);
    f->RandomButton.OnClick();
    EXPECT_EQ(f->RandomButton.ImageIndex(), TForm1::biRandom);
    EXPECT_EQ(f->MemoRandomSong.size(), 4u);
}

TEST_F(Transport, PreviousWalksBackThroughTheHistory) {
    std::string a = wav("a", 2), b = wav("b", 2), c = wav("c", 2);
    start({a, b, c}, "RandomTrack=0\r\n");
    for (int row : {0, 1, 2}) play(row);
    f->PrevButton.OnClick();
    EXPECT_EQ(f->CurrentFile, b);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    f->PrevButton.OnClick();
    EXPECT_EQ(f->CurrentFile, a);
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"1"});
    f->PrevButton.OnClick();  // nothing earlier
    EXPECT_EQ(f->PlayState, 0);
    EXPECT_EQ(f->CurrentChannel, 0u);
}

TEST_F(Transport, MuteRemembersTheVolumeOfTheBarInUse) {
    start({wav("a", 2)}, "RadioButton_Player=1\r\n");
    play(0);
    f->barVolume.Position.set(70);
    EXPECT_FLOAT_EQ(volume(), 0.7f);
    f->SoundButton.OnClick();
    EXPECT_EQ(f->barVolume.Position(), 0);
    EXPECT_EQ(f->SoundButton.ImageIndex(), TForm1::biSoundOff);
    EXPECT_FLOAT_EQ(volume(), 0.0f);
    f->SoundButton.OnClick();
    EXPECT_EQ(f->barVolume.Position(), 70);
    EXPECT_EQ(f->SoundButton.ImageIndex(), TForm1::biSound);
    EXPECT_FLOAT_EQ(volume(), 0.7f);

    // A click jumps to the click (14 pixels of margin) and becomes the memo.
    int width = f->barVolume.Width();
    f->barVolume.OnMouseDown(ui::TMouseButton::mbLeft, 0, width - 14, 5);
    EXPECT_EQ(f->barVolume.Position(), 100);
    f->barVolume.OnMouseDown(ui::TMouseButton::mbLeft, 0, 10, 5);
    EXPECT_EQ(f->barVolume.Position(), 0);
    EXPECT_EQ(f->PlayerVolumeMemo, 0);
    f->balanceBar.Position.set(20);
    f->balanceBar.OnMouseDown(ui::TMouseButton::mbRight, 0, 3, 5);
    EXPECT_EQ(f->balanceBar.Position(), 0);

    run->program.Form2->RadioButton_System.Checked.set(true);
    EXPECT_TRUE(f->barVolumeSys.Visible());
    EXPECT_FALSE(f->barVolume.Visible());
    f->barVolumeSys.Position.set(40);
    f->SoundButton.OnClick();
    EXPECT_EQ(f->barVolumeSys.Position(), 0);
    EXPECT_EQ(f->SystemVolumeMemo, 40);
    f->SoundButton.OnClick();
    EXPECT_EQ(f->barVolumeSys.Position(), 40);
}

TEST_F(Transport, ATaggedFileNamesItselfByItsTags) {
    std::string file = env.dir.path + "tagged.mp3";
    ASSERT_TRUE(
        testenv::ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame -id3v2_version 3 -metadata artist=Ann "
                        "-metadata title=Song -metadata album=Al -metadata genre=Jazz -metadata date=2001 \"" +
                        file + "\""));
    start({file}, "AutoNext=0\r\n");
    play(0);
    EXPECT_EQ(f->Label_Artist.Caption(), "Ann");
    EXPECT_EQ(f->Label_Title.Caption(), "Song");
    EXPECT_EQ(f->Label_Year.Caption(), "2001");
    EXPECT_EQ(f->StringGrid1.Cell(1, 0), "Ann - Song");
    EXPECT_EQ(f->TrayIcon1.Hint(), "Ann - Song");
    EXPECT_EQ(f->ScrollTitle.rfind("*** :: Ann - Song :: Al :: Jazz :: 2001 :: ", 0), 0u) << f->ScrollTitle;
}

struct OpenCase {
    const char* name;
    bool opens;
    TForm1::TChannelType type;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class OpenChannel : public Transport, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenChannel, TriesTheCreatorsAndRefusesEightBitSources) {
    const OpenCase& c = GetParam();
    std::string file;
    std::string kind = c.name;
    if (kind == "wav") file = wav("t", 1);
    if (kind == "wav_8_bit") file = wav("t", 1, 2, 8);
    if (kind == "flac") {
        file = env.dir.path + "t.flac";
        ASSERT_TRUE(testenv::ffmpeg("-f lavfi -i sine=d=1 \"" + file + "\""));
    }
    if (kind == "tracker_module") testenv::writeFile(file = env.dir.path + "t.mod", testenv::tinyModule());
    if (kind == "text") file = env.dir.file("t.mp3", "not audio at all");
    start({file}, "AutoNext=0\r\n");
    play(0);
    EXPECT_EQ(f->CurrentChannel != 0, c.opens);
    EXPECT_EQ(f->Timer_Play.Enabled(), c.opens);
    EXPECT_EQ(f->ChannelActivity(), c.opens ? audio::ACTIVE_PLAYING : audio::ACTIVE_STOPPED);
    if (c.opens) {
        EXPECT_EQ(f->ChannelType, c.type);
    }
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"1"});  // recorded all the same
}

INSTANTIATE_TEST_SUITE_P(Files, OpenChannel,
                         ::testing::Values(OpenCase{"wav", true, TForm1::ctStream},
                                           OpenCase{"flac", true, TForm1::ctStream},
                                           OpenCase{"tracker_module", true, TForm1::ctMusic},
                                           OpenCase{"wav_8_bit", false, TForm1::ctUnknown},
                                           OpenCase{"text", false, TForm1::ctUnknown}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Transport, AStreamRowThatDoesNotAnswerPlaysNothing) {
    // Nothing listens on the discard port: handled as a file that is not there.
    start({"http://127.0.0.1:9/live"}, "AutoNext=0\r\n");
    play(0);
    f->WaitForRadio();
    EXPECT_EQ(f->CurrentChannel, 0u);
    EXPECT_FALSE(f->Timer_Radio.Enabled());
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"1"});
}

TEST_F(Transport, KeysDriveTheTransport) {
    std::string a = wav("a", 3), b = wav("b", 3);
    start({a, b}, "RandomTrack=0\r\n");
    auto press = [&](uint16_t key) {
        bool handled = false;
        f->OnShortCut(key, 0, handled);
        return handled;
    };
    f->StringGrid1.SetRow(0);
    EXPECT_TRUE(press(kEnter));
    EXPECT_EQ(f->CurrentFile, a);
    EXPECT_TRUE(press(kF2));
    EXPECT_EQ(f->CurrentFile, b);
    EXPECT_TRUE(press(kF1));
    EXPECT_EQ(f->CurrentFile, a);

    // The start key's first press pauses, the next one plays on.
    EXPECT_TRUE(press(kSpace));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PAUSED);
    EXPECT_TRUE(press(kSpace));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);

    f->Timer_Play.fire();
    int at = f->barSeek.Position();
    EXPECT_TRUE(press(kRight));
    EXPECT_EQ(f->barSeek.Position(), at + 1);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_GE(f->ChannelPositionMs(), (at + 1) * 30 - 30);

    // Typing in the search box keeps its spaces; function keys still work.
    f->SearchBox1.Focused.set(true);
    EXPECT_FALSE(press(kSpace));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_TRUE(press(kF2));
    EXPECT_EQ(f->CurrentFile, b);
}

TEST_F(Transport, HistoryRepeatModeAndPlaylistSurviveARestart) {
    std::string a = wav("a", 2), b = wav("b", 2);
    start({a, b}, "RandomTrack=0\r\nRepeatSong=0\r\n");
    play(0);
    play(1);
    f->RepeatButton.OnClick();
    EXPECT_EQ(f->RepeatButton.ImageIndex(), TForm1::biRepeat);
    f->Close();
    run.reset();

    run = std::make_unique<testenv::Session>(env);
    ASSERT_EQ(run->start(), ui::TProgram::TStartResult::Run);
    f = &run->form();
    EXPECT_EQ(f->MemoPlayHistory, (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(run->program.Form2->RepeatSong.Checked());
    EXPECT_EQ(f->RepeatButton.ImageIndex(), TForm1::biRepeat);
    ASSERT_EQ(f->StringGrid1.RowCount(), 2);
    EXPECT_EQ(f->StringGrid1.Cell(3, 1), b);
    EXPECT_EQ(f->StringGrid1.Row(), 1);
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>

#include "common/text.h"
#include "player/radio.h"
#include "support/engine.h"
#include "support/files.h"
#include "support/httpserver.h"
#include "support/process.h"
#include "ui/testenv.h"

namespace {

using testenv::LoopbackServer;
using Clock = std::chrono::steady_clock;

const char* kIcyHead =
    "ICY 200 OK\r\nicy-name:Rock FM\r\nicy-br:128\r\nicy-metaint:4096\r\nContent-Type:audio/mpeg\r\n\r\n";

// A station on 127.0.0.1 on the offline device, with the radio's clock in the
// test's hand.
struct Radio : ::testing::Test, testenv::Player {
    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);

    // `seconds` of a 128 kbps MP3 tone.
    std::string mp3(double seconds) {
        std::string path = env.dir.path + "tone" + std::to_string(seconds) + ".mp3";
        EXPECT_TRUE(testenv::ffmpeg("-f lavfi -i sine=frequency=500:duration=" + std::to_string(seconds) +
                                    " -ac 2 -ar 44100 -c:a libmp3lame -b:a 128k " + path));
        return testenv::readFile(path);
    }
    void startWith(const std::string& url) {
        start({url}, "AutoNext=0\r\n");
        f->RadioClock = [this] { return now; };
    }
    void playFor(uint32_t ms) { testenv::renderMs(f->Engine(), ms); }
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const auto& c : run->t.dialogs.calls) out.push_back(c.text);
        return out;
    }
};

TEST_F(Radio, TheLabelsFollowTheStationsTitles) {
    // The first title for 4 s: longer than the engine reads while it
    // probes the stream, which keeps only the newest title it saw.
    const std::string body = mp3(8);
    std::vector<std::string> titles(16, "StreamTitle='First Artist - First Song';StreamUrl='';");
    titles.resize(80, "StreamTitle='News at ten';");
    LoopbackServer server([&](int fd, const std::string&) { testenv::serveIcy(fd, kIcyHead, body, 4096, titles); });
    startWith(server.url("/live"));

    play(0);
    // The window goes on while the worker connects, and says what it does.
    EXPECT_TRUE(f->RadioConnecting());
    EXPECT_EQ(f->Label_ScrollText.Caption(), f->LangRadioConnecting.Caption() + " " + server.url("/live"));
    EXPECT_NE(f->ImageTAG.Picture(), nullptr);  // the radio picture
    f->WaitForRadio();
    EXPECT_FALSE(f->RadioConnecting());
    ASSERT_NE(f->CurrentChannel, 0u);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_STALLED);  // until the buffer fills
    EXPECT_TRUE(f->Timer_Radio.Enabled());
    EXPECT_FALSE(f->Timer_Play.Enabled());
    EXPECT_EQ(f->Taskbar1.ProgressState(), ui::TTaskbarProgress::tpsNormal);
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"1"});

    now += std::chrono::seconds(75);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->Label_Artist.Caption(), "First Artist");
    EXPECT_EQ(f->Label_Title.Caption(), "First Song");
    EXPECT_EQ(f->Label_Year.Caption(), "Rock FM");
    EXPECT_EQ(f->TrayIcon1.Hint(), "First Artist - First Song (Rock FM)");
    EXPECT_EQ(f->Label_ScrollText.Caption(), "First Artist - First Song | Rock FM");
    EXPECT_EQ(f->CurrentFile, "First Artist - First Song | Rock FM");
    EXPECT_EQ(f->SizeCaption.Caption(), "Radio");
    EXPECT_EQ(f->kbpsCaption.Caption(), "128 kbps");
    EXPECT_EQ(f->HzCaption.Caption(), "44.1 kHz");
    EXPECT_EQ(f->Label_Stereo.Caption(), "Stereo");
    EXPECT_EQ(f->StatusBarTime.PanelText(0), " 00:01:15");

    // The title without " - " changes when playback reaches it.
    playFor(500);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    playFor(4000);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->Label_Artist.Caption(), "News at ten");
    EXPECT_EQ(f->Label_Title.Caption(), "Rock FM");
    EXPECT_EQ(f->TrayIcon1.Hint(), "News at ten | Rock FM");

    // Pause leaves a stream alone; stop resets everything.
    f->PauseButton.OnClick();
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    f->StopButton.OnClick();
    EXPECT_FALSE(f->Timer_Radio.Enabled());
    EXPECT_EQ(f->CurrentChannel, 0u);
    EXPECT_EQ(f->Label_Artist.Caption(), "");
    EXPECT_EQ(f->StreamTitle, "");
    EXPECT_EQ(f->StationName, "");
    EXPECT_EQ(f->SizeCaption.Caption(), "0 b");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Radio, AMissingMountPlaysNothingAndSaysNothing) {
    LoopbackServer server([](int fd, const std::string&) {
        LoopbackServer::send(fd, "HTTP/1.0 404 File Not Found\r\nContent-Type: text/html\r\n\r\n<html>gone</html>");
    });
    startWith(server.url("/nothing.mp3"));
    play(0);
    f->WaitForRadio();
    EXPECT_EQ(f->CurrentChannel, 0u);
    EXPECT_FALSE(f->Timer_Radio.Enabled());
    EXPECT_EQ(f->Label_ScrollText.Caption(), f->Caption());
    EXPECT_EQ(f->Taskbar1.ProgressState(), ui::TTaskbarProgress::tpsNone);
    EXPECT_EQ(f->ImageTAG.Picture(), nullptr);
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"1"});
    EXPECT_TRUE(messages().empty());
}

// A server that takes the connection and never answers: the window keeps
// handling the user's commands, and the probe gives up at its time-out.
TEST_F(Radio, ASilentServerNeverHoldsUpTheWindow) {
    LoopbackServer* self = nullptr;
    LoopbackServer silent([&self](int, const std::string&) { self->waitForStop(); });
    self = &silent;
    startWith(silent.url("/live"));
    f->RadioProbeOptions = {1000, 1000, ""};

    play(0);
    EXPECT_TRUE(f->RadioConnecting());
    // The user changes his mind: stop answers at once and nothing comes of the connection.
    f->StopButton.OnClick();
    EXPECT_FALSE(f->RadioConnecting());
    EXPECT_EQ(f->Label_ScrollText.Caption(), f->Caption());

    play(0);
    f->WaitForRadio();  // returns once the probe has given up
    EXPECT_FALSE(f->RadioConnecting());
    EXPECT_EQ(f->CurrentChannel, 0u);
    EXPECT_FALSE(f->Timer_Radio.Enabled());
    EXPECT_TRUE(messages().empty());
}

TEST_F(Radio, ADroppedStreamComesBackOnItsOwn) {
    const std::string shortBody = mp3(1), body = mp3(4);
    std::atomic<int> served{0};
    std::atomic<bool> down{false};
    LoopbackServer server([&](int fd, const std::string& request) {
        if (request.find("User-Agent: InetURL:/1.0") != std::string::npos) {
            LoopbackServer::send(fd, "HTTP/1.0 200 OK\r\n\r\n");  // the probe
            return;
        }
        int n = served++;
        if (down) {
            LoopbackServer::send(fd, "HTTP/1.0 503 Service Unavailable\r\n\r\n");
        } else if (n == 0) {
            // The first connection breaks off after a second.
            testenv::serveIcy(fd, kIcyHead, shortBody, 4096, std::vector<std::string>(10, "StreamTitle='A - B';"));
        } else {
            testenv::serveIcy(fd, kIcyHead, body, 4096, std::vector<std::string>(40, "StreamTitle='Back - Again';"));
        }
    });
    startWith(server.url("/live"));
    f->RadioReconnectAttempts = 3;
    f->RadioReconnectFirstWaitTicks = 2;
    play(0);
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->Label_Artist.Caption(), "A");

    for (int i = 0; i < 40 && f->ChannelActivity() != audio::ACTIVE_STOPPED; ++i) playFor(100);
    ASSERT_EQ(f->ChannelActivity(), audio::ACTIVE_STOPPED);
    f->Timer_Radio.fire();
    EXPECT_TRUE(f->RadioConnecting());
    EXPECT_EQ(f->Label_ScrollText.Caption(), f->LangRadioReconnecting.Caption());
    EXPECT_TRUE(f->Timer_Radio.Enabled());
    // The wait of the first attempt: two ticks, then the connection.
    f->Timer_Radio.fire();
    f->Timer_Radio.fire();
    f->Timer_Radio.fire();
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u);
    EXPECT_FALSE(f->RadioConnecting());
    f->Timer_Radio.fire();
    EXPECT_EQ(f->Label_Artist.Caption(), "Back");
    EXPECT_EQ(f->Label_Title.Caption(), "Again");
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"1"});  // no new start

    // A station that stays down: the attempts run out, each waiting longer, and playback stops.
    down = true;
    for (int i = 0; i < 60 && f->ChannelActivity() != audio::ACTIVE_STOPPED; ++i) playFor(100);
    ASSERT_EQ(f->ChannelActivity(), audio::ACTIVE_STOPPED);
    int ticks = 0;
    for (; ticks < 100 && f->Timer_Radio.Enabled(); ++ticks) {
        f->Timer_Radio.fire();
        f->WaitForRadio();
    }
    EXPECT_FALSE(f->Timer_Radio.Enabled());
    // The stream had not yet played long enough to count as recovered, so
    // the attempts go on from the second: waits of 4 and 8 ticks, each
    // followed by the tick that connects.
    EXPECT_EQ(ticks, 1 + 5 + 9);
    EXPECT_EQ(f->Label_ScrollText.Caption(), f->Caption());
    EXPECT_TRUE(messages().empty());
}

TEST_F(Radio, ARowNamingTheStationsPlaylistPlaysItsFirstStream) {
    const std::string body = mp3(3);
    LoopbackServer radio(
        [&](int fd, const std::string&) { testenv::serveIcy(fd, kIcyHead, body, 4096, {"StreamTitle='A - B';"}); });
    LoopbackServer list([&](int fd, const std::string&) {
        LoopbackServer::send(fd,
                             "HTTP/1.0 200 OK\r\nContent-Type: audio/x-scpls\r\n\r\n[playlist]\r\nNumberOfEntries=1\r\n"
                             "File1=" +
                                 radio.url("/live") + "\r\n");
    });
    startWith(list.url("/listen.pls"));
    play(0);
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->StationName, "Rock FM");
    EXPECT_EQ(f->Label_Artist.Caption(), "A");
}

// An HLS station: a playlist of short segments, fetched one after another.
TEST_F(Radio, AnHlsStationPlays) {
    const std::string hls = env.dir.path + "hls/";
    common::makeDirectories(hls);
    ASSERT_TRUE(
        testenv::ffmpeg("-f lavfi -i sine=frequency=500:duration=6 -ac 2 -c:a aac -b:a 96k -f hls "
                        "-hls_time 2 -hls_list_size 0 -hls_segment_filename " +
                        hls + "seg%d.ts " + hls + "live.m3u8"));
    LoopbackServer server([&](int fd, const std::string& request) {
        std::string path = request.substr(4, request.find(' ', 4) - 4);
        std::string name = path.substr(path.rfind('/') + 1);
        if (!common::fileExists(hls + name) || name.find("..") != std::string::npos) {
            LoopbackServer::send(fd, "HTTP/1.0 404 Not Found\r\n\r\n");
            return;
        }
        std::string bytes = testenv::readFile(hls + name);
        LoopbackServer::send(fd,
                             "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(bytes.size()) + "\r\n\r\n" + bytes);
    });
    startWith(server.url("/hls/live.m3u8"));
    play(0);
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u);
    playFor(4000);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_EQ(f->SizeCaption.Caption(), "Radio");
}

// What a station may send that it should not: the labels stay readable and
// nothing hangs or breaks.
struct BadInput {
    const char* name;
    std::string path;  // the row's path on the server, as typed by the user
    std::string head;  // the reply's head; empty: a redirect to itself
    std::string meta;  // the metadata block
    bool plays;
    std::string artist;  // Label_Artist once it plays
    std::string title = "Rock FM";
};

class RadioBadInput : public Radio, public ::testing::WithParamInterface<BadInput> {};

TEST_P(RadioBadInput, LabelsStaySane) {
    const BadInput& c = GetParam();
    const std::string body = mp3(3);
    LoopbackServer* self = nullptr;
    LoopbackServer server([&](int fd, const std::string&) {
        if (c.head.empty()) {
            LoopbackServer::send(
                fd, "HTTP/1.1 302 Found\r\nLocation: " + self->url("/again") + "\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        testenv::serveIcy(fd, c.head, body, 4096, std::vector<std::string>(40, c.meta));
    });
    self = &server;
    startWith(server.url(c.path));
    play(0);
    f->WaitForRadio();
    EXPECT_EQ(f->CurrentChannel != 0, c.plays);
    if (c.plays) {
        testenv::renderMs(f->Engine(), 1000);
        f->Timer_Radio.fire();
        EXPECT_EQ(f->Label_Artist.Caption(), c.artist);
        EXPECT_EQ(f->Label_Title.Caption(), c.title);
        EXPECT_EQ(server.requests().back().rfind("GET " + player::EncodeStreamUrl(c.path) + " ", 0), 0u);
    }
    for (const ui::TLabel* l : {&f->Label_Artist, &f->Label_Title, &f->Label_Year, &f->Label_ScrollText})
        EXPECT_TRUE(common::isValidUtf8(l->Caption())) << l->Name();
    EXPECT_TRUE(common::isValidUtf8(f->TrayIcon1.Hint()));
    EXPECT_TRUE(messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Stations, RadioBadInput,
    ::testing::Values(
        BadInput{"NoStreamTitle", "/live", kIcyHead, "StreamUrl='http://example.org';", true, ""},
        BadInput{"InvalidUtf8", "/live", kIcyHead, "StreamTitle='Bj\xf6rk \xff\xfe';", true, "Björk ÿþ"},
        BadInput{"LargestBlock", "/live", kIcyHead, "StreamTitle='" + std::string(4080 - 15, 'x') + "';", true,
                 std::string(4080 - 15, 'x')},
        BadInput{"ControlCharacters", "/live", kIcyHead, "StreamTitle='Line\r\nBreak';", true, "Line  Break"},
        // A head that never ends: the connection closes after the body.
        BadInput{"HeadWithoutEnd", "/live", "ICY 200 OK\r\nicy-name:Rock FM\r\nicy-metaint:4096\r\n", "", false, ""},
        BadInput{"RedirectLoop", "/live", "", "", false, ""},
        // Spaces and Cyrillic letters reach the server percent-encoded.
        BadInput{"SpacesAndCyrillic", "/мой поток", kIcyHead, "StreamTitle='Кино - Звезда';", true, "Кино", "Звезда"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The radio against a real Icecast server fed by ffmpeg in real time. Each
// wait here is for an event of the server (a title, a mount coming up), with
// a bound that only catches a hang.
#include <gtest/gtest.h>

#include "platform/urlprobe.h"
#include "support/engine.h"
#include "support/icecast.h"
#include "ui/testenv.h"

namespace {

struct IcecastRadio : ::testing::Test, testenv::Player {
    std::unique_ptr<testenv::Icecast> server;
    bool tls = false;

    void SetUp() override {
        if (!testenv::Icecast::available())
            GTEST_SKIP() << "icecast2 is not installed (scripts/packages/test-tools.txt)";
        server = std::make_unique<testenv::Icecast>(tls);
        ASSERT_TRUE(server->start()) << server->errorLog();
    }
    void startWith(const std::vector<std::string>& urls) {
        start(urls, "AutoNext=0\r\n");
        // A short buffer: the stream plays after a second instead of five.
        f->Engine().SetConfig(audio::CONFIG_NET_BUFFER, 1000);
    }
    // Plays on until the artist label shows `artist`; at most 60 s of sound,
    // which the server sends in real time.
    bool playUntilArtist(const std::string& artist) {
        for (int i = 0; i < 300; ++i) {
            f->Timer_Radio.fire();
            if (f->Label_Artist.Caption() == artist) return true;
            testenv::renderMs(f->Engine(), 200);
        }
        return false;
    }
};

TEST_F(IcecastRadio, TitlesChangeWithTheSongAndTheNextRowPlaysAfterStop) {
    ASSERT_TRUE(server->feed("/live.mp3", "mp3", "Orvelin Test FM"));
    ASSERT_TRUE(server->feed("/live.ogg", "ogg", "Vorbis Test FM"));
    ASSERT_TRUE(server->setTitle("/live.mp3", "First Artist - First Song"));
    startWith({server->url("/live.mp3"), server->url("/live.ogg")});

    play(0);
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u);
    ASSERT_TRUE(playUntilArtist("First Artist")) << f->Label_ScrollText.Caption();
    EXPECT_EQ(f->Label_Title.Caption(), "First Song");
    EXPECT_EQ(f->Label_Year.Caption(), "Orvelin Test FM");
    EXPECT_EQ(f->TrayIcon1.Hint(), "First Artist - First Song (Orvelin Test FM)");
    EXPECT_EQ(f->kbpsCaption.Caption(), "128 kbps");
    EXPECT_EQ(f->SizeCaption.Caption(), "Radio");

    ASSERT_TRUE(server->setTitle("/live.mp3", "Second Artist - Second Song"));
    ASSERT_TRUE(playUntilArtist("Second Artist")) << f->Label_ScrollText.Caption();
    EXPECT_EQ(f->Label_Title.Caption(), "Second Song");
    EXPECT_EQ(f->Label_ScrollText.Caption(), "Second Artist - Second Song | Orvelin Test FM");

    // Stop, then the next row: the Vorbis mount, named by its headers.
    f->StopButton.OnClick();
    EXPECT_EQ(f->CurrentChannel, 0u);
    f->NextButton.OnClick();
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u);
    testenv::renderMs(f->Engine(), 1500);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_EQ(f->StationName, "Vorbis Test FM");
    EXPECT_EQ(f->SizeCaption.Caption(), "Radio");
    EXPECT_EQ(f->MemoPlayHistory, (std::vector<std::string>{"1", "2"}));
}

TEST_F(IcecastRadio, AMissingMountPlaysNothing) {
    startWith({server->url("/nothing.mp3")});
    play(0);
    f->WaitForRadio();
    EXPECT_EQ(f->CurrentChannel, 0u);
    EXPECT_FALSE(f->Timer_Radio.Enabled());
    EXPECT_TRUE(run->t.dialogs.calls.empty());
}

// The server goes down under a playing stream and comes back: the stream
// plays on without a click from the user.
TEST_F(IcecastRadio, AServerRestartIsBridged) {
    ASSERT_TRUE(server->feed("/live.mp3", "mp3", "Restart FM"));
    startWith({server->url("/live.mp3")});
    f->RadioReconnectFirstWaitTicks = 1;
    play(0);
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u);
    testenv::renderMs(f->Engine(), 1500);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);

    server->stop();
    // What is buffered plays out, then the stream ends.
    for (int i = 0; i < 100 && f->ChannelActivity() != audio::ACTIVE_STOPPED; ++i) testenv::renderMs(f->Engine(), 100);
    ASSERT_EQ(f->ChannelActivity(), audio::ACTIVE_STOPPED);
    f->Timer_Radio.fire();
    EXPECT_TRUE(f->RadioConnecting());
    EXPECT_EQ(f->Label_ScrollText.Caption(), f->LangRadioReconnecting.Caption());

    ASSERT_TRUE(server->start()) << server->errorLog();
    ASSERT_TRUE(server->feed("/live.mp3", "mp3", "Restart FM"));
    // The first attempts may have failed while the server was down; later ones find it.
    for (int tick = 0; tick < 40 && f->CurrentChannel == 0 && f->Timer_Radio.Enabled(); ++tick) {
        f->Timer_Radio.fire();
        f->WaitForRadio();
    }
    ASSERT_NE(f->CurrentChannel, 0u) << f->Label_ScrollText.Caption();
    testenv::renderMs(f->Engine(), 1500);
    f->Timer_Radio.fire();
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_EQ(f->StationName, "Restart FM");
    EXPECT_EQ(f->MemoPlayHistory, std::vector<std::string>{"1"});
    EXPECT_TRUE(run->t.dialogs.calls.empty());
}

struct IcecastHttps : IcecastRadio {
    IcecastHttps() { tls = true; }
};

// Most stations now send their listeners to HTTPS.
TEST_F(IcecastHttps, AnHttpsStationPlays) {
    ASSERT_TRUE(server->feed("/live.mp3", "mp3", "Secure FM"));
    ASSERT_TRUE(server->setTitle("/live.mp3", "Safe - Sound"));
    const std::string url = server->httpsUrl("/live.mp3");
    // The probe checks the certificate: one nobody vouches for is refused.
    EXPECT_FALSE(platform::UrlReachable(url, {5000, 5000, ""}));
    EXPECT_TRUE(platform::UrlReachable(url, {5000, 5000, server->certificate()}));

    startWith({url});
    f->RadioProbeOptions.caFile = server->certificate();
    play(0);
    f->WaitForRadio();
    ASSERT_NE(f->CurrentChannel, 0u) << f->Label_ScrollText.Caption();
    ASSERT_TRUE(playUntilArtist("Safe")) << f->Label_ScrollText.Caption();
    EXPECT_EQ(f->Label_Year.Caption(), "Secure FM");
}

}  // namespace

// Internet radio: a row's URL opened as a stream on a worker, the radio timer
// that shows its title, station and bit rate, and the reconnection of a
// stream that drops.
#include <atomic>
#include <thread>

#include "common/files.h"
#include "image/pictures.h"
#include "player/playbackmath.h"
#include "player/radio.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

namespace {
constexpr uint32_t kSlideMs = 1000;
constexpr uint32_t kNetTimeoutMs = 10000;
// Freed once stopped, download at the playing rate, in blocks, with status.
constexpr uint32_t kStreamFlags =
    audio::STREAM_AUTOFREE | audio::STREAM_RESTRATE | audio::STREAM_BLOCK | audio::STREAM_STATUS | audio::ASYNCFILE;
// A stream that played this long has recovered: a later drop gets every attempt again.
constexpr int kHealthyTicks = 300;
}  // namespace

// One connection: the probe (for a fresh start) and the open, on a thread of
// its own. The UI thread reads the results only in what the thread posts.
struct TForm1::TRadioJob {
    std::shared_ptr<audio::Engine::PendingStream> pending;
    std::string url;
    bool probe = true;
    platform::TUrlProbeOptions options;
    std::atomic<bool> cancel{false};
    bool reachable = false, connected = false;
    std::thread thread;
};

bool TForm1::UrlReachable(const std::string& location) {
    return platform::UrlReachable(player::EncodeStreamUrl(location), RadioProbeOptions);
}

bool TForm1::RadioConnecting() const { return radioJob_ != nullptr || radioWaitTicks_ >= 0; }

void TForm1::Radio() {
    cancelRadio();
    Timer_Play.Enabled.set(false);
    if (image::ShowResourcePicture(ImageTAG, image::TResourcePicture::rpRadio, true) && Hooks.NotificationPicture)
        Hooks.NotificationPicture(ImageTAG.Picture());
    if (CurrentChannel) {
        engine_.ChannelStop(CurrentChannel);
        engine_.StreamFree(CurrentChannel);
        engine_.MusicFree(CurrentChannel);
        CurrentChannel = 0;
    }
    Taskbar1.ProgressState.set(TTaskbarProgress::tpsNone);
    Taskbar1.Overlay.set(TTaskbarOverlay::toNone);
    RadioStartTime = RadioClock();
    StreamTitle.clear(), StationName.clear();
    radioAttempt_ = 0;
    // UTF-8 with its non-ASCII bytes escaped: the network takes no other letters.
    radioUrl_ = player::EncodeStreamUrl(playingLocation_);
    engine_.SetConfig(audio::CONFIG_NET_TIMEOUT, kNetTimeoutMs);
    engine_.SetConfig(audio::CONFIG_NET_READTIMEOUT, kNetTimeoutMs);
    engine_.SetConfig(audio::CONFIG_NET_PLAYLIST, 1);
    Taskbar1.ProgressState.set(TTaskbarProgress::tpsIndeterminate);
    Label_ScrollText.Caption.set(LangRadioConnecting.Caption() + " " + playingLocation_);
    startRadioJob(true);
}

void TForm1::startRadioJob(bool probe) {
    // Threads that have ended are joined here; the others when they end.
    std::erase_if(radioJobs_, [](const std::shared_ptr<TRadioJob>& j) { return !j->thread.joinable(); });
    auto job = std::make_shared<TRadioJob>();
    job->pending = engine_.StreamPrepareURL(radioUrl_);
    job->url = radioUrl_;
    job->probe = probe;
    job->options = RadioProbeOptions;
    radioJob_ = job;
    radioJobs_.push_back(job);
    Dispatcher& ui = Application().dispatcher();
    std::weak_ptr<bool> alive = alive_;
    job->thread = std::thread([this, job, &ui, alive] {
        // Nothing of the window is touched here.
        job->reachable = !job->probe || platform::UrlReachable(job->url, job->options, &job->cancel);
        if (job->reachable && job->pending && !job->cancel) job->connected = job->pending->Connect();
        ui.post([this, job, alive] {
            if (job->thread.joinable()) job->thread.join();
            if (alive.lock() && !job->cancel) radioConnected(job);
        });
    });
}

void TForm1::cancelRadio() {
    radioWaitTicks_ = -1;
    if (!radioJob_) return;
    radioJob_->cancel = true;
    if (radioJob_->pending) radioJob_->pending->Cancel();
    radioJob_.reset();
}

void TForm1::WaitForRadio() {
    while (radioJob_) {
        std::shared_ptr<TRadioJob> job = radioJob_;
        if (job->thread.joinable()) job->thread.join();
        Application().ProcessMessages();
        if (radioJob_ == job) break;  // a dispatcher that ran nothing: no use waiting again
    }
    Application().ProcessMessages();
}

void TForm1::radioConnected(const std::shared_ptr<TRadioJob>& job) {
    if (job != radioJob_) return;  // a newer start or a stop came meanwhile
    radioJob_.reset();
    const bool reconnecting = radioAttempt_ > 0;
    audio::Handle h = job->connected && job->pending ? engine_.StreamCreatePrepared(*job->pending, kStreamFlags) : 0;
    if (!h) {
        if (reconnecting) {
            radioDropped();
        } else if (!job->reachable) {
            // As a file that is not there: nothing plays, and no message.
            Taskbar1.ProgressState.set(TTaskbarProgress::tpsNone);
            Label_ScrollText.Caption.set(Caption());
            clearCover();
        } else {
            Taskbar1.ProgressState.set(TTaskbarProgress::tpsError);
            Label_ScrollText.Caption.set(Caption());
        }
        return;
    }
    CurrentChannel = h;
    ChannelType = ctStream;
    ContinuePlayback();
}

void TForm1::ContinuePlayback() {
    if (!engine_.ChannelPlay(CurrentChannel, false)) {
        Application().dialogs().MessageBox("Playback error: " + std::to_string(audio::Engine::ErrorGetCode()), "",
                                           MB_OK);
        engine_.StreamFree(CurrentChannel);
        CurrentChannel = 0;
        return;
    }
    float volume = static_cast<float>(barVolume.Position()) / 100;
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_VOL, volume);
    engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, volume, kSlideMs);
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_PAN, static_cast<float>(balanceBar.Position()) / 50);
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_BUFFER, 10000);
    applyEqualizerSetting();
    Taskbar1.ProgressState.set(TTaskbarProgress::tpsNormal);
    Timer_Radio.Enabled.set(true);
    PlayState = 1;
    audio::ChannelInfo info;
    if (engine_.ChannelGetInfo(CurrentChannel, info)) {
        if (info.flags & audio::SAMPLE_8BITS) {
            // Not played, and not a drop to reconnect from.
            engine_.StreamFree(CurrentChannel);
            CurrentChannel = 0;
            Timer_Radio.Enabled.set(false);
            PlayState = 0;
            return;
        }
        Label_Stereo.Caption.set(info.chans < 2 ? "Mono" : "Stereo");
    }
    if (spectrum_) spectrum_->ResetPeaks();
    spectrumWake();
    showRadioLabels();
}

void TForm1::radioDropped() {
    if (CurrentChannel) {
        engine_.StreamFree(CurrentChannel);  // gone already when it freed itself on stopping
        CurrentChannel = 0;
    }
    if (radioAttempt_ >= RadioReconnectAttempts) {
        StopMusic();
        return;
    }
    radioWaitTicks_ = RadioReconnectFirstWaitTicks << radioAttempt_;
    ++radioAttempt_;
    radioHealthyTicks_ = 0;
    Taskbar1.ProgressState.set(TTaskbarProgress::tpsIndeterminate);
    Label_ScrollText.Caption.set(LangRadioReconnecting.Caption());
    TrayIcon1.Hint.set(LangRadioReconnecting.Caption());
}

void TForm1::Timer_RadioTimer() {
    auto elapsed = std::chrono::duration<double>(RadioClock() - RadioStartTime).count();
    if (radioWaitTicks_ >= 0) {
        if (radioWaitTicks_-- == 0) startRadioJob(false);
    } else if (!radioJob_) {
        if (!CurrentChannel || ChannelActivity() == audio::ACTIVE_STOPPED) {
            radioDropped();
        } else {
            if (radioAttempt_ > 0 && ++radioHealthyTicks_ >= kHealthyTicks) radioAttempt_ = 0;
            showRadioLabels();
        }
    }
    StatusBarTime.SetPanelText(0, " " + player::ClockText(elapsed));
}

void TForm1::showRadioLabels() {
    if (const char* meta = engine_.ChannelGetTags(CurrentChannel, audio::TAG_META))
        if (std::optional<std::string> title = player::ParseStreamTitle(meta)) StreamTitle = *title;
    const char* headers = engine_.ChannelGetTags(CurrentChannel, audio::TAG_ICY);
    if (!headers) headers = engine_.ChannelGetTags(CurrentChannel, audio::TAG_HTTP);
    player::TRadioHeaders h = player::ParseRadioHeaders(headers);
    StationName = h.StationName;

    float attribute = 0;
    std::optional<float> bitrate;
    if (engine_.ChannelGetAttribute(CurrentChannel, audio::ATTRIB_BITRATE, attribute) && attribute > 0)
        bitrate = attribute;
    audio::ChannelInfo info;
    std::optional<uint32_t> rate;
    if (engine_.ChannelGetInfo(CurrentChannel, info)) rate = info.freq;
    kbpsCaption.Caption.set(player::RadioBitrateText(h.Bitrate, bitrate, rate) + " kbps");
    HzCaption.Caption.set(player::RadioRateText(rate));
    SizeCaption.Caption.set("Radio");

    player::TRadioTexts t = player::RadioTexts(StreamTitle, StationName);
    ScrollTitle = t.ScrollTitle;
    Label_ScrollText.Caption.set(ScrollTitle);
    CurrentFile = ScrollTitle;
    StatusBarTime.SetPanelText(
        0, " " + player::ClockText(std::chrono::duration<double>(RadioClock() - RadioStartTime).count()));
    Label_Artist.Caption.set(t.Artist);
    Label_Title.Caption.set(t.Title);
    if (t.Year) Label_Year.Caption.set(*t.Year);
    TagArtist = t.Artist;
    TagTitle = t.Title;
    TrayIcon1.Hint.set(t.TrayHint);
}

void TForm1::stopRadio() {
    cancelRadio();
    for (auto& job : radioJobs_) {
        job->cancel = true;
        if (job->pending) job->pending->Cancel();
    }
    for (auto& job : radioJobs_)
        if (job->thread.joinable()) job->thread.join();
    radioJobs_.clear();
}

}  // namespace ui

// Playback: the current row as a channel of the engine, the transport
// commands, the progress timer with the end of a track, and the history.
#include <cmath>

#include "common/files.h"
#include "common/text.h"
#include "player/duration.h"
#include "player/history.h"
#include "player/m3u.h"
#include "player/playbackmath.h"
#include "player/radio.h"
#include "player/randomorder.h"
#include "tags/facade/tagslibrary.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

namespace {
constexpr uint32_t kSlideMs = 1000;
// The add-ons for DSD and WebM take their files with one flag more.
constexpr uint32_t kDsdWebmFlags = audio::UNICODE | audio::MUSIC_RAMP;
// Tracker music: prescanned (for its length), float samples, mono.
constexpr uint32_t kMusicFlags = audio::UNICODE | audio::MUSIC_PRESCAN | audio::SAMPLE_FLOAT | audio::SAMPLE_MONO;
}  // namespace

tags::TTags& TForm1::PlayingTags() {
    if (!playingTags_) playingTags_ = std::make_unique<tags::TTags>();
    return *playingTags_;
}

bool TForm1::setting(TCheckBox TForm2::*box) const { return Form2 && (Form2->*box).Checked(); }

bool TForm1::isStream(const std::string& location) {
    // Whether it answers is the radio's question, asked on its worker.
    return player::IsStreamUrl(location) && !common::fileExists(location);
}

uint32_t TForm1::ChannelActivity() { return engine_.ChannelIsActive(CurrentChannel); }

int64_t TForm1::ChannelLengthMs() {
    if (ChannelType == ctUnknown) return 0;
    audio::QWord bytes = engine_.ChannelGetLength(CurrentChannel, audio::POS_BYTE);
    double seconds = engine_.ChannelBytes2Seconds(CurrentChannel, bytes == audio::kFail64 ? 0 : bytes);
    return seconds > 0 ? std::llround(seconds * 1000) : 0;
}

int64_t TForm1::ChannelPositionMs() {
    if (ChannelType == ctUnknown) return 0;
    audio::QWord bytes = engine_.ChannelGetPosition(CurrentChannel, audio::POS_BYTE);
    double seconds = engine_.ChannelBytes2Seconds(CurrentChannel, bytes == audio::kFail64 ? 0 : bytes);
    return seconds > 0 ? std::llround(seconds * 1000) : 0;
}

void TForm1::SeekToMs(int64_t ms) {
    if (ChannelType == ctUnknown || ms > ChannelLengthMs() || ChannelActivity() == audio::ACTIVE_STOPPED) return;
    audio::QWord bytes = engine_.ChannelSeconds2Bytes(CurrentChannel, static_cast<double>(ms) / 1000);
    engine_.ChannelSetPosition(CurrentChannel, bytes, audio::POS_BYTE);
}

bool TForm1::OpenChannel(const std::string& file) {
    // The effects leave while their channel still exists: a freed channel's
    // effects cannot be removed, and a handle kept would not be made again.
    if (Form2) Form2->BASS_RestoreSoundEffect();
    switch (ChannelType) {
    case ctStream: engine_.StreamFree(CurrentChannel); break;
    case ctMusic: engine_.MusicFree(CurrentChannel); break;
    case ctSample: engine_.SampleFree(CurrentChannel); break;
    case ctUnknown: break;
    }
    CurrentChannel = 0;

    // By trial, not by extension: the first creator that takes the file.
    audio::Handle h = engine_.StreamCreateFile(file, 0, 0, audio::UNICODE);
    for (int f = 0; !h && f <= static_cast<int>(audio::AddOn::WEBM); ++f) {
        auto family = static_cast<audio::AddOn>(f);
        bool dsdOrWebm = family == audio::AddOn::DSD || family == audio::AddOn::WEBM;
        h = engine_.AddOnStreamCreateFile(family, file, 0, 0, dsdOrWebm ? kDsdWebmFlags : audio::UNICODE);
    }
    if (h) {
        ChannelType = ctStream;
    } else if ((h = engine_.MusicLoad(file, 0, 0, kMusicFlags, 1))) {
        ChannelType = ctMusic;
    } else {
        return false;
    }

    audio::ChannelInfo info;
    if (engine_.ChannelGetInfo(h, info) && (info.flags & audio::SAMPLE_8BITS)) {
        engine_.MusicFree(h);
        engine_.StreamFree(h);
        return false;
    }
    CurrentChannel = h;

    PlayingTags().LoadFromFile(file);
    showTitle();
    Label_ScrollText.Caption.set(ScrollTitle);

    if (spectrum_) spectrum_->ResetPeaks();
    engine_.ChannelPlay(CurrentChannel, false);
    if (Form2) Form2->BASS_SetSoundEffects(Form2->Effects.CurrentEffects);
    float volume = static_cast<float>(barVolume.Position()) / 100;
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_VOL, volume);
    engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, volume, kSlideMs);
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_PAN, static_cast<float>(balanceBar.Position()) / 50);
    return true;
}

void TForm1::audioPlay() {
    Timer_Radio.Enabled.set(false);
    if (!common::fileExists(CurrentFile)) return;
    tags::TTags& t = PlayingTags();
    t.ParseAudioAttributes = true;
    t.LoadFromFile(CurrentFile);

    uint32_t activity = ChannelActivity();
    if (activity != audio::ACTIVE_PLAYING) {
        if (activity == audio::ACTIVE_PAUSED) {
            engine_.ChannelPlay(CurrentChannel, false);
        } else {
            if (!OpenChannel(CurrentFile)) return;
            if (setting(&TForm2::chEqualizer)) {
                Form2->BASS_RestoreSoundEffect();
                Form2->Effects.CurrentEffects |= seEqualizer;
                Form2->BASS_SetSoundEffects(Form2->Effects.CurrentEffects);
            }
        }
    }
    float volume = static_cast<float>(barVolume.Position()) / 100;
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_VOL, volume);
    engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, volume, kSlideMs);
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_PAN, static_cast<float>(balanceBar.Position()) / 50);
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_BUFFER, 10000);
    Timer_Play.Enabled.set(true);
    PlayState = 1;
    Taskbar1.ProgressState.set(TTaskbarProgress::tpsNone);
    Taskbar1.Overlay.set(TTaskbarOverlay::toNone);
    TechnicalLabels();
    spectrumWake();
}

void TForm1::applyEqualizerSetting() {
    if (!Form2) return;
    Form2->BASS_RestoreSoundEffect();
    if (setting(&TForm2::chEqualizer)) Form2->Effects.CurrentEffects |= seEqualizer;
    else Form2->Effects.CurrentEffects &= static_cast<TSNDEffects>(~seEqualizer);
    Form2->BASS_SetSoundEffects(Form2->Effects.CurrentEffects);
}

void TForm1::PlayMusicSG() {
    StopMusic();
    int row = StringGrid1.Row();
    if (row < 0 || row >= StringGrid1.RowCount()) return;  // nothing to play, nothing to record
    const std::string location = StringGrid1.Cell(3, row);
    playingRow_ = row;
    playingLocation_ = location;
    if (isStream(location)) {
        startStream(row);
        return;
    }
    Timer_Play.Enabled.set(false);
    barSeek.Enabled.set(true);
    PlayState = 1;
    CurrentFile = location;
    audioPlay();
    appendHistory(row + 1);
    applyEqualizerSetting();
    clearCover();
    listCover();
    UpdateNextTrackHints();
    afterStart();
}

void TForm1::MenuPlaySG() {
    int row = StringGrid1.Row();
    const bool hasRow = row >= 0 && row < StringGrid1.RowCount();
    const std::string location = hasRow ? StringGrid1.Cell(3, row) : std::string();
    if (hasRow && isStream(location)) {
        playingRow_ = row;
        playingLocation_ = location;
        startStream(row);
        return;
    }
    barSeek.Enabled.set(true);
    uint32_t activity = ChannelActivity();
    if (activity == audio::ACTIVE_PAUSED) {
        // Resuming goes on with the paused file, whatever row is selected now,
        // and is no new start for the history.
        audioPlay();
        UpdateNextTrackHints();
        popNotification();
    } else if (activity == audio::ACTIVE_STOPPED && hasRow) {
        CurrentFile = location;
        playingRow_ = row;
        playingLocation_ = location;
        clearCover();
        audioPlay();
        appendHistory(row + 1);
        UpdateNextTrackHints();
        popNotification();
    }
    clearCover();
    listCover();
    TrimWorkingSet();
}

void TForm1::PauseMusic() {
    // Streams are not paused: what plays decides, or, before anything
    // started, the selected row.
    std::string location = playingLocation_;
    if (location.empty() && StringGrid1.Row() >= 0) location = StringGrid1.Cell(3, StringGrid1.Row());
    if (common::findNoCase(location, "http") != std::string::npos) return;
    if (setting(&TForm2::ProgressBox)) {
        Taskbar1.Overlay.set(TTaskbarOverlay::toPause);
        Taskbar1.ProgressState.set(TTaskbarProgress::tpsPaused);
        Taskbar1.ProgressValue.set(barSeek.Position());
    } else {
        Taskbar1.Overlay.set(TTaskbarOverlay::toNone);
        Taskbar1.ProgressState.set(TTaskbarProgress::tpsIndeterminate);
    }
    engine_.ChannelPause(CurrentChannel);
    engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, 0, kSlideMs);
    PlayState = 2;
    Timer_Play.Enabled.set(false);
    Timer_Radio.Enabled.set(false);
}

void TForm1::StopMusic() {
    SeekArmed = false;
    Timer_Play.Enabled.set(false);
    Timer_TaskTrackGo.Enabled.set(false);
    Timer_Radio.Enabled.set(false);
    cancelRadio();
    if (Form2) Form2->BASS_RestoreSoundEffect();
    engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, 0, kSlideMs);
    engine_.ChannelStop(CurrentChannel);
    engine_.StreamFree(CurrentChannel);
    engine_.MusicFree(CurrentChannel);
    CurrentChannel = 0;
    PlayState = 0;

    barSeek.Position.set(0);
    barSeek.Enabled.set(false);
    StatusBarTime.SetPanelText(0, " 00:00:00");
    barSeek.Hint.set(" 00:00:00");
    kbpsCaption.Caption.set("0 kbps");
    HzCaption.Caption.set("0 kHz");
    SizeCaption.Caption.set("0 b");
    for (TLabel* l : {&Label_Artist, &Label_Title, &Label_Year, &Label_Stereo, &LabelImageTag}) l->Caption.set("");
    TagArtist.clear(), TagTitle.clear(), TagAlbum.clear(), TagYear.clear(), TagGenre.clear();
    StreamTitle.clear(), StationName.clear();
    Label_ScrollText.Caption.set(Caption());
    clearCover();

    Taskbar1.Overlay.set(TTaskbarOverlay::toNone);
    Taskbar1.ProgressState.set(TTaskbarProgress::tpsNone);
    TrayIcon1.Hint.set(Caption());
    if (Hooks.CloseNotification) Hooks.CloseNotification();
    spectrumWake();
}

void TForm1::NextFileSG() {
    Timer_Play.Enabled.set(false);
    moveSeekBar(0);
    if (ChannelActivity() != audio::ACTIVE_STOPPED || PlayState != 0)
        engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, 0, kSlideMs);
    engine_.ChannelStop(CurrentChannel);

    const int rows = StringGrid1.RowCount();
    if (!RandomTrack()) {
        int next = StringGrid1.Row() + 1 >= rows ? 0 : StringGrid1.Row() + 1;
        StringGrid1.SetRow(next);
        UpdateNextTrackHints();
        PlayMusicSG();
    } else if (rows == 1) {
        StringGrid1.SetRow(0);
        PlayMusicSG();
    } else {
        std::optional<int> row = player::AdvanceRandomOrder(MemoRandomSong);
        if (!row || *row > rows) {
            StopMusic();  // the order is used up (or names a row that is gone)
        } else {
            StringGrid1.SetRow(*row - 1);
            if (std::optional<int> after = player::RandomOrderNext(MemoRandomSong); after && *after <= rows) {
                NextButton.Hint.set(StringGrid1.Cell(1, *after - 1));
                Taskbar1.NextHint.set(NextButton.Hint());
            }
            PlayMusicSG();
        }
    }
    TrimWorkingSet();
}

void TForm1::PreviousFile() {
    const int rows = StringGrid1.RowCount();
    if (rows == 1) {
        StringGrid1.SetRow(0);
        UpdateNextTrackHints();
        PlayMusicSG();
        return;
    }
    moveSeekBar(0);
    Timer_Play.Enabled.set(false);
    engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, 0, kSlideMs);
    engine_.ChannelStop(CurrentChannel);

    std::optional<int> row = player::StepBackInHistory(MemoPlayHistory);
    if (!row || *row > rows) {
        StopMusic();
        return;
    }
    StringGrid1.SetRow(*row - 1);
    // Next then returns to the entry that was left.
    if (!MemoRandomSong.empty()) MemoRandomSong.insert(MemoRandomSong.begin(), std::to_string(*row));
    PlayMusicSG();
    TrimWorkingSet();
}

void TForm1::Timer_PlayTimer() {
    if (PlayState != 1) return;
    audio::QWord position = engine_.ChannelGetPosition(CurrentChannel, audio::POS_BYTE);
    audio::QWord length = engine_.ChannelGetLength(CurrentChannel, audio::POS_BYTE);
    uint32_t activity = ChannelActivity();

    if (position == length || activity == audio::ACTIVE_STOPPED) {
        if (!setting(&TForm2::RepeatSong)) {
            if (setting(&TForm2::AutoNext)) NextFileSG();
            else StopMusic();
        } else {
            if (activity != audio::ACTIVE_STOPPED || PlayState != 0)
                engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, 0, kSlideMs);
            engine_.ChannelStop(CurrentChannel);
            engine_.ChannelFlags(CurrentChannel, audio::SAMPLE_LOOP, audio::SAMPLE_LOOP);
            PlayState = 1;
            barSeek.Enabled.set(true);
            audioPlay();  // a new channel of the same file, from its start
            // A file that went away cannot repeat; without this the timer would
            // try again, and add to the history, five times a second.
            if (ChannelActivity() == audio::ACTIVE_STOPPED) {
                StopMusic();
                return;
            }
            appendHistory(playingRow_ + 1);
            popNotification();
        }
        // The next tick shows the new track; this one's times are of the old.
        return;
    }

    if (activity != audio::ACTIVE_STOPPED) showPlayProgress();
    double elapsed = engine_.ChannelBytes2Seconds(CurrentChannel, position);
    double remaining = engine_.ChannelBytes2Seconds(CurrentChannel, length) - elapsed;
    TechnicalLabels();
    StatusBarTime.SetPanelText(0,
                               TimeMode == 1 ? " " + player::ClockText(elapsed) : "-" + player::ClockText(remaining));
    barSeek.Hint.set(player::ClockText(elapsed));
}

void TForm1::showPlayProgress() {
    if (!barSeek.Enabled()) barSeek.Enabled.set(true);
    moveSeekBar(player::SeekBarPosition(ChannelPositionMs(), ChannelLengthMs(), barSeek.Max()));
    showTaskbarProgress();
    SeekArmed = true;
}

void TForm1::showTaskbarProgress() {
    if (setting(&TForm2::ProgressBox)) {
        Taskbar1.Overlay.set(TTaskbarOverlay::toPlay);
        Taskbar1.ProgressState.set(TTaskbarProgress::tpsNormal);
        Taskbar1.ProgressMax.set(barSeek.Max());
        Taskbar1.ProgressValue.set(barSeek.Position());
    } else {
        Taskbar1.ProgressState.set(TTaskbarProgress::tpsNone);
        Taskbar1.Overlay.set(TTaskbarOverlay::toNone);
    }
}

void TForm1::moveSeekBar(int position) {
    SeekArmed = false;
    barSeek.Position.set(position);
}

void TForm1::appendHistory(int row) {
    if (row >= 1) player::AppendHistory(MemoPlayHistory, row);
}

void TForm1::afterStart() {
    Application().ProcessMessages();
    popNotification();
    TrimWorkingSet();
}

void TForm1::popNotification() {
    if (!setting(&TForm2::BaloonWindow)) return;
    if (Hooks.CloseNotification) Hooks.CloseNotification();
    if (Hooks.ShowNotification) Hooks.ShowNotification();
}

void TForm1::startStream(int row) {
    moveSeekBar(0);
    Radio();
    spectrumWake();
    appendHistory(row + 1);
    UpdateNextTrackHints();
    afterStart();
}

void TForm1::RandomSongSG() {
    if (!RandomTrack()) return;
    MemoRandomSong = player::BuildRandomOrder(StringGrid1.RowCount(), random_);
    SaveSongRandom();
}

void TForm1::UpdateNextTrackHints() {
    const int rows = StringGrid1.RowCount();
    if (rows == 0) return;
    int next;
    if (RandomTrack()) {
        std::optional<int> n = player::RandomOrderNext(MemoRandomSong);
        if (!n || *n > rows) return;
        next = *n - 1;
    } else {
        next = StringGrid1.Row() + 1 >= rows ? 0 : StringGrid1.Row() + 1;
    }
    NextButton.Hint.set(StringGrid1.Cell(1, next));
    Taskbar1.NextHint.set(NextButton.Hint());
}

void TForm1::ReleaseAudio() {
    Timer_Play.Enabled.set(false);
    engine_.Stop();
    engine_.StreamFree(CurrentChannel);
    engine_.MusicFree(CurrentChannel);
    engine_.Free();
    CurrentChannel = 0;
}

}  // namespace ui

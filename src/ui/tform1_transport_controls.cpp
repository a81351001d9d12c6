// The transport's controls: buttons, bars, the time display, the keys, and
// the labels that describe the playing file.
#include "common/files.h"
#include "common/text.h"
#include "player/addmedia.h"
#include "player/duration.h"
#include "player/m3u.h"
#include "player/playbackmath.h"
#include "tags/facade/tagslibrary.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

namespace {
constexpr uint16_t kKeyLeft = 0x25, kKeyRight = 0x27;
constexpr uint16_t kKeyF1 = 0x70, kKeyF24 = 0x87;
}  // namespace

void TForm1::bindTransport() {
    PlayButton.OnClick = [this] { MenuPlaySG(); };
    PauseButton.OnClick = [this] { PauseMusic(); };
    StopButton.OnClick = [this] { StopMusic(); };
    PrevButton.OnClick = [this] { PreviousFile(); };
    NextButton.OnClick = [this] { NextFileSG(); };
    PlayTryMenu.OnClick = [this] { PlayMusicSG(); };
    PauseTryMenu.OnClick = [this] { PauseMusic(); };
    StopTryMenu.OnClick = [this] { StopMusic(); };
    NextTryMenu.OnClick = [this] { NextFileSG(); };
    PrevTryMenu.OnClick = [this] { PreviousFile(); };
    SoundButton.OnClick = [this] { SoundButtonClick(); };
    RandomButton.OnClick = [this] { RandomButtonClick(); };
    RepeatButton.OnClick = [this] { RepeatButtonClick(); };
    StatusBarTime.OnClick = [this] { StatusBarTimeClick(); };
    Timer_Play.OnTimer = [this] { Timer_PlayTimer(); };
    Timer_Radio.OnTimer = [this] { Timer_RadioTimer(); };
    barSeek.OnChange = [this] { barSeekChange(); };
    barVolume.OnChange = [this] { barVolumeChange(); };
    barVolumeSys.OnChange = [this] {
        // The device's own volume follows with the system volume service.
        if (!barVolumeSys.Visible()) return;
        barVolumeSys.Hint.set(std::to_string(barVolumeSys.Position()) + "%");
        SoundMuted = barVolumeSys.Position() == 0;
        SoundButton.ImageIndex.set(SoundMuted ? biSoundOff : biSound);
    };
    balanceBar.OnChange = [this] { balanceBarChange(); };
    for (TTrackBar* bar : {&barSeek, &barVolume, &barVolumeSys, &balanceBar}) {
        bar->OnMouseDown = [this, bar](TMouseButton b, TShiftState, int x, int) { trackBarMouseDown(*bar, b, x); };
        bar->OnMouseMove = [this, bar](TShiftState, int x, int) {
            if (dragBar_ == bar) trackBarMouseDown(*bar, TMouseButton::mbLeft, x);
        };
        bar->OnMouseUp = [this](TMouseButton, TShiftState, int, int) { dragBar_ = nullptr; };
        bar->OnMouseWheel = [this, bar](int delta, int, int) { trackBarMouseWheel(*bar, delta); };
    }
    StringGrid1.OnDblClick = [this] { PlayMusicSG(); };
    StringGrid1.OnSelectCell = [this] {
        if (ChannelActivity() == audio::ACTIVE_STOPPED && StringGrid1.Row() >= 0)
            CurrentFile = StringGrid1.Cell(3, StringGrid1.Row());
    };
    OnShortCut = [this](uint16_t key, TShiftState shift, bool& handled) { FormShortCut(key, shift, handled); };
}

TForm1::TTechTexts TForm1::techTexts() {
    TTechTexts t;
    audio::ChannelInfo info;
    bool haveInfo = engine_.ChannelGetInfo(CurrentChannel, info);
    audio::QWord fileBytes = engine_.StreamGetFilePosition(CurrentChannel, audio::FILEPOS_END);
    audio::QWord length = engine_.ChannelGetLength(CurrentChannel, audio::POS_BYTE);
    double seconds = length == audio::kFail64 ? 0 : engine_.ChannelBytes2Seconds(CurrentChannel, length);
    // Tracker music has no file position: its rate shows as 0.
    int kbps = fileBytes == audio::kFail64 ? 0 : player::AverageKbps(static_cast<int64_t>(fileBytes), seconds);
    t.kbps = std::to_string(kbps) + " kbps";
    t.rate = player::SampleRateText(haveInfo ? info.freq : 0) + " kHz";
    t.size = player::FormatByteSize(std::max<int64_t>(0, player::FileSizeOf(CurrentFile)));
    return t;
}

void TForm1::TechnicalLabels() {
    TTechTexts t = techTexts();
    kbpsCaption.Caption.set(t.kbps);
    HzCaption.Caption.set(t.rate);
    SizeCaption.Caption.set(t.size);
    audio::ChannelInfo info;
    engine_.ChannelGetInfo(CurrentChannel, info);
    Label_Stereo.Caption.set(info.chans < 2 ? "Mono" : "Stereo");
}

void TForm1::setPlayingRowTitle(const std::string& title) {
    // Only while that row still names the file: the grid may have changed under it.
    if (playingRow_ >= 0 && playingRow_ < StringGrid1.RowCount() && StringGrid1.Cell(3, playingRow_) == CurrentFile)
        StringGrid1.SetCell(1, playingRow_, title);
}

void TForm1::showTitle() {
    const tags::TTags& t = PlayingTags();
    TTechTexts tech = techTexts();
    const std::string tail = tech.size + ", " + tech.rate + ", " + tech.kbps + " :: ***";
    if (t.Loaded) {
        TagArtist = t.GetText("ARTIST");
        TagTitle = t.GetText("TITLE");
        TagAlbum = t.GetText("ALBUM");
        TagYear = t.GetText("YEAR");
        TagGenre = t.GetText("GENRE");
        ScrollTitle = "*** :: " + TagArtist + " - " + TagTitle + " :: " + TagAlbum + " :: " + TagGenre +
                      " :: " + TagYear + " :: " + tail;
        Label_Artist.Caption.set(TagArtist);
        Label_Title.Caption.set(TagTitle);
        Label_Year.Caption.set(TagYear);
        TrayIcon1.Hint.set(TagArtist + " - " + TagTitle);
        // The row's title follows the tag scan's rule: a title without an artist is just the title.
        setPlayingRowTitle(player::MediaTitle(t, true, CurrentFile));
        if (!(TagArtist + TagTitle).empty()) return;
    }
    for (TLabel* l : {&Label_Artist, &Label_Title, &Label_Year}) l->Caption.set("");
    TagArtist.clear(), TagTitle.clear(), TagAlbum.clear(), TagYear.clear(), TagGenre.clear();
    std::string name = player::ExtractOnlyFileName(CurrentFile);
    ScrollTitle = "*** :: " + name + " :: " + tail;
    Label_Artist.Caption.set(name);
    TrayIcon1.Hint.set(name);
    setPlayingRowTitle(name);
}

void TForm1::barSeekChange() {
    if (!SeekArmed) return;
    engine_.ChannelPause(CurrentChannel);
    engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, 0, 1000);
    double step = static_cast<double>(ChannelLengthMs()) / std::max(1, barSeek.Max());
    Timer_Play.Enabled.set(false);
    SeekToMs(std::llround(barSeek.Position() * step));
    showTaskbarProgress();
    audioPlay();  // resumes the paused channel and the timer
}

void TForm1::barVolumeChange() {
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_VOL, static_cast<float>(barVolume.Position()) / 100);
    if (barVolume.Visible()) {
        barVolume.Hint.set(std::to_string(barVolume.Position()) + "%");
        SoundMuted = barVolume.Position() == 0;
        SoundButton.ImageIndex.set(SoundMuted ? biSoundOff : biSound);
    }
    barVolume.Focused.set(false);
}

void TForm1::balanceBarChange() {
    engine_.ChannelSetAttribute(CurrentChannel, audio::ATTRIB_PAN, static_cast<float>(balanceBar.Position()) / 50);
    balanceBar.Hint.set(std::to_string(balanceBar.Position()) + "%");
    balanceBar.Focused.set(false);
}

void TForm1::SoundButtonClick() {
    const bool system = Form2 && Form2->RadioButton_System.Checked();
    TTrackBar& bar = system ? barVolumeSys : barVolume;
    int& memo = system ? SystemVolumeMemo : PlayerVolumeMemo;
    if (SoundMuted) {
        SoundButton.ImageIndex.set(biSound);
        bar.Position.set(memo);
        SoundMuted = false;
    } else {
        SoundButton.ImageIndex.set(biSoundOff);
        memo = bar.Position();
        bar.Position.set(0);
        SoundMuted = true;
    }
}

void TForm1::RandomButtonClick() {
    if (Form2) Form2->RandomTrack.Checked.set(!Form2->RandomTrack.Checked());
}

void TForm1::RepeatButtonClick() {
    if (Form2) Form2->RepeatSong.Checked.set(!Form2->RepeatSong.Checked());
}

void TForm1::StatusBarTimeClick() {
    TimeMode = TimeMode == 0 ? 1 : 0;
    FontApply();
}

void TForm1::trackBarMouseDown(TTrackBar& bar, TMouseButton button, int x) {
    if (button == TMouseButton::mbRight) {
        if (&bar == &balanceBar) balanceBar.Position.set(0);
        return;
    }
    if (button != TMouseButton::mbLeft) return;
    dragBar_ = &bar;
    if (&bar == &balanceBar) {
        if (auto p = player::TrackBarClickPositionNoMargin(bar.Min(), bar.Max(), bar.Width(), x)) bar.Position.set(*p);
        return;
    }
    std::optional<int> p = player::TrackBarClickPosition(bar.Max(), bar.Width(), x);
    if (!p) return;
    if (&bar == &barSeek) {
        Timer_Play.Enabled.set(false);
        bar.Position.set(*p);
        Timer_Play.Enabled.set(true);
        return;
    }
    bar.Position.set(*p);
    (&bar == &barVolume ? PlayerVolumeMemo : SystemVolumeMemo) = bar.Position();
}

void TForm1::trackBarMouseWheel(TTrackBar& bar, int delta) {
    bar.Position.set(player::TrackBarWheelPosition(bar.Position(), delta));
}

bool TForm1::mediaKey(uint16_t key) {
    switch (key) {
    case vkMediaNextTrack: NextFileSG(); return true;
    case vkMediaPrevTrack: PreviousFile(); return true;
    case vkMediaStop: StopMusic(); return true;
    case vkPause:
        PauseMusic();
        PlayState = 2;
        return true;
    case vkPlay:
        MenuPlaySG();
        PlayState = 1;
        return true;
    case vkMediaPlayPause:
        if (ChannelActivity() == audio::ACTIVE_PLAYING) {
            PauseMusic();
            PlayState = 2;
        } else {
            MenuPlaySG();
            PlayState = 1;
        }
        return true;
    default: return false;
    }
}

void TForm1::FormShortCut(uint16_t key, TShiftState shift, bool& handled) {
    if (!Form2 || (Hooks.TagEditorShowing && Hooks.TagEditorShowing())) return;
    // While the search box has the focus, what is typed is text: only the
    // function keys and the media keys stay shortcuts.
    const bool media = key == vkPause || (key >= vkMediaNextTrack && key <= vkMediaPlayPause) || key == vkPlay;
    if (SearchBox1.Focused() && !(key >= kKeyF1 && key <= kKeyF24) && !media) return;

    // The key with its modifiers: Shift+F2 is not F2, so that a key given to
    // one command does not also run another.
    const TShortCut pressed = TShortCut((key & 0xFF) | (shift & ssShift ? scShift : 0) | (shift & ssCtrl ? scCtrl : 0) |
                                        (shift & ssAlt ? scAlt : 0));
    if (pressed == Form2->HotKey_Next.HotKey()) {
        NextFileSG();
        handled = true;
    } else if (pressed == Form2->HotKey_Prev.HotKey()) {
        PreviousFile();
        handled = true;
    } else if (pressed == Form2->HotKey_Start.HotKey()) {
        // Its own toggle: the play and pause buttons do not move it.
        if (startKeyPauses_) {
            startKeyPauses_ = false;
            PauseMusic();
            PlayState = 2;
        } else {
            startKeyPauses_ = true;
            MenuPlaySG();
            PlayState = 1;
        }
        handled = true;
    } else if (pressed == Form2->HotKey_Play.HotKey()) {
        PlayMusicSG();
        handled = true;
    } else if (mediaKey(key)) {
        handled = true;
    } else if (key == kKeyRight || key == kKeyLeft) {
        handled = true;
        const int row = StringGrid1.Row();
        const std::string location = row >= 0 ? StringGrid1.Cell(3, row) : std::string();
        bool stream = key == kKeyRight ? isStream(location) : common::findNoCase(location, "http") != std::string::npos;
        // Nothing to seek in before anything was opened.
        if (stream || CurrentChannel == 0) return;
        if (ChannelActivity() != audio::ACTIVE_PAUSED) PauseMusic();
        engine_.ChannelSlideAttribute(CurrentChannel, audio::ATTRIB_VOL, 0, 1000);
        Timer_Play.Enabled.set(false);
        SeekArmed = true;
        barSeek.Position.set(barSeek.Position() + (key == kKeyRight ? 1 : -1));
        Timer_Play.Enabled.set(true);
        audioPlay();
    }
}

}  // namespace ui

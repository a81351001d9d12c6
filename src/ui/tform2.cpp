// The settings window: its layout, the engine's start, reading and writing
// the options, the tree of pages and the buttons. The pages' behaviours are
// in tform2_general.cpp, tform2_equalizer.cpp and tform2_hotkeys.cpp.
#include "ui/tform2.h"

#include <functional>
#include <utility>

#include "app/inifile.h"
#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "player/playbackmath.h"
#include "ui/tform1.h"

namespace ui {

namespace {
constexpr const char* kOption = "Option";
constexpr uint16_t kKeyEnter = 0x0D, kKeyEscape = 0x1B;
}  // namespace

TForm2::TForm2(TApplication& app, audio::Engine& engine, TForm1& form1)
    : TForm(app, "Form2"), engine_(engine), form1_(form1) {
    Caption.set("Настройки");
    KeyPreview.set(true);
    // The header follows the tree, the labels of the shortcut fields their hints.
    RuntimeTextComponents = {"LabelInfo"};
    for (TComponent* c : Components())
        if (c->Name().starts_with("LabelHotKey_")) RuntimeTextComponents.push_back(c->Name());
    layOut();
    chEqualizer.Hint.set("Включить/Выключить эквалайзер");
    for (TMenuItem* message : {&LangHotKeyTaken, &LangHotKeyModifiers}) {
        message->Visible.set(false);
        PopupMenuMessages.Add(message);
    }

    ShowCoverArts.OnClick = [this] { ShowCoverArtsClick(); };
    CheckBox_ShowPL.OnClick = [this] { CheckBox_ShowPLClick(); };
    CheckBox_LinesPL.OnClick = [this] { CheckBox_LinesPLClick(); };
    TrayIcon.OnClick = [this] { TrayIconClick(); };
    CheckBoxColorTrayIcon.OnClick = [this] { CheckBoxColorTrayIconClick(); };
    CheckBoxFolderMenu.OnClick = [this] { CheckBoxFolderMenuClick(); };
    PlayerWindowCenter.OnClick = [this] { PlayerWindowCenterClick(); };
    RandomTrack.OnClick = [this] { RandomTrackClick(); };
    RepeatSong.OnClick = [this] { RepeatSongClick(); };
    chEqualizer.OnClick = [this] { chEqualizerClick(); };
    ProgressBox.OnClick = [this] { ProgressBoxClick(); };
    RadioButton_Player.OnClick = [this] { VolumeRadioClick(); };
    RadioButton_System.OnClick = [this] { VolumeRadioClick(); };

    boxEQSelect.OnChange = [this] { boxEQSelectChange(); };
    auto sliders = EQSliders();
    for (size_t band = 0; band < sliders.size(); ++band) {
        TTrackBar& bar = *sliders[band];
        bar.OnChange = [this, band] { TrackBarChange(band); };
        bar.OnMouseDown = [this, &bar](TMouseButton b, TShiftState, int, int y) { sliderMouseDown(bar, b, y); };
        bar.OnMouseMove = [this, &bar](TShiftState, int, int y) {
            if (dragSlider_ == &bar) sliderMouseDown(bar, TMouseButton::mbLeft, y);
        };
        bar.OnMouseUp = [this](TMouseButton, TShiftState, int, int) { dragSlider_ = nullptr; };
        // Turning the wheel up lowers the position, which moves the thumb up.
        bar.OnMouseWheel = [&bar](int delta, int, int) {
            bar.Position.set(player::TrackBarWheelPosition(bar.Position(), -delta));
        };
    }
    chFlange.OnClick = [this] { effectClick(chFlange, seFlange); };
    chChorus.OnClick = [this] { effectClick(chChorus, seChorus); };
    chEcho.OnClick = [this] { effectClick(chEcho, seEcho); };
    chReverb.OnClick = [this] { effectClick(chReverb, seReverb); };
    BassEF.OnClick = [this] { effectClick(BassEF, seBass); };
    RotateEF.OnClick = [this] { RotateEFClick(); };

    for (THotKey* key : HotKeys()) key->OnChange = [this, key] { HotKeyChange(*key); };
    Button_Reset2.OnClick = [this] { Button_Reset2Click(); };
    // The main window's menus have the keys before any settings are read.
    applyAllHotKeys();

    TreeViewMenu.OnChange = [this] { TreeViewMenuChange(); };
    ButtonOKSettings.OnClick = [this] { ButtonOKSettingsClick(); };
    ButtonCancelSettings.OnClick = [this] { ButtonCancelSettingsClick(); };
    OnShortCut = [this](uint16_t key, TShiftState shift, bool& handled) { FormShortCut(key, shift, handled); };
    // Whenever the window shows, the tree's entry decides the page.
    OnShow = [this] { TreeViewMenuChange(); };
    OnTranslated = [this] {
        hotKeyLabels();
        TreeViewMenuChange();
    };
}

TForm2::~TForm2() = default;

void TForm2::layOut() {
    ClientWidth.set(720);
    ClientHeight.set(470);
    MinWidth.set(720);
    MinHeight.set(470);
    PanelButtons.Align.set(TAlign::alBottom);
    PanelButtons.Height.set(44);
    ButtonOKSettings.SetBounds(524, 8, 88, 28);
    ButtonOKSettings.Default.set(true);
    ButtonCancelSettings.SetBounds(620, 8, 88, 28);
    TreeViewMenu.Align.set(TAlign::alLeft);
    TreeViewMenu.Width.set(150);
    std::vector<TTreeNode> entries;
    for (TTabSheet* page : PageControlOptions.Pages()) {
        entries.push_back(TTreeNode{page->Caption(), {}});
        page->TabVisible.set(false);
    }
    TreeViewMenu.Items.set(std::move(entries));
    PanelPages.Align.set(TAlign::alClient);
    LabelInfo.Align.set(TAlign::alTop);
    LabelInfo.Height.set(32);
    LabelInfo.Alignment.set(TAlignment::taRightJustify);
    LabelInfo.Font.set(TFont{"Tahoma", 12, true});
    PageControlOptions.Align.set(TAlign::alClient);

    layOutGeneral();
    layOutEqualizer();
    layOutHotKeys();
    layOutPlugins();
}

void TForm2::layOutGeneral() {
    // Two columns of groups over the tray's group, whose texts are the longest;
    // each box one row.
    struct Group {
        TGroupBox* box;
        const char* caption;
        int left, top, width;
        std::vector<TCheckBox*> boxes;
    };
    const Group groups[] = {
        {&GroupBoxMain, "Основные", 8, 4, 300, {&ShowCoverArts, &CheckBox_ShowPL, &ProgressBox, &CheckBox_LinesPL}},
        {&GroupBoxAutomation, "Автоматика", 8, 136, 300, {&AutoNext, &RandomTrack, &RepeatSong}},
        {&GroupBoxIntegration, "Интеграция", 316, 4, 244, {&CheckBoxFolderMenu}},
        {&GroupBoxWindowPosition, "Позиция окна", 316, 64, 244, {&PlayerWindowCenter}},
        {&GroupBoxTray,
         "Область уведомлений",
         8,
         243,
         552,
         {&TrayIcon, &TrayIconMinimize, &BaloonWindow, &CheckBoxColorTrayIcon}},
    };
    for (const Group& g : groups) {
        g.box->Caption.set(g.caption);
        int rows = static_cast<int>(g.boxes.size());
        g.box->SetBounds(g.left, g.top, g.width, 28 + rows * 25);
        for (int i = 0; i < rows; ++i) g.boxes[static_cast<size_t>(i)]->SetBounds(10, 2 + i * 25, g.width - 16, 24);
    }
    // Kept for the settings file; nothing of the window uses it.
    TaskTrackGo.Visible.set(false);
    TrayIconMinimize.Enabled.set(false);
}

void TForm2::layOutPlugins() {
    PanelPlugHeader.Align.set(TAlign::alTop);
    PanelPlugHeader.Height.set(20);
    // Above their columns; the last one also spans the grid's scroll bar.
    LabelPlugName.Align.set(TAlign::alLeft);
    LabelPlugName.Width.set(90);
    LabelPlugDescription.Align.set(TAlign::alClient);
    LabelPlugVersion.Align.set(TAlign::alRight);
    LabelPlugVersion.Width.set(80);
    LabelPlugExtensions.Align.set(TAlign::alRight);
    LabelPlugExtensions.Width.set(110);
    LabelPlugAvailable.Align.set(TAlign::alRight);
    LabelPlugAvailable.Width.set(90);
    StringGridPlug.Align.set(TAlign::alClient);
    StringGridPlug.DefaultRowHeight.set(20);
    StringGridPlug.GridLineWidth.set(1);
    plugColumns();
    StringGridPlug.Width.observe([this](const int&) { plugColumns(); });
}

void TForm2::plugColumns() {
    // The description takes what the others and the scroll bar leave.
    constexpr int name = 90, version = 80, extensions = 110, available = 70, scrollBar = 20;
    int description = std::max(80, StringGridPlug.Width() - name - version - extensions - available - scrollBar);
    StringGridPlug.ColWidths.set({name, description, version, extensions, available});
}

bool TForm2::FormCreate(int device) {
    const std::string& title = form1_.LangError.Caption();
    if ((audio::Engine::GetVersion() >> 16) != 0x0204) {
        Application().dialogs().MessageBox(form1_.LangNoBASSDLL.Caption(), title, MB_ICONERROR);
        return false;
    }
    engine_.SetConfig(audio::CONFIG_FLOATDSP, 1);
    if (!engine_.Init(device, 44100, audio::UNICODE)) {
        int code = audio::Engine::ErrorGetCode();
        common::log::error("ui.audio", "the audio engine did not start: ", code, " (", audio::describe(code), ")");
        Application().dialogs().MessageBox(form1_.LanrErrorAudio.Caption(), title, MB_ICONERROR);
        return false;
    }
    engine_.Start();
    BASS_SetDefaultSoundEffect(seFlange | seChorus | seEcho | seReverb | seEqualizer);
    audio::Info info;
    if (engine_.GetInfo(info) && info.dsver < 8) Error(form1_.LangDirectX8.Caption());
    engine_.SetConfig(audio::CONFIG_NET_PLAYLIST, 1);
    engine_.SetConfig(audio::CONFIG_NET_PREBUF, 1000);
    engine_.SetConfig(audio::CONFIG_NET_BUFFER, 1000);
    engine_.SetConfig(audio::CONFIG_NET_TIMEOUT, 5000);
    engine_.SetConfig(audio::CONFIG_BUFFER, 1000);
    FillPlugins();
    if (common::fileExists(form1_.Paths().PortablePath())) LoadNastr2();
    SelectPage(0);
    TreeViewMenu.Focused.set(true);
    return true;
}

void TForm2::FillPlugins() {
    std::vector<std::string> cells;
    const std::vector<audio::AddOnInfo> addOns = engine_.AddOns();
    for (const audio::AddOnInfo& addOn : addOns) {
        PluginHandles.push_back(engine_.PluginLoad(addOn.name, audio::UNICODE));
        if (!PluginHandles.back()) {
            int code = audio::Engine::ErrorGetCode();
            // A family this build has no decoder for is expected to refuse.
            common::log::line(addOn.available ? common::log::Level::warning : common::log::Level::info, "ui.audio",
                              "add-on ", addOn.name, " not loaded: ", code, " (", audio::describe(code), ")");
        }
        std::string extensions;
        for (const std::string& e : addOn.extensions) extensions += (extensions.empty() ? "" : ", ") + e;
        // Refused add-ons are listed too: the grid tells what this build can play.
        cells.insert(cells.end(),
                     {addOn.name, addOn.description, addOn.version, extensions, addOn.available ? "\u2713" : "\u2717"});
    }
    StringGridPlug.SetContent(static_cast<int>(addOns.size()), std::move(cells));
}

void TForm2::LoadNastr2() {
    app::TMemIniFile ini(form1_.Paths().PortablePath());
    if (ini.ReadFailed()) {
        common::log::warn("ui.settings", "the settings could not be read: the options stay as they are");
        return;
    }
    auto load = [&](TCheckBox& box) { box.Checked.set(ini.ReadBool(kOption, box.Name(), false)); };

    // What is there decides; the box's own handler then has nothing to write.
    FPrevEmbedMenuState = FolderMenuService && FolderMenuService->Registered();
    CheckBoxFolderMenu.Checked.set(FPrevEmbedMenuState);

    for (TCheckBox* box : {&PlayerWindowCenter, &ProgressBox, &RandomTrack, &TaskTrackGo, &AutoNext, &BaloonWindow,
                           &TrayIcon, &TrayIconMinimize, &CheckBox_LinesPL, &CheckBox_ShowPL})
        load(*box);
    RememberedWidth = CheckBox_ShowPL.Checked() ? ini.ReadInteger(kOption, "Width", form1_.Width()) : 600;
    load(CheckBoxColorTrayIcon);
    load(ShowCoverArts);
    // Saved with the others, so read with them: the repeat mode survives a restart.
    load(RepeatSong);
    RadioButton_Player.Checked.set(ini.ReadBool(kOption, RadioButton_Player.Name(), false));
    RadioButton_System.Checked.set(ini.ReadBool(kOption, RadioButton_System.Name(), false));

    // The equalizer: the stored slider positions must not select "Custom"
    // on their way, and the stored preset, applied last, has the final word.
    ApplyingPreset = true;
    load(chEqualizer);
    boxEQSelect.SelectIndex(ini.ReadInteger(kOption, boxEQSelect.Name(), boxEQSelect.ItemIndex()));
    for (TTrackBar* bar : EQSliders()) bar->Position.set(ini.ReadInteger(kOption, bar->Name(), bar->Position()));
    for (TCheckBox* box : {&chFlange, &chChorus, &chEcho, &chReverb, &BassEF, &RotateEF}) load(*box);
    chEqualizerClick();
    boxEQSelectChange();

    std::vector<THotKey*> keys = HotKeys();
    for (THotKey* key : keys) {
        int value = ini.ReadInteger(kOption, key->Name(), key->HotKey());
        if (value >= 0 && value <= 0xFFFF) key->HotKey.set(static_cast<TShortCut>(value));
    }
    // A key stored for two commands (a file edited by hand) stays with the first.
    for (size_t i = 0; i < keys.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (keys[i]->HotKey() != 0 && keys[i]->HotKey() == keys[j]->HotKey()) {
                common::log::warn("ui.settings", keys[i]->Name(), " has the key of ", keys[j]->Name(), ": cleared");
                keys[i]->HotKey.set(0);
            }
    applyAllHotKeys();

    form1_.Timer_TaskTrackGo.Enabled.set(false);
    // Each behaviour once more, whether its box changed or not.
    RandomTrackClick();
    TrayIconClick();
    CheckBoxColorTrayIconClick();
    CheckBox_LinesPLClick();
    CheckBox_ShowPLClick();
    ShowCoverArtsClick();
    RepeatSongClick();
    if (RadioButton_Player.Checked() || RadioButton_System.Checked()) VolumeRadioClick();
}

void TForm2::SaveNastr2() {
    // Normally the box's click has done this already.
    if (CheckBoxFolderMenu.Checked() != FPrevEmbedMenuState) {
        if (CheckBoxFolderMenu.Checked()) RegisterContextMenu();
        else UnregisterContextMenu();
        FPrevEmbedMenuState = CheckBoxFolderMenu.Checked();
    }
    app::TMemIniFile ini(form1_.Paths().PortablePath());
    for (TCheckBox* box : {&PlayerWindowCenter, &ProgressBox, &RandomTrack, &TaskTrackGo, &AutoNext, &chEqualizer,
                           &RepeatSong, &ShowCoverArts, &BaloonWindow, &TrayIcon, &TrayIconMinimize, &CheckBox_LinesPL,
                           &CheckBox_ShowPL, &CheckBoxColorTrayIcon})
        ini.WriteBool(kOption, box->Name(), box->Checked());
    ini.WriteBool(kOption, RadioButton_Player.Name(), RadioButton_Player.Checked());
    ini.WriteBool(kOption, RadioButton_System.Name(), RadioButton_System.Checked());
    for (TCheckBox* box : {&chFlange, &chChorus, &chEcho, &chReverb, &BassEF, &RotateEF})
        ini.WriteBool(kOption, box->Name(), box->Checked());
    ini.WriteInteger(kOption, boxEQSelect.Name(), boxEQSelect.ItemIndex());
    for (TTrackBar* bar : EQSliders()) ini.WriteInteger(kOption, bar->Name(), bar->Position());
    for (THotKey* key : HotKeys()) ini.WriteInteger(kOption, key->Name(), key->HotKey());
    ini.UpdateFile();
}

void TForm2::Error(const std::string& message) {
    Application().dialogs().MessageBox(message, Application().Title(), MB_ICONWARNING);
}

void TForm2::SelectPage(int index) {
    const auto& entries = TreeViewMenu.Items();
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    TreeViewMenu.Selected.set({index});
    PageControlOptions.ActivePageIndex.set(index);
    LabelInfo.Caption.set(entries[static_cast<size_t>(index)].Text);
}

void TForm2::TreeViewMenuChange() {
    // The page of an entry is the entry's place when the whole tree is read top to bottom.
    std::vector<std::pair<std::vector<int>, std::string>> entries;
    std::function<void(const std::vector<TTreeNode>&, std::vector<int>)> read = [&](const auto& nodes, auto path) {
        for (size_t i = 0; i < nodes.size(); ++i) {
            path.push_back(static_cast<int>(i));
            entries.emplace_back(path, nodes[i].Text);
            read(nodes[i].Children, path);
            path.pop_back();
        }
    };
    read(TreeViewMenu.Items(), {});
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].first != TreeViewMenu.Selected()) continue;
        PageControlOptions.ActivePageIndex.set(static_cast<int>(i));
        LabelInfo.Caption.set(entries[i].second);
    }
}

void TForm2::ButtonOKSettingsClick() {
    Close();
    SaveNastr2();
    form1_.SaveNastr();
}

void TForm2::ButtonCancelSettingsClick() {
    Close();
    // Reading the options again undoes what was changed, the effects with it.
    LoadNastr2();
}

void TForm2::FormShortCut(uint16_t key, TShiftState shift, bool& handled) {
    if (key == kKeyEscape) {
        handled = true;
        Close();
        return;
    }
    if (key != kKeyEnter) return;
    handled = true;
    for (THotKey* field : HotKeys()) {
        if (!field->Focused()) continue;
        TShortCut enter =
            kKeyEnter | (shift & ssShift ? scShift : 0) | (shift & ssCtrl ? scCtrl : 0) | (shift & ssAlt ? scAlt : 0);
        if (field->HotKey.set(enter)) HotKeyChange(*field);
        return;
    }
    if (ButtonCancelSettings.Focused()) ButtonCancelSettings.OnClick();
    else ButtonOKSettings.OnClick();
}

}  // namespace ui

#include "app/firstrun.h"

#include "app/listfiles.h"
#include "common/text.h"

namespace app {

std::vector<std::string> FirstRunTemplate(std::string_view language) {
    // CheckBoxQuickUpdate appears twice on purpose: old files have it so, and
    // the first occurrence (0) is the one that counts.
    // clang-format off
    static const std::vector<std::string> lines = {
        "[Language]", "Language=English", "", "[Option]", "PlayerWindowCenter=0", "Top=83", "Left=97",
        "ProgressBox=1", "RandomTrack=1", "TaskTrackGo=1", "AutoNext=1", "chEqualizer=1", "RepeatSong=0",
        "ShowCoverArts=1", "BaloonWindow=1", "TrayIcon=1", "TrayIconMinimize=0", "CheckBox_LinesPL=0",
        "CheckBox_ShowPL=1", "CheckBoxColorTrayIcon=0", "RadioButton_Player=1", "RadioButton_System=0",
        "chFlange=0", "chChorus=0", "chEcho=0", "chReverb=0", "BassEF=0", "RotateEF=0", "boxEQSelect=2",
        "TrackBar80Hz=0", "TrackBar170Hz=-1", "TrackBar310Hz=-3", "TrackBar600Hz=-1", "TrackBar1000Hz=2",
        "TrackBar3000Hz=1", "TrackBar6000Hz=0", "TrackBar10000Hz=-3", "TrackBar12000Hz=-7", "TrackBar16000Hz=-8",
        "HotKey_Next=113", "HotKey_Prev=112", "HotKey_Start=32", "HotKey_FileInfo=115", "HotKey_Play=13",
        "HotKey_Option=16464", "HotKey_AddPL=16452", "HotKey_OpenPL=16463", "HotKey_SavePL=16467",
        "HotKey_ClearSpisok=8259", "HotKey_ClearHistory=8264", "HotKey_DelFile=8238", "HotKey_DelFilePL=46",
        "HotKey_NonEx=8261", "HotKey_DuplFile=8274", "HotKey_BrowseFile=32847", "HotKey_AddFile=8268",
        "HotKey_AddFolder=16460", "HotKey_AddURL=16469", "CheckBoxClearPathCopy=0", "CheckBoxCloseFormCopy=0",
        "StartTime=0", "Volume=100", "Balans=0", "Playlist=default", "Song=0", "CheckBoxQuickUpdate=0",
        "ThemeAuto=1", "ThemeLight=0", "ThemeDark=0", "ThemeSky=0", "ThemeLuna=0", "Window=wsNormal",
        "Height=597", "Width=480", "MinWidth=240", "MinHeight=600", "CheckBoxQuickUpdate=1",
    };
    // clang-format on
    std::vector<std::string> chosen = lines;
    chosen[1] = "Language=" + std::string(language);
    return chosen;
}

bool WriteFirstRunTemplate(const std::string& path, std::string_view language) {
    return SaveLines(path, FirstRunTemplate(language));
}

std::string FirstRunLanguage(std::string_view locale) {
    std::string lang = common::asciiLower(locale.substr(0, locale.find_first_of("_.@")));
    return lang == "ru" ? "Russian" : "English";
}

}  // namespace app

// Everything that waits for the user goes through Dialogs, so that window
// models run unchanged under the front end and under a test script.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ui {

// Message box buttons and icons, and the answers, with their classic values
// (the settings and language files never store them, but tests read better).
enum TMessageFlags : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum TDialogResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct TFileDialogOptions {
    std::string Title;
    // "Description|*.mp3;*.flac|Other|*.ogg": pairs of description and masks.
    std::string Filter;
    int FilterIndex = 1;  // 1-based, as the filter pairs are counted
    std::string InitialDir;
    std::string FileName;
    bool MultiSelect = false;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns one of TDialogResult.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // False when cancelled; value holds the default on entry and the answer on return.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // Empty when cancelled.
    virtual std::vector<std::string> OpenFiles(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFile(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> SelectFolder(const std::string& title, const std::string& startFolder) = 0;
};

}  // namespace ui

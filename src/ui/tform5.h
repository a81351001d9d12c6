// The copy window: copies the selected row's file into a chosen folder on a
// worker thread, with its progress; closing the window cancels the copy.
#pragma once

#include <memory>
#include <string>

#include "kit/controls.h"
#include "kit/form.h"
#include "player/copyfile.h"

namespace app {
class TMemIniFile;
}

namespace ui {

class TForm1;

class TForm5 : public TForm {
public:
    TForm5(TApplication& app, TForm1& form1);
    ~TForm5() override;

    TLabel Label1{this, "Label1", "Файл:"};
    TEdit EditFilePath{this, "EditFilePath"};
    TLabel Label2{this, "Label2", "Папка:"};
    // Read-only: a click opens the folder dialog.
    TEdit EditFolderPath{this, "EditFolderPath"};
    TCheckBox CheckBoxClearPathCopy{this, "CheckBoxClearPathCopy", "Стирать путь к папке при завершении"};
    TCheckBox CheckBoxCloseFormCopy{this, "CheckBoxCloseFormCopy", "Закрыть окно при завершении"};
    TLabel LabelProcessCopy{this, "LabelProcessCopy", "Процесс:"};
    TLabel LabelProcessCopy1{this, "LabelProcessCopy1", "0"};
    TLabel LabelSizeCopy{this, "LabelSizeCopy", "Размер:"};
    TLabel LabelSizeCopy1{this, "LabelSizeCopy1"};
    TProgressBar ProgressBarCopy{this, "ProgressBarCopy"};
    TButton ButtonCopyFile{this, "ButtonCopyFile", "Копировать"};

    // Set when the window closes: a running copy stops and leaves nothing behind.
    bool Canceled = false;
    // How the worker copies (tests hold it half-way through afterBlock).
    player::TCopyFile::TOptions CopyOptions;

    void FormShow();
    void EditFolderPathClick();
    void ButtonCopyFileClick();
    void FormClose();
    bool Copying() const { return copying_; }
    // Waits for the worker to end; what it posted is then queued.
    void WaitForCopy();

    // The two tick boxes, kept with the settings window's options.
    void LoadSettings(const app::TMemIniFile& ini);
    void SaveSettings(app::TMemIniFile& ini) const;

private:
    void updateButton();
    void copyDone(const player::TCopyResult& result, const std::string& target);

    TForm1& form1_;
    std::unique_ptr<player::TCopyFile> copy_;
    bool copying_ = false;
};

}  // namespace ui

#include "ui/tform5.h"

#include <sys/stat.h>

#include "app/inifile.h"
#include "common/files.h"
#include "common/log.h"
#include "player/duration.h"
#include "player/m3u.h"
#include "ui/smallwindow.h"
#include "ui/tform1.h"

namespace ui {

namespace {
constexpr const char* kOption = "Option";
// The bar counts in thousandths, so that any file size fits it.
constexpr int kProgressSteps = 1000;

int progressOf(int64_t done, int64_t total) {
    if (total <= 0) return kProgressSteps;
    return static_cast<int>(std::min<int64_t>(done, total) * kProgressSteps / total);
}
}  // namespace

TForm5::TForm5(TApplication& app, TForm1& form1) : TForm(app, "Form5"), form1_(form1) {
    Caption.set("Копирование файла");
    MakeSmallWindow(*this, 379, 231, [this] {
        if (ButtonCopyFile.Enabled()) ButtonCopyFileClick();
    });
    RuntimeTextComponents = {"LabelProcessCopy1", "LabelSizeCopy1"};

    Label1.SetBounds(8, 8, 363, 16);
    EditFilePath.SetBounds(8, 26, 363, 24);
    EditFilePath.ReadOnly.set(true);
    Label2.SetBounds(8, 56, 363, 16);
    EditFolderPath.SetBounds(8, 74, 363, 24);
    EditFolderPath.ReadOnly.set(true);
    EditFolderPath.TextHint.set("Выберите папку для копирования");
    CheckBoxClearPathCopy.SetBounds(8, 104, 363, 20);
    CheckBoxCloseFormCopy.SetBounds(8, 126, 363, 20);
    LabelProcessCopy.SetBounds(8, 152, 70, 16);
    LabelProcessCopy1.SetBounds(80, 152, 110, 16);
    LabelSizeCopy.SetBounds(196, 152, 70, 16);
    LabelSizeCopy1.SetBounds(268, 152, 103, 16);
    ProgressBarCopy.SetBounds(8, 172, 363, 18);
    ProgressBarCopy.Max.set(kProgressSteps);
    ButtonCopyFile.SetBounds(8, 196, 363, 28);

    OnShow = [this] { FormShow(); };
    OnClose = [this] { FormClose(); };
    EditFolderPath.OnClick = [this] { EditFolderPathClick(); };
    ButtonCopyFile.OnClick = [this] { ButtonCopyFileClick(); };
    form1.OnCopyTo = [this] { Show(); };
}

TForm5::~TForm5() = default;  // the worker is cancelled and joined with copy_

void TForm5::updateButton() {
    ButtonCopyFile.Enabled.set(!copying_ && !EditFilePath.Text().empty() && !EditFolderPath.Text().empty());
}

void TForm5::FormShow() {
    Canceled = false;
    const TStringGrid& grid = form1_.StringGrid1;
    int row = grid.Row();
    std::string file = row >= 0 && row < grid.RowCount() ? grid.Cell(player::colLocation, row) : std::string();
    EditFilePath.Text.set(file);
    ProgressBarCopy.Position.set(0);
    LabelSizeCopy1.Caption.set(player::FormatByteSize(std::max<int64_t>(0, player::FileSizeOf(file))));
    LabelProcessCopy1.Caption.set("0");
    updateButton();
}

void TForm5::EditFolderPathClick() {
    if (copying_) return;
    EditFolderPath.Text.set("");
    std::optional<std::string> folder = Application().dialogs().SelectFolder(form1_.LangSelectFolder.Caption(), {});
    if (folder && !folder->empty()) EditFolderPath.Text.set(common::withTrailingSlash(*folder));
    updateButton();
}

void TForm5::ButtonCopyFileClick() {
    if (copying_ || EditFilePath.Text().empty() || EditFolderPath.Text().empty()) return;
    const std::string source = EditFilePath.Text();
    const std::string name = common::extractFileName(source);
    const std::string target = common::withTrailingSlash(EditFolderPath.Text()) + name;
    bool replace = false;
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && !player::IsSameFile(source, target)) {
        // A different file of that name is replaced only when the user says so.
        std::string question = form1_.LangReplaceFile.Caption() + " " + name + "?";
        if (Application().dialogs().MessageBox(question, form1_.LangAttention.Caption(), MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return;
        replace = true;
    }
    copying_ = true;
    Canceled = false;
    updateButton();
    if (copy_) copy_->Wait();  // a cancelled copy may still be removing its file
    copy_ = std::make_unique<player::TCopyFile>(
        Application().dispatcher(), source, target, replace,
        [this](int64_t done, int64_t total) {
            ProgressBarCopy.Position.set(progressOf(done, total));
            LabelProcessCopy1.Caption.set(player::FormatByteSize(done));
            LabelSizeCopy1.Caption.set(player::FormatByteSize(std::max<int64_t>(0, total)));
        },
        [this, target](const player::TCopyResult& result) { copyDone(result, target); }, CopyOptions);
    copy_->Start();
}

void TForm5::copyDone(const player::TCopyResult& result, const std::string& target) {
    copying_ = false;
    updateButton();
    if (result.outcome == player::TCopyOutcome::Failed) {
        ProgressBarCopy.Position.set(0);
        Application().dialogs().MessageBox(
            form1_.LangErrorWritingFile.Caption() + "\n" + target + "\n" + common::log::systemError(result.error),
            form1_.LangError.Caption(), MB_ICONERROR);
        return;
    }
    if (result.outcome == player::TCopyOutcome::Copied)
        LabelProcessCopy1.Caption.set(player::FormatByteSize(result.bytes));
    // Copied, or already there (the folder was the file's own).
    ProgressBarCopy.Position.set(ProgressBarCopy.Max());
    if (CheckBoxCloseFormCopy.Checked()) Close();
}

void TForm5::WaitForCopy() {
    if (copy_) copy_->Wait();
}

void TForm5::FormClose() {
    Canceled = true;
    if (copy_) copy_->Cancel();
    copying_ = false;
    ButtonCopyFile.Enabled.set(true);
    EditFilePath.Text.set("");
    if (CheckBoxClearPathCopy.Checked()) EditFolderPath.Text.set("");
    Application().host().BringToFront(form1_);
    form1_.TrimWorkingSet();
}

void TForm5::LoadSettings(const app::TMemIniFile& ini) {
    CheckBoxClearPathCopy.Checked.set(ini.ReadBool(kOption, CheckBoxClearPathCopy.Name(), false));
    CheckBoxCloseFormCopy.Checked.set(ini.ReadBool(kOption, CheckBoxCloseFormCopy.Name(), false));
}

void TForm5::SaveSettings(app::TMemIniFile& ini) const {
    ini.WriteBool(kOption, CheckBoxClearPathCopy.Name(), CheckBoxClearPathCopy.Checked());
    ini.WriteBool(kOption, CheckBoxCloseFormCopy.Name(), CheckBoxCloseFormCopy.Checked());
}

}  // namespace ui

#include "ui/program.h"

#include "app/inifile.h"
#include "common/log.h"
#include "common/text.h"
#include "image/imageloader.h"
#include "platform/linux/freedesktoptrash.h"
#include "platform/linux/xdgfoldermenu.h"

namespace ui {

TProgram::TProgram(TApplication& app, platform::System& system, platform::SingleInstance& instance,
                   std::vector<std::string> args)
    : app_(app), system_(system), instance_(instance), args_(std::move(args)) {}

TProgram::~TProgram() = default;

TProgram::TStartResult TProgram::Start() {
    // A second start passes its command line nowhere and shows nothing.
    if (!instance_.Acquire("Orvelin")) {
        common::log::info("ui.program", "another instance is running; this one ends");
        return TStartResult::AnotherInstance;
    }
    common::setLegacyCodePage(system_.LegacyCodePage());
    app_.Title.set("Orvelin");

    CreateForms();
    // The main window's creation runs before the others are wired to it.
    Form1->FormCreate();
    Form1->Form2 = Form2.get();
    // The copy window's tick boxes are kept with the settings window's options.
    Form1->Hooks.LoadNastr2 = [this] {
        Form2->LoadNastr2();
        Form5->LoadSettings(app::TMemIniFile(Form1->Paths().PortablePath()));
    };
    Form1->Hooks.SaveNastr2 = [this] {
        Form2->SaveNastr2();
        app::TMemIniFile ini(Form1->Paths().PortablePath());
        Form5->SaveSettings(ini);
        ini.UpdateFile();
    };
    Form1->Hooks.RandomTrack = [this] { return Form2->RandomTrack.Checked(); };
    Form1->Hooks.LanguageChanged = [this] { Form2->LanguageChanged(); };
    if (!Form2->FormCreate(AudioDevice)) return TStartResult::AudioFailed;
    if (OnFormsCreated) OnFormsCreated(*this);

    Form1->GlobLoadNastr();
    Language = std::make_unique<TInterfaceLanguage>(*Form1, [this] { return Forms(); });
    Language->LoadLanguage();
    Language->CleanTranslationsLikeGlobload();
    Language->GlobLoad();

    if (!IsSupportedSystem()) {
        app_.dialogs().MessageBox(Form1->LangOnlyWindows.Caption(), Form1->LangError.Caption(), MB_ICONERROR);
        return TStartResult::Unsupported;
    }
    return TStartResult::Run;
}

void TProgram::CreateForms() {
    Audio = std::make_unique<audio::Engine>();
    Form1 = std::make_unique<TForm1>(app_, system_, *Audio);
    Form1->ParamStr = args_;
    Form2 = std::make_unique<TForm2>(app_, *Audio, *Form1);
    if (!FolderMenu)
        FolderMenu = std::make_unique<platform::XdgFolderMenu>(system_.DataHomeDir(), system_.ExecutablePath());
    Form2->FolderMenuService = FolderMenu.get();
    Form4 = std::make_unique<TForm4>(app_, image::ImageLoader());
    Form5 = std::make_unique<TForm5>(app_, *Form1);
    Form6 = std::make_unique<TForm6>(app_, *Form1);
    Form9 = std::make_unique<TForm9>(app_, *Form1);
    if (!Trash) Trash = std::make_unique<platform::FreedesktopTrash>(system_.DataHomeDir());
    Form1->TrashService = Trash.get();
    Form1->DesktopService = Desktop;
}

std::vector<TForm*> TProgram::Forms() const {
    std::vector<TForm*> forms;
    for (TForm* f :
         std::initializer_list<TForm*>{Form1.get(), Form2.get(), Form4.get(), Form5.get(), Form6.get(), Form9.get()})
        if (f) forms.push_back(f);
    return forms;
}

TForm* TProgram::FindForm(std::string_view name) const {
    for (TForm* f : Forms())
        if (name == f->Name() || (name.starts_with('T') && name.substr(1) == f->Name())) return f;
    return nullptr;
}

}  // namespace ui

#include "ui/program.h"

#include "common/text.h"

namespace ui {

TProgram::TProgram(TApplication& app, platform::System& system, platform::SingleInstance& instance,
                   std::vector<std::string> args)
    : app_(app), system_(system), instance_(instance), args_(std::move(args)) {}

TProgram::~TProgram() = default;

TProgram::TStartResult TProgram::Start() {
    // A second start passes its command line nowhere and shows nothing.
    if (!instance_.Acquire("Orvelin")) return TStartResult::AnotherInstance;
    common::setLegacyCodePage(system_.LegacyCodePage());
    app_.Title.set("Orvelin");

    Form1 = std::make_unique<TForm1>(app_, system_);
    Form1->ParamStr = args_;
    Form1->FormCreate();
    if (OnFormsCreated) OnFormsCreated(*this);

    Form1->GlobLoadNastr();
    if (LoadLanguage) LoadLanguage();

    if (!IsSupportedSystem()) {
        app_.dialogs().MessageBox(Form1->LangOnlyWindows.Caption(), Form1->LangError.Caption(), MB_ICONERROR);
        return TStartResult::Unsupported;
    }
    return TStartResult::Run;
}

}  // namespace ui

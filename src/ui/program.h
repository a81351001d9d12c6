// The process from start to the message loop: one instance, the windows in
// their order, the settings, the language and the system check.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/engine.h"
#include "kit/form.h"
#include "platform/desktop.h"
#include "platform/foldermenu.h"
#include "platform/system.h"
#include "platform/trash.h"
#include "ui/language.h"
#include "ui/tform1.h"
#include "ui/tform2.h"
#include "ui/tform4.h"
#include "ui/tform5.h"
#include "ui/tform6.h"
#include "ui/tform9.h"

namespace ui {

class TProgram {
public:
    enum class TStartResult { Run, AnotherInstance, Unsupported, AudioFailed };

    // args: the command line without the program itself.
    TProgram(TApplication& app, platform::System& system, platform::SingleInstance& instance,
             std::vector<std::string> args);
    ~TProgram();

    // Everything up to the message loop; anything but Run means the process
    // should end now (a second instance ends silently).
    TStartResult Start();
    // The windows as designed, with nothing started: what Start begins with,
    // and all that listing their texts needs.
    void CreateForms();

    // Runs once every window exists, before the settings are loaded: the
    // front end builds its widgets and fills the windows' hooks here.
    std::function<void(TProgram&)> OnFormsCreated;

    // The one system this build runs on always qualifies; the step stays so
    // that a port with a minimum version has its place and its message.
    bool IsSupportedSystem() const { return true; }

    // The windows the program owns, in start-up order; empty before Start.
    // A new window joins every tool that walks the windows by being listed.
    std::vector<TForm*> Forms() const;
    // A window by its name ("Form2") or its class name ("TForm2"); null when
    // the program has none of that name.
    TForm* FindForm(std::string_view name) const;

    // The output the settings window starts the engine on: the system's
    // default, or the silent device for tests.
    int AudioDevice = audio::DEVICE_DEFAULT;
    // The file managers' folder menu: the one of the system's data folder
    // unless one is handed in before Start.
    std::unique_ptr<platform::FolderMenu> FolderMenu;

    // The desktop's file manager and clipboard, handed in before Start (none:
    // those commands do nothing). The trash is the freedesktop one of the
    // system's data folder unless one is handed in.
    platform::Desktop* Desktop = nullptr;
    std::unique_ptr<platform::Trash> Trash;

    // Declared first, so that it outlives the windows that use it.
    std::unique_ptr<audio::Engine> Audio;
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm6> Form6;
    std::unique_ptr<TForm9> Form9;
    // The language menu and the language files, once the windows exist.
    std::unique_ptr<TInterfaceLanguage> Language;
    std::unique_ptr<TForm4> Form4;

private:
    TApplication& app_;
    platform::System& system_;
    platform::SingleInstance& instance_;
    std::vector<std::string> args_;
};

}  // namespace ui

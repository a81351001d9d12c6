#include <QApplication>
#include <QFontDatabase>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/paths.h"
#include "common/log.h"
#include "platform/buildinfo.h"
#include "platform/linux/linuxsystem.h"
#include "qt/icons.h"
#include "qt/qtext.h"
#include "qt/services.h"
#include "qt/signals.h"
#include "qt/windowbuilder.h"
#include "ui/program.h"

namespace {
// The seven-segment face of the time display, when the font package is there.
std::string loadDisplayFont() {
    for (const char* family : {"DSEG7 Classic", "DSEG7 Modern"})
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) return family;
    return {};
}
}  // namespace

int main(int argc, char** argv) {
    const char* grabTo = nullptr;  // developer aid: save a picture of the main window and quit
    bool playAtStart = false;      // starts the selected row once the window shows
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
        if (std::strcmp(argv[i], "--grab") == 0 && i + 1 < argc) grabTo = argv[i + 1];
        if (std::strcmp(argv[i], "--play") == 0) playAtStart = true;
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", platform::buildinfo::kProductName, platform::buildinfo::kFileVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--settings-path") == 0) {
            platform::LinuxSystem system;
            std::printf("%s\n", app::TPaths(system).PortablePath().c_str());
            return 0;
        }
    }

    platform::LinuxSystem system;
    common::log::setFile(app::TPaths(system).LogFile());
    platform::LinuxSingleInstance instance(system.RuntimeDir());

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Orvelin");
    QApplication::setWindowIcon(orvelin::qt::appIcon());

    orvelin::qt::QtDispatcher dispatcher;
    orvelin::qt::QtDialogs dialogs;
    orvelin::qt::QtFormHost host;
    ui::TApplication application(dispatcher, dialogs, host);

    ui::TProgram program(application, system, instance, args);
    std::optional<orvelin::qt::WindowBuilder> window1;
    program.OnFormsCreated = [&](ui::TProgram& p) {
        window1.emplace(*p.Form1);
        window1->build();
        host.add(*p.Form1, *window1);
        p.Form1->Hooks.LoadDisplayFont = loadDisplayFont;
        p.Form1->FontApply();
    };
    ui::TProgram::TStartResult started = program.Start();
    if (started == ui::TProgram::TStartResult::AudioFailed) return 1;
    if (started != ui::TProgram::TStartResult::Run) return 0;
    ui::TForm1& form1 = *program.Form1;

    orvelin::qt::closeOnTerminationSignals(&qapp, [&form1] { form1.Close(); });
    form1.Show();
    if (playAtStart) QTimer::singleShot(0, &qapp, [&form1] { form1.MenuPlaySG(); });
    if (grabTo) {
        QTimer::singleShot(500, &qapp, [&] {
            window1->window()->grab().save(QString::fromLocal8Bit(grabTo));
            form1.Close();
        });
    }
    return QApplication::exec();
}

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "common/log.h"
#include "kit/fakes.h"
#include "platform/buildinfo.h"
#include "platform/linux/linuxsystem.h"
#include "qt/icons.h"
#include "qt/qtext.h"
#include "qt/services.h"
#include "qt/signals.h"
#include "qt/windowbuilder.h"
#include "ui/program.h"
#include "ui/translation.h"

namespace {
// The seven-segment face of the time display, when the font package is there.
std::string loadDisplayFont() {
    for (const char* family : {"DSEG7 Classic", "DSEG7 Modern"})
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) return family;
    return {};
}

// Runs `then` once the widget has painted for the first time and the events
// queued until then have run: it is shown, laid out and drawn, however long
// that took.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* widget, std::function<void()> then) : QObject(widget), then_(std::move(then)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && then_) QTimer::singleShot(0, this, std::exchange(then_, nullptr));
        return false;
    }

private:
    std::function<void()> then_;
};

std::string windowNames(const ui::TProgram& program) {
    std::string names;
    for (const ui::TForm* f : program.Forms()) names += (names.empty() ? "T" : ", T") + f->Name();
    return names;
}
}  // namespace

int main(int argc, char** argv) {
    // Developer aids: --window NAME opens that window over the player;
    // --grab FILE saves a picture of it (of the main window without --window) and quits;
    // --page N shows the settings window on its page N (0 the first);
    // --language-keys prints every translatable text as the start of a language file.
    const char* grabTo = nullptr;
    const char* windowName = nullptr;
    const char* pageNumber = nullptr;
    bool playAtStart = false;  // starts the selected row once the window shows
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        bool grab = std::strcmp(argv[i], "--grab") == 0, window = std::strcmp(argv[i], "--window") == 0;
        bool page = std::strcmp(argv[i], "--page") == 0;
        if ((grab || window || page) && i + 1 < argc) {
            (grab ? grabTo : window ? windowName : pageNumber) = argv[++i];
            continue;  // neither the switch nor its value is a folder to open
        }
        args.emplace_back(argv[i]);
        if (std::strcmp(argv[i], "--play") == 0) playAtStart = true;
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", platform::buildinfo::kProductName, platform::buildinfo::kFileVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--language-keys") == 0) {
            // The windows are built but never shown, and nothing asks anything.
            platform::LinuxSystem system;
            platform::LinuxSingleInstance instance(system.RuntimeDir());
            ui::QueueDispatcher dispatcher;
            ui::ScriptedDialogs dialogs;
            ui::RecordingFormHost host;
            ui::TApplication application(dispatcher, dialogs, host);
            ui::TProgram program(application, system, instance, {});
            program.CreateForms();
            std::fputs(ui::LanguageFileTemplate(program.Forms()).c_str(), stdout);
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

    orvelin::qt::QtDesktop desktop;
    ui::TProgram program(application, system, instance, args);
    program.Desktop = &desktop;
    // After the program: the widgets go first, while the models they watch exist.
    std::vector<std::unique_ptr<orvelin::qt::WindowBuilder>> builders;
    auto buildWindow = [&](ui::TForm& form) -> orvelin::qt::WindowBuilder& {
        auto& b = *builders.emplace_back(std::make_unique<orvelin::qt::WindowBuilder>(form));
        b.build();
        host.add(form, b);
        return b;
    };
    // The main window at once; the others the first time they show.
    host.BuildOnDemand = buildWindow;
    QWidget* shownWidget = nullptr;
    program.OnFormsCreated = [&](ui::TProgram& p) {
        shownWidget = buildWindow(*p.Form1).window();
        p.Form1->Hooks.LoadDisplayFont = loadDisplayFont;
        p.Form1->FontApply();
        ui::TForm* form = windowName ? p.FindForm(windowName) : nullptr;
        if (form && form != p.Form1.get()) shownWidget = buildWindow(*form).window();
    };
    ui::TProgram::TStartResult started = program.Start();
    if (started == ui::TProgram::TStartResult::AudioFailed) return 1;
    if (started != ui::TProgram::TStartResult::Run) return 0;
    ui::TForm1& form1 = *program.Form1;
    ui::TForm* shown = windowName ? program.FindForm(windowName) : &form1;
    if (!shown) {
        std::fprintf(stderr, "orvelin: there is no window \"%s\"; the windows are %s\n", windowName,
                     windowNames(program).c_str());
        return 2;
    }

    orvelin::qt::closeOnTerminationSignals(&qapp, [&form1] { form1.Close(); });
    bool grabFailed = false;
    if (grabTo) {
        new AfterFirstPaint(shownWidget, [&] {
            form1.WaitForCover();  // the picture shows the cover of what --play started
            if (!shownWidget->grab().save(QString::fromLocal8Bit(grabTo))) {
                std::fprintf(stderr, "orvelin: cannot save the picture to %s\n", grabTo);
                grabFailed = true;
            }
            form1.Close();
        });
    }
    form1.Show();
    if (shown != &form1) shown->Show();
    if (pageNumber && shown == program.Form2.get()) program.Form2->SelectPage(std::atoi(pageNumber));
    if (playAtStart) QTimer::singleShot(0, &qapp, [&form1] { form1.MenuPlaySG(); });
    int status = QApplication::exec();
    return grabFailed ? 1 : status;
}

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/paths.h"
#include "platform/buildinfo.h"
#include "platform/linux/linuxsystem.h"
#include "qt/icons.h"
#include "qt/services.h"
#include "qt/signals.h"
#include "qt/windowbuilder.h"
#include "ui/tform1.h"

int main(int argc, char** argv) {
    const char* grabTo = nullptr;  // developer aid: save a picture of the main window and quit
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--grab") == 0 && i + 1 < argc) grabTo = argv[++i];
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

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Orvelin");
    QApplication::setWindowIcon(orvelin::qt::appIcon());

    orvelin::qt::QtDispatcher dispatcher;
    orvelin::qt::QtDialogs dialogs;
    orvelin::qt::QtFormHost host;
    ui::TApplication application(dispatcher, dialogs, host);
    application.Title.set("Orvelin");

    ui::TForm1 form1(application);
    form1.Caption.set("Orvelin");
    orvelin::qt::WindowBuilder window1(form1);
    window1.build();
    host.add(form1, window1);

    orvelin::qt::closeOnTerminationSignals(&qapp, [&form1] { form1.Close(); });
    form1.Show();
    if (grabTo) {
        QTimer::singleShot(500, &qapp, [&] {
            window1.window()->grab().save(QString::fromLocal8Bit(grabTo));
            form1.Close();
        });
    }
    return QApplication::exec();
}

// The window-model services implemented with Qt.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <map>

#include "kit/dialogs.h"
#include "kit/dispatcher.h"
#include "kit/form.h"
#include "platform/desktop.h"

namespace orvelin::qt {

class WindowBuilder;

class QtDispatcher : public ui::Dispatcher {
public:
    void post(std::function<void()> f) override;
    void processMessages() override;
};

class QtDialogs : public ui::Dialogs {
public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    std::vector<std::string> OpenFiles(const ui::TFileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const ui::TFileDialogOptions& options) override;
    std::optional<std::string> SelectFolder(const std::string& title, const std::string& startFolder) override;
};

// The file manager over the session bus (org.freedesktop.FileManager1, else
// xdg-open on the folder) and the clipboard, in the forms file managers paste.
class QtDesktop : public platform::Desktop {
public:
    // The bus the file manager is asked on (tests hand in a private one).
    explicit QtDesktop(QDBusConnection bus = QDBusConnection::sessionBus()) : bus_(std::move(bus)) {}
    bool ShowInFileManager(const std::string& path) override;
    bool CopyFilesToClipboard(const std::vector<std::string>& paths) override;

private:
    QDBusConnection bus_;
};

// "Desc|*.mp3;*.flac|Other|*.ogg" as Qt's "Desc (*.mp3 *.flac);;Other (*.ogg)".
QString toQtFilter(const std::string& filter);

class QtFormHost : public ui::FormHost {
public:
    void add(ui::TForm& form, WindowBuilder& builder) { builders_[&form] = &builder; }
    // Builds the widgets of a form the first time it is shown, so that
    // windows the user never opens cost nothing.
    std::function<WindowBuilder&(ui::TForm&)> BuildOnDemand;
    int ShowModal(ui::TForm& form) override;
    void BringToFront(ui::TForm& form) override;
    void Quit() override;
    ui::TRect WorkArea() override;

private:
    WindowBuilder* builderOf(ui::TForm& form);
    std::map<const ui::TForm*, WindowBuilder*> builders_;
};

}  // namespace orvelin::qt

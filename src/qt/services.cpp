#include "qt/services.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QUrl>

#include <QScreen>
#include "common/log.h"

#include "qt/qtext.h"
#include "qt/watch.h"
#include "qt/windowbuilder.h"

namespace orvelin::qt {

void QtDispatcher::post(std::function<void()> f) {
    // Queued onto the application object, so it runs on the UI thread.
    QMetaObject::invokeMethod(qApp, std::move(f), Qt::QueuedConnection);
}

void QtDispatcher::processMessages() { QCoreApplication::processEvents(); }

int QtDialogs::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(toQ(caption));
    box.setText(toQ(text));
    switch (flags & 0xF0) {
    case ui::MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case ui::MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case ui::MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case ui::MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (flags & 0x0F) {
    case ui::MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case ui::MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return ui::IDYES;
    case QMessageBox::No: return ui::IDNO;
    case QMessageBox::Cancel: return ui::IDCANCEL;
    default: return ui::IDOK;
    }
}

bool QtDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    bool ok = false;
    QString answer = QInputDialog::getText(QApplication::activeWindow(), toQ(caption), toQ(prompt), QLineEdit::Normal,
                                           toQ(value), &ok);
    if (ok) value = fromQ(answer);
    return ok;
}

QString toQtFilter(const std::string& filter) {
    QStringList parts = toQ(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1];
        masks.replace(';', ' ');
        // Qt adds the patterns itself; a description that lists its own would show them twice.
        QString description = parts[i].trimmed();
        if (description.endsWith(')') && description.contains('('))
            description = description.left(description.lastIndexOf('(')).trimmed();
        out << QStringLiteral("%1 (%2)").arg(description, masks);
    }
    return out.join(QStringLiteral(";;"));
}

namespace {
QString selectedFilter(const ui::TFileDialogOptions& o) {
    QStringList filters = toQtFilter(o.Filter).split(QStringLiteral(";;"));
    int i = o.FilterIndex - 1;
    return i >= 0 && i < filters.size() ? filters[i] : QString();
}
}  // namespace

std::vector<std::string> QtDialogs::OpenFiles(const ui::TFileDialogOptions& o) {
    QString filter = selectedFilter(o);
    std::vector<std::string> out;
    if (o.MultiSelect) {
        for (const QString& f : QFileDialog::getOpenFileNames(QApplication::activeWindow(), toQ(o.Title),
                                                              toQ(o.InitialDir), toQtFilter(o.Filter), &filter))
            out.push_back(fromQ(f));
    } else {
        QString f = QFileDialog::getOpenFileName(QApplication::activeWindow(), toQ(o.Title), toQ(o.InitialDir),
                                                 toQtFilter(o.Filter), &filter);
        if (!f.isEmpty()) out.push_back(fromQ(f));
    }
    return out;
}

std::optional<std::string> QtDialogs::SaveFile(const ui::TFileDialogOptions& o) {
    QString filter = selectedFilter(o);
    QString start = toQ(o.InitialDir.empty() ? o.FileName : o.InitialDir + "/" + o.FileName);
    QString f =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), toQ(o.Title), start, toQtFilter(o.Filter), &filter);
    if (f.isEmpty()) return std::nullopt;
    return fromQ(f);
}

std::optional<std::string> QtDialogs::SelectFolder(const std::string& title, const std::string& startFolder) {
    QString d = QFileDialog::getExistingDirectory(QApplication::activeWindow(), toQ(title), toQ(startFolder));
    if (d.isEmpty()) return std::nullopt;
    return fromQ(d);
}

namespace {

constexpr const char* kDesktopSource = "qt.desktop";

// Opens the folder in whatever the desktop opens folders with.
bool openFolder(const QString& folder) {
    if (QProcess::startDetached(QStringLiteral("xdg-open"), {folder})) return true;
    common::log::warn(kDesktopSource, "cannot run xdg-open for \"", fromQ(folder), "\"");
    return false;
}

}  // namespace

bool QtDesktop::ShowInFileManager(const std::string& path) {
    const QString file = toQ(path);
    const QString folder = QFileInfo(file).absolutePath();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnectionInterface* names = bus_.isConnected() ? bus_.interface() : nullptr;
    // The file manager may not run yet; the bus starts it when it can be activated.
    bool reachable = names && (names->isServiceRegistered(service).value() ||
                               names->activatableServiceNames().value().contains(service));
    if (!reachable) return openFolder(folder);
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                                       service, QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString()} << QString();
    // The answer comes later; the window does not wait for a file manager to start.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [folder](QDBusPendingCallWatcher* w) {
        if (w->isError()) {
            common::log::info(kDesktopSource, "the file manager did not show the file (", fromQ(w->error().message()),
                              "); opening its folder");
            openFolder(folder);
        }
        w->deleteLater();
    });
    return true;
}

bool QtDesktop::CopyFilesToClipboard(const std::vector<std::string>& paths) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || paths.empty()) return false;
    QList<QUrl> urls;
    QStringList plain;
    QByteArray copied = "copy";
    for (const std::string& p : paths) {
        QUrl url = QUrl::fromLocalFile(QFileInfo(toQ(p)).absoluteFilePath());
        urls << url;
        plain << url.toLocalFile();
        copied += "\n" + url.toEncoded();
    }
    auto* data = new QMimeData;
    data->setUrls(urls);  // text/uri-list
    // GNOME-family file managers paste from this one; "copy" (not "cut") keeps the original.
    data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    data->setText(plain.join(u'\n'));
    clipboard->setMimeData(data);
    return true;
}

WindowBuilder* QtFormHost::builderOf(ui::TForm& form) {
    auto it = builders_.find(&form);
    if (it != builders_.end()) return it->second;
    if (!BuildOnDemand) return nullptr;
    WindowBuilder& built = BuildOnDemand(form);
    builders_[&form] = &built;
    return &built;
}

int QtFormHost::ShowModal(ui::TForm& form) {
    WindowBuilder* builder = builderOf(form);
    if (!builder) return ui::mrCancel;
    QPointer<QWidget> w = builder->window();
    if (!w) return ui::mrCancel;
    // Modality only takes on a hidden window.
    w->hide();
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    w->raise();
    w->activateWindow();
    // Runs until the model hides the form (a button with a modal result, Close).
    QEventLoop loop;
    int id = form.Visible.observe([&loop](const bool& on) {
        if (!on) loop.quit();
    });
    if (form.Visible()) loop.exec();
    form.Visible.unobserve(id);
    if (w) w->setWindowModality(Qt::NonModal);
    return form.ModalResult == ui::mrNone ? ui::mrCancel : form.ModalResult;
}

void QtFormHost::BringToFront(ui::TForm& form) {
    WindowBuilder* builder = builderOf(form);
    if (!builder || !builder->window()) return;
    QWidget* w = builder->window();
    if (w->isMinimized()) w->showNormal();
    w->raise();
    w->activateWindow();
}

void QtFormHost::Quit() { QCoreApplication::quit(); }

ui::TRect QtFormHost::WorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    QRect r = screen->availableGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace orvelin::qt

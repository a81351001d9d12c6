// The small windows and the desktop services as the front end builds them:
// the manager's list in columns, the URL window's frame, keys typed into the
// search box, the clipboard, and the file manager asked over a private bus.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QClipboard>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <memory>

#include "qt/services.h"
#include "qt/shownwindow.h"
#include "qt/windowbuilder.h"

using namespace ui;
using orvelin::qt::WindowBuilder;

namespace {

struct AuxView : testenv::ShownWindow {
    std::unique_ptr<WindowBuilder> other;  // gone before the windows
    void TearDown() override { other.reset(); }
    QWidget* show(TForm& form) {
        other = std::make_unique<WindowBuilder>(form);
        other->build();
        form.Show();
        QApplication::processEvents();
        return other->window();
    }
};

TEST_F(AuxView, TheManagerListsFilesInColumnsThatFitTheirLimits) {
    env.dir.file("config/Orvelin Project/Orvelin/Playlist/A playlist with a rather long name.m3u", "#EXTM3U\r\n");
    start();
    TForm9& w = *run->program.Form9;
    show(w);
    auto* list = other->widgetAs<QTreeWidget>(w.ListViewPLManager);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->headerItem()->text(0), "Имя");
    EXPECT_EQ(list->headerItem()->text(3), "Файл");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "A playlist with a rather long name.m3u");
    EXPECT_EQ(list->topLevelItem(1)->text(3).toStdString(), env.playlistDir() + "default.m3u");
    EXPECT_GE(list->columnWidth(0), list->fontMetrics().horizontalAdvance("A playlist with a rather long name.m3u"));
    EXPECT_LE(list->columnWidth(1), 70);
    EXPECT_GE(list->columnWidth(2), 120);
    EXPECT_EQ(list->topLevelItem(0)->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);

    list->setCurrentItem(list->topLevelItem(1));  // as a click does
    EXPECT_EQ(w.ListViewPLManager.ItemIndex(), 1);
    w.ListViewPLManager.ItemIndex.set(0);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    w.Close();
}

TEST_F(AuxView, TheURLWindowStaysOnTopWithAFixedSize) {
    start();
    QWidget* window = show(*run->program.Form6);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), QSize(379, 151));
    run->program.Form6->Close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(AuxView, KeysTypedIntoTheSearchBoxAreTextNotCommands) {
    start();
    auto* search = builder->widgetAs<QLineEdit>(f->SearchBox1);
    ASSERT_NE(search, nullptr);
    search->setFocus();
    QTest::sendKeyEvent(QTest::Click, search, Qt::Key_H, "H", Qt::ShiftModifier);  // "clear the history" on the grid
    QTest::keyClick(search, Qt::Key_Delete);
    EXPECT_EQ(f->SearchBox1.Text(), "H");
    EXPECT_TRUE(run->t.dialogs.calls.empty());

    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_H, Qt::ShiftModifier);
    ASSERT_EQ(run->t.dialogs.calls.size(), 1u);
    EXPECT_EQ(run->t.dialogs.calls[0].text, f->LangQuestionCleanStori.Caption());
}

TEST(Desktop, AFileOnTheClipboardPastesAsTheFileItself) {
    testenv::TempDir dir;
    std::string file = dir.file("Мой трек 1.mp3", "x");
    orvelin::qt::QtDesktop desktop;
    ASSERT_TRUE(desktop.CopyFilesToClipboard({file}));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    QString url = QUrl::fromLocalFile(QString::fromStdString(file)).toEncoded();
    EXPECT_EQ(QString::fromUtf8(data->data("text/uri-list")).trimmed(), url);
    EXPECT_EQ(QString::fromUtf8(data->data("x-special/gnome-copied-files")), "copy\n" + url);
    EXPECT_EQ(data->urls().value(0).toLocalFile().toStdString(), file);
}

// A file manager on a private session bus that records what it was asked.
class FakeFileManager : public QDBusVirtualObject {
public:
    QDBusMessage asked;
    QEventLoop arrived;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        asked = message;
        connection.send(message.createReply());
        arrived.quit();
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

TEST(Desktop, TheFileManagerIsAskedToShowTheFileOverTheSessionBus) {
    // Our own bus daemon, ended by its id.
    FILE* daemon = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    ASSERT_NE(daemon, nullptr);
    char address[512] = {}, pid[32] = {};
    bool started = std::fgets(address, sizeof address, daemon) && std::fgets(pid, sizeof pid, daemon);
    ::pclose(daemon);
    ASSERT_TRUE(started) << "dbus-daemon did not start";
    struct Stop {
        int pid;
        ~Stop() { ::kill(pid, SIGTERM); }
    } stop{std::atoi(pid)};
    QString bus = QString::fromUtf8(address).trimmed();

    QDBusConnection managerSide = QDBusConnection::connectToBus(bus, "file-manager");
    ASSERT_TRUE(managerSide.isConnected());
    FakeFileManager manager;
    ASSERT_TRUE(managerSide.registerVirtualObject("/org/freedesktop/FileManager1", &manager));
    ASSERT_TRUE(managerSide.registerService("org.freedesktop.FileManager1"));

    testenv::TempDir dir;
    std::string file = dir.file("a song.mp3", "x");
    orvelin::qt::QtDesktop desktop(QDBusConnection::connectToBus(bus, "player"));
    ASSERT_TRUE(desktop.ShowInFileManager(file));
    manager.arrived.exec();
    EXPECT_EQ(manager.asked.interface(), "org.freedesktop.FileManager1");
    EXPECT_EQ(manager.asked.member(), "ShowItems");
    ASSERT_EQ(manager.asked.arguments().size(), 2);
    EXPECT_EQ(manager.asked.arguments()[0].toStringList(),
              QStringList{QUrl::fromLocalFile(QString::fromStdString(file)).toString()});
    EXPECT_EQ(manager.asked.arguments()[1].toString(), "");
    QDBusConnection::disconnectFromBus("player");
    QDBusConnection::disconnectFromBus("file-manager");
}

}  // namespace

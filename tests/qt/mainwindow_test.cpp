#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>

#include "qt/shownwindow.h"

namespace {

using Shown = testenv::ShownWindow;

TEST_F(Shown, TheStoredWindowAndTheFittedGridAppear) {
    std::vector<std::string> tracks;
    for (int i = 0; i < 300; ++i) tracks.push_back(env.dir.file("m/" + std::to_string(i) + ".mp3", "x"));
    env.dir.file("config/Orvelin Project/Orvelin/Playlist/default.m3u", testenv::m3u(tracks));
    env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini",
                 "[Option]\r\nWindow=wsNormal\r\nLeft=30\r\nTop=40\r\nWidth=650\r\nHeight=700\r\nPlaylist=default\r\n"
                 "Song=250\r\nCheckBox_ShowPL=1\r\n");
    start();
    QWidget* w = builder->window();
    EXPECT_EQ(w->size(), QSize(650, 700));
    EXPECT_EQ(w->geometry().topLeft(), QPoint(30, 40));
    EXPECT_EQ(w->windowTitle().toStdString(), f->Caption());

    QTableView* view = grid();
    EXPECT_EQ(view->currentIndex().row(), 250);
    EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QModelIndex duration = view->model()->index(0, 2);
    EXPECT_TRUE(view->model()->data(duration, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    // Fitted with the view's own font metrics: the widest number, plus 5.
    int widest = std::max(40, view->fontMetrics().horizontalAdvance("0300"));
    EXPECT_EQ(view->columnWidth(0), widest + 5);
    QApplication::processEvents();
    EXPECT_EQ(view->columnWidth(1), view->width() - view->columnWidth(0) - view->columnWidth(2) - 20);
    // The location column starts under the scroll bar, out of sight.
    EXPECT_GE(view->columnViewportPosition(3), view->viewport()->width());

    f->StringGrid1.SetTopRow(100);
    EXPECT_EQ(view->verticalScrollBar()->value(), 100);
    f->Close();
}

TEST_F(Shown, AMaximisedWindowOpensMaximised) {
    env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Option]\r\nWindow=wsMaximized\r\n");
    start();
    EXPECT_TRUE(builder->window()->windowState() & Qt::WindowMaximized);
    f->Close();
}

TEST_F(Shown, ThePlaylistMenuOpensAboveItsButton) {
    start();
    f->SpeedButtonControlPL.OnClick();
    auto* menu = builder->window()->findChild<QMenu*>("PopupMenuPL");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->actions().size(), 9);
    QWidget* button = builder->widgetOf(&f->SpeedButtonControlPL);
    EXPECT_LE(menu->geometry().bottom(), button->mapToGlobal(QPoint(0, 0)).y());
    menu->hide();
    f->Close();
}

TEST_F(Shown, TheLanguageMenuListsTheFilesAndSwitchesTheWindow) {
    env.system.installedDataDir = env.dir.path + "share/orvelin/";
    env.dir.file("share/orvelin/Language/English.ini", "[Orvelin]\r\nForm1.PlayButton.Hint=Play\r\n");
    env.dir.file("share/orvelin/Language/Russian.ini",
                 "[Language information]\r\nLANGNAME=Русский\r\n[Orvelin]\r\nForm1.PlayButton.Hint=Воспроизвести\r\n");
    start();
    QApplication::processEvents();  // the language item became a submenu
    auto* general = builder->window()->findChild<QMenu*>("PopupMenu_General");
    ASSERT_NE(general, nullptr);
    auto languages = [&] { return general->actions().at(1)->menu(); };
    ASSERT_NE(languages(), nullptr);
    auto texts = [&] {
        std::vector<std::string> t;
        for (QAction* a : languages()->actions()) t.push_back((a->isChecked() ? "* " : "") + a->text().toStdString());
        return t;
    };
    // The display name goes to the right-hand column, after one tab.
    EXPECT_EQ(texts(), (std::vector<std::string>{"* English\tEnglish", "Russian\tРусский"}));
    QWidget* play = builder->widgetOf(&f->PlayButton);
    EXPECT_EQ(play->toolTip().toStdString(), "Play");

    languages()->actions().at(1)->trigger();
    run->t.app.ProcessMessages();   // the choice, queued behind the click
    QApplication::processEvents();  // the rebuilt menu
    EXPECT_EQ(play->toolTip().toStdString(), "Воспроизвести");
    EXPECT_EQ(texts(), (std::vector<std::string>{"English\tEnglish", "* Russian\tРусский"}));
    f->Close();
}

}  // namespace

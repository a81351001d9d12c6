// Adding media through the front end: drops on the window, the add keys and
// the grid's context menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTableView>

#include "qt/services.h"
#include "qt/shownwindow.h"
#include "support/uithread.h"

namespace {

struct AddView : testenv::ShownWindow {
    void SetUp() override { start(); }
    void TearDown() override {
        if (f) f->Close();
    }
};

TEST_F(AddView, DroppedFilesBecomeRows) {
    std::string a = env.dir.file("music/a.mp3", "x"), b = env.dir.file("music/b.mp3", "x");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl("https://example.org/c.mp3"),
                  QUrl::fromLocalFile(QString::fromStdString(b))});
    QWidget* w = builder->window();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &drop);
    ASSERT_TRUE(testenv::pumpUntil(run->t.dispatcher, [&] { return !f->Adding(); }));
    ASSERT_EQ(f->StringGrid1.RowCount(), 2);
    EXPECT_EQ(f->StringGrid1.Cell(3, 0), a);
    EXPECT_EQ(f->StringGrid1.Cell(3, 1), b);
    EXPECT_EQ(grid()->model()->rowCount(), 2);
}

TEST_F(AddView, AddKeysWorkWithTheirMenusClosed) {
    QWidget* grid = builder->widgetOf(&f->StringGrid1);
    QKeyEvent shiftL(QEvent::KeyPress, Qt::Key_L, Qt::ShiftModifier, "L");
    QApplication::sendEvent(grid, &shiftL);
    QKeyEvent ctrlL(QEvent::KeyPress, Qt::Key_L, Qt::ControlModifier);
    QApplication::sendEvent(grid, &ctrlL);
    ASSERT_EQ(run->t.dialogs.calls.size(), 2u);
    EXPECT_EQ(run->t.dialogs.calls[0].kind, "OpenFiles");
    EXPECT_EQ(run->t.dialogs.calls[1].kind, "SelectFolder");
}

TEST_F(AddView, TheGridsContextMenuHoldsTheAddItems) {
    auto* view = grid();
    ASSERT_NE(view, nullptr);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), view->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view->viewport(), &click);
    EXPECT_EQ(f->PopupMenuPlayList.PopupCount, 1);
    auto* menu = builder->window()->findChild<QMenu*>("PopupMenuPlayList");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 1);
    ASSERT_NE(menu->actions()[0]->menu(), nullptr);
    EXPECT_EQ(menu->actions()[0]->menu()->actions().size(), 3);
    menu->hide();
}

TEST(AddViewFilter, DescriptionsShowTheirPatternsOnce) {
    EXPECT_EQ(orvelin::qt::toQtFilter("MPEG (*.mp3;*.mp2)|*.mp3;*.mp2|FAAD (.aac;*.mp4)|*.aac;*.mp4|Все|*.ogg"),
              "MPEG (*.mp3 *.mp2);;FAAD (*.aac *.mp4);;Все (*.ogg)");
}

}  // namespace

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <cmath>

#include "qt/windowbuilder.h"
#include "support/engine.h"
#include "support/wav.h"
#include "ui/testenv.h"

namespace {

TEST(TransportView, ADoubleClickedRowPlaysAndTheTimeDisplayCountsDown) {
    testenv::Env env;
    std::string track = env.dir.path + "tone.wav";
    testenv::writeWav(track, 44100, 2, 16, 3 * 44100, [](int64_t i, int) { return 0.3 * std::sin(i * 0.06); });
    env.dir.file("config/Orvelin Project/Orvelin/Playlist/default.m3u", testenv::m3u({track}));
    env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Option]\r\nPlaylist=default\r\nAutoNext=0\r\n");
    testenv::Session run(env);
    std::optional<orvelin::qt::WindowBuilder> builder;
    run.program.OnFormsCreated = [&](ui::TProgram& p) {
        builder.emplace(*p.Form1);
        builder->build();
    };
    ASSERT_EQ(run.start(), ui::TProgram::TStartResult::Run);
    ui::TForm1& f = run.form();
    f.Show();
    QApplication::processEvents();

    auto* time = builder->widgetOf(&f.StatusBarTime)->findChild<QLabel*>();
    ASSERT_NE(time, nullptr);
    // The display font shows the whole stopped text in its panel.
    EXPECT_LE(time->fontMetrics().horizontalAdvance(time->text()), time->contentsRect().width());
    EXPECT_EQ(time->text(), " 00:00:00");

    auto* view = builder->widgetAs<QTableView>(f.StringGrid1);
    QRect cell = view->visualRect(view->model()->index(0, 1));
    // As a mouse does it: the first click, then the second as a double click.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(f.PlayState, 1);
    // The offline device plays what is rendered; the timer's tick is the test's.
    testenv::renderMs(f.Engine(), 500);
    f.Timer_Play.fire();
    QApplication::processEvents();
    EXPECT_EQ(time->text(), "-00:00:02");
    testenv::renderMs(f.Engine(), 1000);
    f.Timer_Play.fire();
    QApplication::processEvents();
    EXPECT_EQ(time->text(), "-00:00:01");

    // Space reaches the window before the grid: the first press pauses.
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(f.ChannelActivity(), audio::ACTIVE_PAUSED);
    f.Close();
}

}  // namespace

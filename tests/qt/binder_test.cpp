#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <set>
#include <string_view>

#include "kit/fakes.h"
#include "qt/services.h"
#include "qt/windowbuilder.h"
#include "ui/testenv.h"
#include "ui/tform1.h"

using namespace ui;
using orvelin::qt::WindowBuilder;

namespace {

class Window : public TForm {
public:
    explicit Window(TApplication& app) : TForm(app, "Window") {
        ClientWidth.set(400);
        ClientHeight.set(300);
        Top.Align.set(TAlign::alTop);
        Top.Height.set(30);
        Grid.Align.set(TAlign::alClient);
        Left.Align.set(TAlign::alLeft);
        Left.Width.set(120);
        Play.Align.set(TAlign::alLeft);
        Play.Width.set(28);
        Volume.SetBounds(0, 0, 120, 26);
        Loud.SetBounds(0, 30, 120, 20);
        Lists.SetBounds(0, 60, 120, 24);
        Search.SetBounds(0, 90, 120, 24);
    }
    TPanel Top{this, "Top"};
    TLabel Title{&Top, "Title", "first"};
    TSpeedButton Play{&Top, "Play"};
    TPanel Left{this, "Left"};
    TTrackBar Volume{&Left, "Volume", 0, 100};
    TCheckBox Loud{&Left, "Loud", "Loud"};
    TComboBox Lists{&Left, "Lists"};
    TEdit Search{&Left, "Search"};
    TStringGrid Grid{this, "Grid", 4, 1};
    TTimer Tick{this, "Tick", 10, false};
    TPopupMenu Menu{this, "Menu"};
    TMenuItem Item{this, "Item", "Item"};
};

struct Fixture : ::testing::Test {
    TestApplication t;
    Window w{t.app};
    WindowBuilder builder{w};
    void SetUp() override {
        builder.build();
        w.Show();
        QApplication::processEvents();
    }
    template <class W>
    W* widget(const TComponent& c) {
        return builder.widgetAs<W>(c);
    }
};

}  // namespace

TEST_F(Fixture, ModelChangesShowInTheWidgets) {
    w.Title.Caption.set("second");
    EXPECT_EQ(widget<QLabel>(w.Title)->text(), "second");
    w.Volume.Position.set(42);
    EXPECT_EQ(widget<QSlider>(w.Volume)->value(), 42);
    w.Loud.Checked.set(true);
    EXPECT_TRUE(widget<QCheckBox>(w.Loud)->isChecked());
    w.Lists.Items.set({"default", "Rock"});
    w.Lists.SelectIndex(1);
    EXPECT_EQ(widget<QComboBox>(w.Lists)->currentText(), "Rock");
    w.Play.Enabled.set(false);
    EXPECT_FALSE(widget<QToolButton>(w.Play)->isEnabled());
    w.Play.Hint.set("Воспроизвести");
    EXPECT_EQ(widget<QToolButton>(w.Play)->toolTip(), "Воспроизвести");
    w.Title.Visible.set(false);
    EXPECT_TRUE(widget<QLabel>(w.Title)->isHidden());
}

TEST_F(Fixture, WidgetEventsReachTheModel) {
    int clicks = 0, changes = 0, searches = 0;
    w.Play.OnClick = [&] { ++clicks; };
    w.Volume.OnChange = [&] { ++changes; };
    w.Search.OnChange = [&] { ++searches; };
    QTest::mouseClick(widget<QToolButton>(w.Play), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(widget<QToolButton>(w.Play)->isChecked());  // the model's Down stays false

    widget<QSlider>(w.Volume)->setValue(77);  // as a drag does
    EXPECT_EQ(w.Volume.Position(), 77);
    EXPECT_EQ(changes, 1);

    QTest::mouseClick(widget<QCheckBox>(w.Loud), Qt::LeftButton, {}, QPoint(6, 10));  // on the box
    EXPECT_TRUE(w.Loud.Checked());

    QTest::keyClicks(widget<QLineEdit>(w.Search), "abc");
    EXPECT_EQ(w.Search.Text(), "abc");
    EXPECT_EQ(searches, 3);
}

TEST_F(Fixture, TrackBarClicksGoToTheModelWhenItHasRules) {
    int x = -1;
    w.Volume.OnMouseDown = [&](TMouseButton b, TShiftState, int px, int) {
        if (b == TMouseButton::mbLeft) x = px;
    };
    auto* slider = widget<QSlider>(w.Volume);
    int before = slider->value();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(30, slider->height() / 2));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(slider->value(), before);  // the slider did not move by itself
}

TEST_F(Fixture, GridShowsRowsVirtuallyAndSelectionFollowsBothWays) {
    w.Grid.BeginUpdate();
    w.Grid.SetRowCount(100000);
    for (int r = 0; r < 100000; r += 1000) w.Grid.SetCell(1, r, "row " + std::to_string(r));
    w.Grid.EndUpdate();
    auto* view = widget<QTableView>(w.Grid);
    EXPECT_EQ(view->model()->rowCount(), 100000);
    EXPECT_EQ(view->model()->data(view->model()->index(5000, 1)).toString(), "row 5000");
    w.Grid.SetRow(5000);
    EXPECT_EQ(view->currentIndex().row(), 5000);
    view->setCurrentIndex(view->model()->index(7, 0));
    EXPECT_EQ(w.Grid.Row(), 7);
    int dbl = 0;
    w.Grid.OnDblClick = [&] { ++dbl; };
    emit view->doubleClicked(view->model()->index(9, 1));
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(w.Grid.Row(), 9);
}

TEST_F(Fixture, AlignedControlsTakeTheirStrips) {
    w.Left.Width.set(150);
    QApplication::processEvents();
    QWidget* top = builder.widgetOf(&w.Top);
    QWidget* left = builder.widgetOf(&w.Left);
    QWidget* grid = builder.widgetOf(&w.Grid);
    EXPECT_EQ(top->geometry(), QRect(0, 0, 400, 30));
    EXPECT_EQ(left->geometry(), QRect(0, 30, 150, 270));
    EXPECT_EQ(grid->geometry(), QRect(150, 30, 250, 270));
    EXPECT_EQ(w.Grid.Width(), 250);  // sizes flow back to the model
}

TEST_F(Fixture, TimersAndMenusAreDriven) {
    int ticks = 0;
    QEventLoop loop;
    w.Tick.OnTimer = [&] {
        ++ticks;
        loop.quit();
    };
    w.Tick.Enabled.set(true);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);  // only if the tick never comes
    loop.exec();
    w.Tick.Enabled.set(false);
    EXPECT_GT(ticks, 0);

    int clicks = 0;
    w.Item.OnClick = [&] { ++clicks; };
    w.Menu.Add(&w.Item);
    auto* menu = builder.window()->findChild<QMenu*>("Menu");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    menu->actions()[0]->trigger();
    EXPECT_EQ(clicks, 1);
    w.Item.Caption.set("Renamed");
    EXPECT_EQ(menu->actions()[0]->text(), "Renamed");
}

TEST(QtServices, FiltersBecomeQtFilters) {
    EXPECT_EQ(orvelin::qt::toQtFilter("Audio|*.mp3;*.flac|All|*.*"), "Audio (*.mp3 *.flac);;All (*.*)");
}

TEST(MainWindow, BuildsEveryControlOffscreen) {
    testenv::Env env;
    auto& t = env.t;
    TForm1 f(t.app, env.system);
    WindowBuilder b(f);
    b.build();
    f.Show();
    QApplication::processEvents();
    int missing = 0;
    for (TComponent* c : f.Components()) {
        if (c->Kind() == TControlKind::Timer || c->Kind() == TControlKind::MenuItem ||
            c->Kind() == TControlKind::PopupMenu || c->Kind() == TControlKind::TrayIcon ||
            c->Kind() == TControlKind::OpenDialog)
            continue;
        if (!b.widgetOf(c)) {
            ++missing;
            ADD_FAILURE() << "no widget for " << c->Name();
        }
    }
    EXPECT_EQ(missing, 0);
    // The left column is 225 wide and the playlist takes the rest.
    EXPECT_EQ(b.widgetOf(&f.TabApp)->width(), 225);
    EXPECT_EQ(b.widgetOf(&f.TabPlayList)->width(), b.window()->width() - 225);
    f.Close();
}

// An image's modes decide how large its picture is drawn: a red 50 x 50
// square in a 200 x 100 image, centred.
TEST(Binders, ImagesDrawTheirPictureAsTheirModesSay) {
    TestApplication t;
    TForm form(t.app, "Pictures");
    form.ClientWidth.set(200);
    form.ClientHeight.set(100);
    TImage image(&form, "Image");
    image.Align.set(TAlign::alClient);
    image.Center.set(true);
    image.Picture.set(std::make_shared<TBitmap>(50, 50, 0xFFFF0000));
    WindowBuilder builder(form);
    builder.build();
    form.Show();
    QApplication::processEvents();
    struct Case {
        bool stretch, proportional;
        bool redAt10, redAt60;  // x = 10 and x = 60 on the middle row
    } cases[] = {
        {false, false, false, false},  // its own size
        {false, true, false, false},   // proportional alone does not grow it
        {true, false, true, true},     // stretched to fill
        {true, true, false, true},     // fitted, 100 x 100 in the middle
    };
    for (const Case& c : cases) {
        image.Stretch.set(c.stretch);
        image.Proportional.set(c.proportional);
        QImage shot = builder.widgetOf(&image)->grab().toImage();
        ASSERT_EQ(shot.width(), 200);
        EXPECT_EQ(shot.pixelColor(100, 50), QColor(Qt::red));
        EXPECT_EQ(shot.pixelColor(10, 50) == QColor(Qt::red), c.redAt10) << c.stretch << c.proportional;
        EXPECT_EQ(shot.pixelColor(60, 50) == QColor(Qt::red), c.redAt60) << c.stretch << c.proportional;
    }
    form.Close();
}

// A control kind missing from the binder table would get no widget, silently.
TEST(Binders, EveryControlKindHasOne) {
    const std::set<TControlKind> noWidget{TControlKind::Form,      TControlKind::Timer,    TControlKind::MenuItem,
                                          TControlKind::PopupMenu, TControlKind::TrayIcon, TControlKind::OpenDialog};
    int kinds = 0;
    for (int i = 0; std::string_view(kindName(static_cast<TControlKind>(i))) != "?"; ++i, ++kinds) {
        auto kind = static_cast<TControlKind>(i);
        const orvelin::qt::BinderEntry* entry = orvelin::qt::binderFor(kind);
        if (noWidget.contains(kind)) {
            EXPECT_EQ(entry, nullptr) << kindName(kind);
        } else {
            ASSERT_NE(entry, nullptr) << kindName(kind);
            EXPECT_EQ(entry->kind, kind);
        }
    }
    EXPECT_GT(kinds, static_cast<int>(noWidget.size()));
}

// Every window the program owns is found by name and builds with a widget for
// each of its controls, as --window relies on.
TEST(ProgramWindows, EachIsFoundAndBuildsEveryControl) {
    testenv::Env env;
    testenv::Session run(env);
    ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
    EXPECT_EQ(run.program.FindForm("TForm1"), run.program.Form1.get());
    EXPECT_EQ(run.program.FindForm("Form2"), run.program.Form2.get());
    EXPECT_EQ(run.program.FindForm("TForm4"), run.program.Form4.get());
    EXPECT_EQ(run.program.FindForm("TForm"), nullptr);
    EXPECT_EQ(run.program.FindForm(""), nullptr);
    std::vector<std::unique_ptr<WindowBuilder>> builders;  // gone before the windows
    for (TForm* f : run.program.Forms()) {
        EXPECT_EQ(run.program.FindForm("T" + f->Name()), f);
        builders.push_back(std::make_unique<WindowBuilder>(*f));
        builders.back()->build();
        for (TComponent* c : f->Components()) {
            if (!dynamic_cast<TControl*>(c)) continue;  // timers, menus, the tray
            EXPECT_NE(builders.back()->widgetOf(c), nullptr) << f->Name() << "." << c->Name();
        }
    }
    EXPECT_GE(builders.size(), 3u);
}

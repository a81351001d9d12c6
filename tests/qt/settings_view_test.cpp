#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <vector>

#include "qt/keys.h"
#include "qt/services.h"
#include "qt/windowbuilder.h"
#include "ui/testenv.h"

using namespace ui;
using orvelin::qt::WindowBuilder;

namespace {

// The settings window as the program builds it, shown on the equalizer page.
struct SettingsView : ::testing::Test {
    testenv::Env env;
    std::unique_ptr<testenv::Session> run;
    std::unique_ptr<WindowBuilder> builder;
    TForm2* f2 = nullptr;

    void SetUp() override {
        run = std::make_unique<testenv::Session>(env);
        ASSERT_EQ(run->start(), TProgram::TStartResult::Run);
        f2 = run->program.Form2.get();
        builder = std::make_unique<WindowBuilder>(*f2);
        builder->build();
        f2->Show();
        QApplication::processEvents();
    }
    void TearDown() override { builder.reset(); }
    template <class W>
    W* widget(const TComponent& c) {
        return builder->widgetAs<W>(c);
    }
};

TEST_F(SettingsView, TheTreeChoosesThePageAndTheTabsStayHidden) {
    auto* tabs = widget<QTabWidget>(f2->PageControlOptions);
    auto* tree = widget<QTreeWidget>(f2->TreeViewMenu);
    EXPECT_FALSE(tabs->tabBar()->isVisible());
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_EQ(f2->LabelInfo.Caption(), "Основные");

    tree->setCurrentItem(tree->topLevelItem(1));  // as a click does
    EXPECT_EQ(f2->PageControlOptions.ActivePageIndex(), 1);
    EXPECT_EQ(tabs->currentWidget(), widget<QWidget>(f2->PageEQ));
    EXPECT_EQ(f2->LabelInfo.Caption(), "Эквалайзер");
    f2->SelectPage(0);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(SettingsView, BandSlidersStandWithTheirTopAtPlusFifteen) {
    f2->SelectPage(1);
    QApplication::processEvents();
    auto* combo = widget<QComboBox>(f2->boxEQSelect);
    ASSERT_EQ(combo->count(), 21);
    EXPECT_EQ(combo->itemText(20), "Custom");
    combo->activated(2);  // "Rock", as the user picks it
    EXPECT_EQ(f2->TrackBar16000Hz.Position(), -8);

    auto* slider = widget<QSlider>(f2->TrackBar80Hz);
    ASSERT_TRUE(slider->isVisible());
    EXPECT_EQ(slider->orientation(), Qt::Vertical);
    EXPECT_TRUE(slider->invertedAppearance());  // the minimum, -15 (+15 dB), at the top
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, 1));
    EXPECT_EQ(f2->TrackBar80Hz.Position(), -15);
    EXPECT_EQ(f2->Effects.EQGains[0], 15);
    EXPECT_EQ(f2->boxEQSelect.ItemIndex(), 20);
    EXPECT_EQ(combo->currentText(), "Custom");
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, slider->height() - 1));
    EXPECT_EQ(f2->TrackBar80Hz.Position(), 15);
    EXPECT_EQ(slider->value(), 15);

    // A wheel notch up moves the thumb up: one step toward the minimum.
    QWheelEvent up(QPointF(5, 50), slider->mapToGlobal(QPointF(5, 50)), {}, QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &up);
    EXPECT_EQ(f2->TrackBar80Hz.Position(), 14);
}

TEST_F(SettingsView, AShortcutTypedIntoItsFieldReachesTheMenusOrIsRefused) {
    f2->SelectPage(2);
    QApplication::processEvents();
    auto* next = widget<QKeySequenceEdit>(f2->HotKey_Next);
    ASSERT_TRUE(next->isVisible());
    EXPECT_EQ(next->keySequence(), QKeySequence(Qt::Key_F2));
    next->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_N));
    emit next->editingFinished();  // as the field does once the user lets go
    EXPECT_EQ(f2->HotKey_Next.HotKey(), ui::scCtrl | 'N');
    EXPECT_EQ(run->form().NextTryMenu.ShortCut(), ui::scCtrl | 'N');

    // F1 is the previous track's: the field shows its own key again.
    next->setKeySequence(QKeySequence(Qt::Key_F1));
    emit next->editingFinished();
    EXPECT_EQ(f2->HotKey_Next.HotKey(), ui::scCtrl | 'N');
    EXPECT_EQ(next->keySequence(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(run->t.dialogs.calls.size(), 1u);

    // The fields that do nothing stay empty, without a prompt in another language.
    auto* sound = widget<QKeySequenceEdit>(f2->HotKey_Sound);
    EXPECT_FALSE(sound->isEnabled());
    EXPECT_TRUE(sound->keySequence().isEmpty());
    ASSERT_NE(sound->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(sound->findChild<QLineEdit*>()->placeholderText(), QString());
}

TEST_F(SettingsView, TheOptionsReachTheMainWindowsWidgets) {
    TForm1& f = run->form();
    WindowBuilder main(f);
    main.build();
    f.Show();
    QApplication::processEvents();
    auto* grid = main.widgetAs<QTableView>(f.StringGrid1);
    f2->CheckBox_LinesPL.Checked.set(true);
    EXPECT_TRUE(grid->showGrid());
    f2->CheckBox_LinesPL.Checked.set(false);
    EXPECT_FALSE(grid->showGrid());

    f2->CheckBox_ShowPL.Checked.set(false);
    QApplication::processEvents();
    EXPECT_EQ(main.window()->maximumWidth(), 240);
    EXPECT_EQ(main.window()->width(), 240);
    f2->CheckBox_ShowPL.Checked.set(true);
    EXPECT_EQ(main.window()->maximumWidth(), QWIDGETSIZE_MAX);
}

TEST(Keys, MediaKeysHaveTheirCodesBothWays) {
    using namespace orvelin::qt;
    const std::pair<Qt::Key, uint16_t> keys[] = {
        {Qt::Key_MediaNext, ui::vkMediaNextTrack}, {Qt::Key_MediaPrevious, ui::vkMediaPrevTrack},
        {Qt::Key_MediaStop, ui::vkMediaStop},      {Qt::Key_MediaTogglePlayPause, ui::vkMediaPlayPause},
        {Qt::Key_MediaPlay, ui::vkPlay},           {Qt::Key_MediaPause, ui::vkPause},
    };
    for (auto [qtKey, code] : keys) {
        EXPECT_EQ(keyCodeFromQt(qtKey), code) << qtKey;
        EXPECT_EQ(fromSequence(toSequence(code)), code) << qtKey;
    }
    EXPECT_EQ(toSequence(0x0D).toString(), QString("Enter"));
}

// The settings window is built the first time it shows, not at start.
TEST(FormHost, BuildsAWindowWhenItFirstShows) {
    orvelin::qt::QtDispatcher dispatcher;
    ScriptedDialogs dialogs;
    orvelin::qt::QtFormHost host;
    TApplication app(dispatcher, dialogs, host);
    TForm form(app, "Lonely");
    std::vector<std::unique_ptr<WindowBuilder>> built;
    host.BuildOnDemand = [&](TForm& f) -> WindowBuilder& {
        built.push_back(std::make_unique<WindowBuilder>(f));
        built.back()->build();
        return *built.back();
    };
    EXPECT_TRUE(built.empty());
    form.Show();
    ASSERT_EQ(built.size(), 1u);
    EXPECT_TRUE(built[0]->window()->isVisible());
    form.Hide();
    form.Show();
    EXPECT_EQ(built.size(), 1u);
}

}  // namespace

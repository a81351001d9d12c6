#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <vector>

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

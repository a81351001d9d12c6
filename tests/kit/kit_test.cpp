#include <gtest/gtest.h>

#include <thread>

#include "kit/controls.h"
#include "kit/fakes.h"
#include "kit/menu.h"

using namespace ui;

namespace {

template <class T>
struct Recorder {
    std::vector<T> values;
    explicit Recorder(Property<T>& p) {
        p.observe([this](const T& v) { values.push_back(v); });
    }
};

class SmallForm : public TForm {
public:
    explicit SmallForm(TApplication& app) : TForm(app, "SmallForm") {}
    TPanel Top{this, "Top"};
    TLabel Caption1{&Top, "Caption1", "hello"};
    TTrackBar Volume{&Top, "Volume", 0, 100};
    TCheckBox Loud{this, "Loud"};
    TRadioButton A{this, "A"}, B{this, "B"};
    TEdit Name{this, "Name"};
    TComboBox Choice{this, "Choice"};
    TTimer Tick{this, "Tick", 200, false};
    TPopupMenu Menu{this, "Menu"};
    TMenuItem Item{this, "Item", "Do it"};
};

}  // namespace

TEST(Property, NotifiesRealChangesOnlyAndMayBeCoerced) {
    Property<int> p{5};
    Recorder<int> r(p);
    EXPECT_FALSE(p.set(5));
    EXPECT_TRUE(p.set(7));
    p.setCoerce([](int v) { return v > 10 ? 10 : v; });
    p.set(42);
    EXPECT_EQ(p(), 10);
    EXPECT_EQ(r.values, (std::vector<int>{7, 10}));
}

TEST(Property, ObserversMayUnsubscribeWhileNotified) {
    Property<std::string> p;
    int calls = 0, id = 0;
    id = p.observe([&](const std::string&) {
        ++calls;
        p.unobserve(id);
    });
    p.set("a");
    p.set("b");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(p.observerCount(), 0u);
}

TEST(Form, RegistersComponentsByNameInConstructionOrder) {
    TestApplication t;
    SmallForm f(t.app);
    std::vector<std::string> names;
    for (TComponent* c : f.Components()) names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Top", "Caption1", "Volume", "Loud", "A", "B", "Name", "Choice", "Tick",
                                               "Menu", "Item"}));
    EXPECT_EQ(f.Find<TTrackBar>("volume"), &f.Volume);  // names ignore case
    EXPECT_EQ(f.Find<TLabel>("Volume"), nullptr);       // wrong kind
    EXPECT_EQ(f.FindComponent("nothing"), nullptr);
    EXPECT_EQ(f.Caption1.Parent(), &f.Top);
    EXPECT_EQ(f.Top.Controls().size(), 2u);
    EXPECT_EQ(t.app.MainForm(), &f);
}

TEST(Controls, ProgramChangesFireTheEventsWindowsRelyOn) {
    TestApplication t;
    SmallForm f(t.app);
    int volumeChanges = 0, loudClicks = 0, aClicks = 0, nameChanges = 0, choiceChanges = 0;
    f.Volume.OnChange = [&] { ++volumeChanges; };
    f.Loud.OnClick = [&] { ++loudClicks; };
    f.A.OnClick = [&] { ++aClicks; };
    f.Name.OnChange = [&] { ++nameChanges; };
    f.Choice.OnChange = [&] { ++choiceChanges; };

    f.Volume.Position.set(150);  // clamped to Max
    EXPECT_EQ(f.Volume.Position(), 100);
    f.Volume.Max.set(50);  // the position follows a shrinking range
    EXPECT_EQ(f.Volume.Position(), 50);
    EXPECT_EQ(volumeChanges, 2);

    f.Loud.Checked.set(true);
    f.Name.Text.set("x");
    f.Choice.Items.set({"one", "two"});
    f.Choice.SelectIndex(1);
    EXPECT_EQ(f.Choice.Text(), "two");
    EXPECT_EQ((std::tuple{loudClicks, nameChanges, choiceChanges}), (std::tuple{1, 1, 0}));

    f.B.Checked.set(true);
    f.A.Checked.set(true);  // exclusive within the parent
    EXPECT_FALSE(f.B.Checked());
    EXPECT_EQ(aClicks, 1);
}

TEST(Controls, SortedComboKeepsItsSelectionWhenItemsArrive) {
    TestApplication t;
    SmallForm f(t.app);
    f.Choice.Sorted.set(true);
    f.Choice.Add("beta");
    f.Choice.SelectIndex(0);
    f.Choice.Add("Alpha");
    f.Choice.Add("gamma");
    EXPECT_EQ(f.Choice.Items(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(f.Choice.ItemIndex(), 1);
    EXPECT_TRUE(f.Choice.SelectText("GAMMA"));
    EXPECT_EQ(f.Choice.ItemIndex(), 2);
    EXPECT_FALSE(f.Choice.SelectText("delta"));
}

TEST(Controls, TimerFiresOnlyWhenEnabled) {
    TestApplication t;
    SmallForm f(t.app);
    int ticks = 0;
    f.Tick.OnTimer = [&] { ++ticks; };
    f.Tick.fire();
    f.Tick.Enabled.set(true);
    f.Tick.fire();
    f.Tick.fire();
    EXPECT_EQ(ticks, 2);
}

TEST(Controls, MenuItemsClickOnlyWhenEnabledAndOwnRunTimeChildren) {
    TestApplication t;
    SmallForm f(t.app);
    int clicks = 0;
    f.Item.OnClick = [&] { ++clicks; };
    f.Menu.Add(&f.Item);
    f.Item.Click();
    f.Item.Enabled.set(false);
    f.Item.Click();
    EXPECT_EQ(clicks, 1);

    int itemChanges = 0;
    f.Item.Items.observe([&](const std::vector<TMenuItem*>&) { ++itemChanges; });
    f.Item.AddOwned("English");
    f.Item.AddOwned("Русский");
    EXPECT_EQ(f.Item.Items().size(), 2u);
    EXPECT_EQ(f.Item.Items()[1]->Caption(), "Русский");
    f.Item.ClearOwned();
    EXPECT_TRUE(f.Item.Items().empty());
    EXPECT_EQ(itemChanges, 3);

    TPopupPlacement seen;
    f.Menu.OnPopupRequest = [&](const TPopupPlacement& p) { seen = p; };
    f.Menu.PopupBelow(f.Volume);
    EXPECT_EQ(seen.Anchor, &f.Volume);
    EXPECT_EQ(f.Menu.PopupCount, 1);
}

TEST(Form, CloseAsksFirstAndClosingTheMainFormEndsTheProgram) {
    TestApplication t;
    SmallForm main(t.app);
    SmallForm other(t.app);
    bool allow = false;
    int closes = 0;
    main.OnCloseQuery = [&](bool& can) { can = allow; };
    main.OnClose = [&] { ++closes; };
    main.Show();
    main.Close();
    EXPECT_TRUE(main.Visible());
    allow = true;
    main.Close();
    EXPECT_FALSE(main.Visible());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(t.host.quits, 1);
    other.Show();
    other.Close();
    EXPECT_EQ(t.host.quits, 1);  // only the main form ends the program
}

TEST(Form, ShowModalReturnsWhatTheHostGives) {
    TestApplication t;
    SmallForm main(t.app);
    SmallForm dialog(t.app);
    t.host.onModal = [](TForm& f) {
        EXPECT_TRUE(f.Visible());
        return static_cast<int>(mrOk);
    };
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(t.host.modalForms, (std::vector<std::string>{"SmallForm"}));
}

TEST(Dispatcher, RunsWhatWorkersPostOnTheCallingThreadInOrder) {
    QueueDispatcher d;
    std::vector<int> seen;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) d.post([&seen, i] { seen.push_back(i); });
    });
    worker.join();
    d.post([&] { d.post([&] { seen.push_back(-1); }); });  // posted while draining: runs next time
    d.processMessages();
    ASSERT_EQ(seen.size(), 100u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 99);
    EXPECT_EQ(d.pending(), 1u);
    d.processMessages();
    EXPECT_EQ(seen.back(), -1);
}

TEST(ScriptedDialogs, AnswerInOrderThenFallBack) {
    ScriptedDialogs d;
    d.boxAnswers = {IDNO};
    d.inputAnswers = {std::string("Rock")};
    EXPECT_EQ(d.MessageBox("Delete?", "Внимание!", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(d.MessageBox("Again?", "Внимание!", MB_YESNO), IDYES);
    std::string v = "default";
    EXPECT_TRUE(d.InputQuery("New", "Name", v));
    EXPECT_EQ(v, "Rock");
    EXPECT_FALSE(d.InputQuery("New", "Name", v));
    EXPECT_EQ(v, "Rock");
    EXPECT_TRUE(d.OpenFiles({}).empty());
    ASSERT_EQ(d.calls.size(), 5u);
    EXPECT_EQ(d.calls[0].caption, "Внимание!");
}

TEST(ShortCut, TextOfKeysAndModifiers) {
    EXPECT_EQ(ShortCutToText(113), "F2");
    EXPECT_EQ(ShortCutToText(32), "Space");
    EXPECT_EQ(ShortCutToText(16464), "Ctrl+P");  // a stored default
    EXPECT_EQ(ShortCutToText(8238), "Shift+Del");
    EXPECT_EQ(ShortCutToText(32847), "Alt+O");
    EXPECT_EQ(ShortCutToText(0), "");
}

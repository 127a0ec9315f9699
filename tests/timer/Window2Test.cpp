#include "tests/timer/TimerFixture.h"

#include "framework/ClassRecord.h"

namespace tockamo::testing {
namespace {

using Window2Test = TimerAppTest;

// Times, since the Time's Up window opened, at which the alarm played.
std::vector<int64_t> PlaysSince(const fw::HeadlessBackend& ui, fw::Clock::Duration opened)
{
    std::vector<int64_t> seconds;
    for (const auto& play : ui.SoundsPlayed())
        if (play.at > opened)
            seconds.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(play.at - opened).count());
    return seconds;
}

TEST_F(Window2Test, IsARedAlertFilledByItsLabel)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        fw::RefPtr<class Window2> alert = OpenAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->Title(), "Time's Up");
        EXPECT_TRUE(alert->HasBackColor());
        EXPECT_EQ(alert->BackColor(), fw::Color { 0xFF0000 });
        EXPECT_EQ(alert->Width(), 212);
        EXPECT_EQ(alert->Height(), 104);
        EXPECT_FALSE(alert->GetMenuBar());
        fw::RefPtr<fw::Label> label = alert->Label1();
        ASSERT_TRUE(label);
        EXPECT_EQ(label->Text(), "Time's Up");
        EXPECT_EQ(label->TextColor(), fw::Color { 0xFFFFFF });
        EXPECT_EQ(label->Style().size, 30);
        EXPECT_TRUE(label->Transparent());
        EXPECT_EQ(label->Width(), 212);
        EXPECT_EQ(label->Height(), 104);
        EXPECT_EQ(alert->Timer1()->Class().Name(), "Window2.Timer1");
        EXPECT_EQ(alert->Timer1()->Period(), 10000);
    });
}

TEST_F(Window2Test, RepeatsTheAlarmEveryTenSecondsUntilClosed)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        fw::Clock::Duration opened = ui.Now();
        fw::RefPtr<class Window2> alert = OpenAlert();
        ASSERT_TRUE(alert);
        ui.Advance(35s);
        EXPECT_EQ(PlaysSince(ui, opened), (std::vector<int64_t> { 10000, 20000, 30000 }));
        ASSERT_TRUE(ui.CloseWindow(*alert));
        EXPECT_FALSE(OpenAlert());
        ui.Advance(60s);
        EXPECT_EQ(PlaysSince(ui, opened).size(), 3u);
        // The main window is untouched by the alert's closing.
        EXPECT_EQ(Buttons(main), kIdleRow);
    });
}

TEST_F(Window2Test, ASecondTimeUpMovesTheOpenAlertAndKeepsItsRhythm)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        fw::Clock::Duration opened = ui.Now();
        fw::RefPtr<class Window2> first = OpenAlert();
        ASSERT_TRUE(first);

        ui.Advance(5s);
        ui.MoveWindow(main, 300, 400);
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        fw::RefPtr<class Window2> second = OpenAlert();
        EXPECT_EQ(second.Get(), first.Get());
        EXPECT_EQ(second->Top(), 320);
        EXPECT_EQ(second->Left(), 400);
        EXPECT_TRUE(second->IsShown());

        ui.Advance(10s);
        // The countdown's own play at 65 s comes on top of the alert's
        // rhythm, which stays on the tens since the first Open.
        EXPECT_EQ(PlaysSince(ui, opened), (std::vector<int64_t> { 10000, 20000, 30000, 40000, 50000, 60000, 65000, 70000 }));
        EXPECT_EQ(ui.LiveWindows().size(), 2u);
    });
}

TEST_F(Window2Test, AfterClosingANewAlertStartsANewRhythm)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        fw::RefPtr<class Window2> first = OpenAlert();
        ASSERT_TRUE(first);
        ui.Advance(4s);
        ui.CloseWindow(*first);

        ui.Press(main, "MyStart");
        ui.Advance(60s);
        fw::Clock::Duration opened = ui.Now();
        fw::RefPtr<class Window2> second = OpenAlert();
        ASSERT_TRUE(second);
        EXPECT_NE(second.Get(), first.Get());
        ui.Advance(25s);
        EXPECT_EQ(PlaysSince(ui, opened), (std::vector<int64_t> { 10000, 20000 }));
    });
}

TEST_F(Window2Test, AnAlertBelowTheLowestPositionStaysOnTheScreenEdge)
{
    // A hand-edited file can put the main window at the largest position;
    // the alert then goes no further down instead of wrapping round.
    WritePrefs(2147483647, 5, "0");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(1s);
        fw::RefPtr<class Window2> alert = OpenAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->Top(), 2147483647);
        EXPECT_EQ(alert->Left(), 5);
    });
}

TEST_F(Window2Test, RegistersItsOperationsInOrder)
{
    const fw::ClassRecord& record = Window2::Lookup();
    EXPECT_EQ(record.Name(), "Window2.Window2");
    const char* names[] = { "Layout", "CreateControls", "_CreateControls0", "Label1", "Timer1", "Timer1_Action", "Event_Open" };
    ASSERT_EQ(record.Members().size(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(record.Members()[i].name, names[i]);
    EXPECT_TRUE(record.Members()[2].HasAttribute("Hidden"));
    EXPECT_EQ(record.Events().size(), 3u);
    EXPECT_EQ(record.FindEvent(fw::Window::kEventClose), nullptr);
}

}
}

#include "tests/timer/TimerFixture.h"

#include "framework/EventLoop.h"
#include "prefs/prefModule.h"

namespace tockamo::testing {
namespace {

std::string Minutes(class Window1& main) { return main.MinLeft()->Text(); }
std::string Seconds(class Window1& main) { return main.SecLeft()->Text(); }

using CountdownTest = TimerAppTest;

TEST_F(CountdownTest, AlarmComesExactlyAtTheLastTick)
{
    struct Case {
        const char* name;
        int32_t minutes;
    };
    const Case cases[] = { { "one minute", 1 }, { "two minutes", 2 }, { "ninety minutes", 90 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WritePrefs(200, 300, std::to_string(c.minutes));
        int32_t status = Run([&](fw::HeadlessBackend& ui, class Window1& main) {
            EXPECT_EQ(Buttons(main), kIdleRow);
            ASSERT_TRUE(ui.Press(main, "MyStart"));
            EXPECT_EQ(Minutes(main), std::to_string(c.minutes));
            EXPECT_EQ(Seconds(main), "0");
            EXPECT_EQ(Buttons(main), kRunningRow);

            ui.Advance(1s);
            EXPECT_EQ(Minutes(main), std::to_string(c.minutes - 1));
            EXPECT_EQ(Seconds(main), "59");

            // One tick short: the fields read "0" and "1", nothing is raised.
            ui.Advance(std::chrono::seconds(c.minutes * 60 - 2));
            EXPECT_EQ(Minutes(main), "0");
            EXPECT_EQ(Seconds(main), "1");
            EXPECT_TRUE(ui.SoundsPlayed().empty());
            EXPECT_FALSE(OpenAlert());

            ui.Advance(999ms);
            EXPECT_TRUE(ui.SoundsPlayed().empty());
            ui.Advance(1ms);
            ASSERT_EQ(ui.SoundsPlayed().size(), 1u);
            EXPECT_EQ(ui.SoundsPlayed()[0].at, ui.Now());
            fw::RefPtr<class Window2> alert = OpenAlert();
            ASSERT_TRUE(alert);
            EXPECT_TRUE(alert->IsShown());
            EXPECT_EQ(alert->Top(), 220);
            EXPECT_EQ(alert->Left(), 300);
            EXPECT_EQ(Minutes(main), "0");
            EXPECT_EQ(Seconds(main), "0");
            EXPECT_EQ(Buttons(main), kIdleRow);

            // The count has stopped: the fields stay at zero.
            ui.Advance(5s);
            EXPECT_EQ(Minutes(main), "0");
            EXPECT_EQ(Seconds(main), "0");
        });
        EXPECT_EQ(status, 0);
    }
}

TEST_F(CountdownTest, TheMinuteTurnsOverAfterZeroSeconds)
{
    WritePrefs(150, 150, "2");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(59s);
        EXPECT_EQ(Minutes(main), "1");
        EXPECT_EQ(Seconds(main), "1");
        ui.Advance(1s);
        EXPECT_EQ(Minutes(main), "1");
        EXPECT_EQ(Seconds(main), "0");
        ui.Advance(1s);
        EXPECT_EQ(Minutes(main), "0");
        EXPECT_EQ(Seconds(main), "59");
        EXPECT_FALSE(OpenAlert());
    });
}

TEST_F(CountdownTest, PauseAndContinueResumeFromTheFields)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(10s);
        ASSERT_TRUE(ui.Press(main, "MyPause"));
        EXPECT_EQ(Buttons(main), kPausedRow);

        // Time spent paused doesn't count.
        ui.Advance(30s);
        EXPECT_EQ(Minutes(main), "0");
        EXPECT_EQ(Seconds(main), "50");

        ASSERT_TRUE(ui.Press(main, "MyPause"));
        EXPECT_EQ(Buttons(main), kRunningRow);
        EXPECT_EQ(Seconds(main), "50");
        ui.Advance(50s - 1ms);
        EXPECT_FALSE(OpenAlert());
        ui.Advance(1ms);
        EXPECT_TRUE(OpenAlert());
        EXPECT_EQ(ui.SoundsPlayed().size(), 1u);
    });
}

TEST_F(CountdownTest, StartWhilePausedStartsAgainFromTheSetMinutes)
{
    WritePrefs(150, 150, "2");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(30s);
        ui.Press(main, "MyPause");
        ASSERT_TRUE(ui.Press(main, "MyStart"));
        EXPECT_EQ(Minutes(main), "2");
        EXPECT_EQ(Seconds(main), "0");
        EXPECT_EQ(Buttons(main), kRunningRow);
        ui.Advance(120s - 1ms);
        EXPECT_FALSE(OpenAlert());
        ui.Advance(1ms);
        EXPECT_TRUE(OpenAlert());
    });
}

TEST_F(CountdownTest, DisabledButtonsDoNothing)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        EXPECT_FALSE(ui.Press(main, "MyPause"));
        EXPECT_TRUE(ui.PressReturn(main)); // Return presses Start
        EXPECT_EQ(Buttons(main), kRunningRow);
        ui.Advance(5s);
        EXPECT_FALSE(ui.Press(main, "MyStart"));
        EXPECT_EQ(Seconds(main), "55");
    });
}

TEST_F(CountdownTest, ArrowsStayWithinOneToNinety)
{
    struct Case {
        const char* name;
        std::string fromFile;
        bool up;
        std::string shown;
        int32_t stored;
    };
    const Case cases[] = {
        { "up from 89", "89", true, "90", 90 },
        { "up at 90", "90", true, "90", 90 },
        { "down from 2", "2", false, "1", 1 },
        { "down at 1", "1", false, "1", 1 },
        { "up at 120 from the file", "120", true, "120", 120 },
        { "down from 120 from the file", "120", false, "119", 119 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WritePrefs(150, 150, c.fromFile);
        Run([&](fw::HeadlessBackend& ui, class Window1& main) {
            EXPECT_EQ(main.SetMin()->Text(), c.fromFile);
            if (c.up)
                EXPECT_TRUE(ui.ClickUp(main, "UpDownArrows1"));
            else
                EXPECT_TRUE(ui.ClickDown(main, "UpDownArrows1"));
            EXPECT_EQ(main.SetMin()->Text(), c.shown);
            EXPECT_EQ(prefModule::MySetMin, c.stored);

            // Start counts from the value shown.
            ui.Press(main, "MyStart");
            EXPECT_EQ(Minutes(main), c.shown);
            ui.CloseWindow(main);
        });
        EXPECT_NE(ReadPrefs().find("#MySetMin " + c.shown), std::string::npos) << ReadPrefs();
    }
}

TEST_F(CountdownTest, ArrowsNeverTouchARunningCount)
{
    WritePrefs(150, 150, "2");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(5s);
        ui.ClickUp(main, "UpDownArrows1");
        EXPECT_EQ(main.SetMin()->Text(), "3");
        EXPECT_EQ(Minutes(main), "1");
        EXPECT_EQ(Seconds(main), "55");
        EXPECT_EQ(Buttons(main), kRunningRow);

        ui.Press(main, "MyPause");
        ui.ClickDown(main, "UpDownArrows1");
        ui.ClickDown(main, "UpDownArrows1");
        EXPECT_EQ(main.SetMin()->Text(), "1");
        EXPECT_EQ(Minutes(main), "1");
        EXPECT_EQ(Buttons(main), kPausedRow);
        ui.Press(main, "MyPause");

        // The count ends with the minutes it started with.
        ui.Advance(115s - 1ms);
        EXPECT_FALSE(OpenAlert());
        ui.Advance(1ms);
        EXPECT_TRUE(OpenAlert());

        // The next Start takes the new value.
        ui.Press(main, "MyStart");
        EXPECT_EQ(Minutes(main), "1");
    });
}

TEST_F(CountdownTest, NoStartMinutesEndTheCountAtTheFirstTick)
{
    struct Case {
        const char* name;
        std::string fromFile;
    };
    const Case cases[] = { { "zero", "0" }, { "negative", "-5" }, { "not a number", "soon" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WritePrefs(150, 150, c.fromFile);
        Run([&](fw::HeadlessBackend& ui, class Window1& main) {
            ui.Press(main, "MyStart");
            EXPECT_EQ(Minutes(main), "0");
            EXPECT_EQ(Seconds(main), "0");
            ui.Advance(999ms);
            EXPECT_FALSE(OpenAlert());
            ui.Advance(1ms);
            EXPECT_TRUE(OpenAlert());
            EXPECT_EQ(ui.SoundsPlayed().size(), 1u);
            EXPECT_EQ(Minutes(main), "0");
            EXPECT_EQ(Seconds(main), "0");
            EXPECT_EQ(Buttons(main), kIdleRow);
            ui.Advance(3s);
            EXPECT_EQ(Minutes(main), "0");
            EXPECT_EQ(Seconds(main), "0");
        });
    }
}

TEST_F(CountdownTest, ClosingTheMainWindowSavesAndQuits)
{
    struct Case {
        const char* name;
        std::function<void(fw::HeadlessBackend&, class Window1&)> before;
    };
    const Case cases[] = {
        { "running", [](fw::HeadlessBackend& ui, class Window1& main) { ui.Press(main, "MyStart"); ui.Advance(3s); } },
        { "paused", [](fw::HeadlessBackend& ui, class Window1& main) { ui.Press(main, "MyStart"); ui.Advance(3s); ui.Press(main, "MyPause"); } },
        { "alert open", [](fw::HeadlessBackend& ui, class Window1& main) { ui.Press(main, "MyStart"); ui.Advance(60s); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WritePrefs(150, 150, "1");
        bool quitting = false;
        int32_t status = Run([&](fw::HeadlessBackend& ui, class Window1& main) {
            c.before(ui, main);
            ui.ClickUp(main, "UpDownArrows1");
            ui.MoveWindow(main, 77, 88);
            ASSERT_TRUE(ui.CloseWindow(main));
            quitting = fw::EventLoop::Main().IsQuitting();
        });
        EXPECT_TRUE(quitting);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(ReadPrefs(), "#Window1Position 77,88\n#MySetMin 2\n");
    }
}

}
}

#include "tests/support/HeadlessFixture.h"

#include "framework/EventLoop.h"
#include "framework/Runtime.h"
#include "framework/Timer.h"
#include "framework/Window.h"

#include <chrono>
#include <functional>
#include <vector>

namespace {

using namespace std::chrono_literals;

int64_t Ms(fw::Clock::Duration d)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

// A window with one timer, "Timer1", whose Action handler notes the virtual
// time of each tick and then runs whatever the test wants it to do.
class TickWindow : public fw::Window {
public:
    static inline std::vector<int64_t> ticks;
    static inline std::function<void(TickWindow&)> onTick;

    static fw::Ref<TickWindow> Create() { return fw::Adopt(*new TickWindow); }
    static const fw::ClassRecord& Lookup();
    const fw::ClassRecord& Class() const override { return Lookup(); }

    void CreateControls()
    {
        fw::Ref<fw::Control> timer = New(fw::Timer::Lookup());
        AddControl("Timer1", timer);
        Timer()->SetMode(fw::Timer::kModeOff);
        Timer()->SetPeriod(1000);
        timer->AddHandler(fw::Timer::kEventAction, fw::HandlerBinding::Bind(*this, "Timer1_Action"));
    }

    void Timer1_Action(fw::Timer&)
    {
        ticks.push_back(Ms(fw::GetBackend().GetClock().Now()));
        if (onTick)
            onTick(*this);
    }

    fw::RefPtr<fw::Timer> Timer() const { return fw::Cast<fw::Timer>(ControlByName("Timer1")); }

private:
    TickWindow() = default;
};

const fw::ClassRecord& TickWindow::Lookup()
{
    static const fw::ClassRecord& record = fw::ClassRecord::Build("TimerTest.TickWindow", &fw::Window::Lookup(), [](fw::ClassRecord::Builder& builder) {
        builder.Creatable<TickWindow>();
        builder.Method("CreateControls", "%%", &TickWindow::CreateControls);
        builder.Method("Timer1_Action", "%%o<Timer>", &TickWindow::Timer1_Action);
        builder.Event(fw::Window::kEventCreateControls, "CreateControls", "CreateControls");
    });
    return record;
}

class TimerTest : public fw::testing::HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        TickWindow::ticks.clear();
        TickWindow::onTick = nullptr;
        m_window = TickWindow::Create();
        m_window->Constructor();
    }
    void TearDown() override
    {
        TickWindow::onTick = nullptr;
        m_window = nullptr;
        HeadlessTest::TearDown();
    }

    fw::Timer& Timer() { return *m_window->Timer(); }
    fw::VirtualClock& Clock() { return static_cast<fw::VirtualClock&>(ui().GetClock()); }

    fw::RefPtr<TickWindow> m_window;
};

TEST_F(TimerTest, RepeatingTimerFiresExactlySixtyTimesInSixtySecondsAndStopsAtModeZero)
{
    ui().Advance(5000ms);
    EXPECT_TRUE(TickWindow::ticks.empty()) << "Mode 0 from the property list: stopped";

    Timer().SetMode(fw::Timer::kModeMultiple);
    ui().Advance(60000ms);
    ASSERT_EQ(TickWindow::ticks.size(), 60u);
    EXPECT_EQ(TickWindow::ticks.front(), 6000);
    EXPECT_EQ(TickWindow::ticks.back(), 65000);

    Timer().SetMode(fw::Timer::kModeOff);
    ui().Advance(60000ms);
    EXPECT_EQ(TickWindow::ticks.size(), 60u);
    EXPECT_FALSE(fw::EventLoop::Main().NextDue());
}

TEST_F(TimerTest, SchedulesKeepToStartPlusKTimesPeriod)
{
    struct Step {
        int64_t at; // ms after the timer was started in Mode 2
        std::function<void(fw::Timer&)> act;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<int64_t> expected;
    };
    const Case cases[] = {
        { "plain", {}, { 1000, 2000, 3000, 4000 } },
        { "Mode 2 again keeps the rhythm", { { 1500, [](fw::Timer& t) { t.SetMode(2); } } }, { 1000, 2000, 3000, 4000 } },
        { "a new period restarts the schedule", { { 1500, [](fw::Timer& t) { t.SetPeriod(2000); } } }, { 1000, 3500 } },
        { "Mode 1 after Mode 2 fires once", { { 1500, [](fw::Timer& t) { t.SetMode(1); } } }, { 1000, 2500 } },
        { "Mode 0 then 2 starts afresh", { { 1500, [](fw::Timer& t) { t.SetMode(0); } }, { 1700, [](fw::Timer& t) { t.SetMode(2); } } }, { 1000, 2700, 3700 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TickWindow::ticks.clear();
        Clock().Set(0ms);
        Timer().SetMode(fw::Timer::kModeOff);
        Timer().SetPeriod(1000);
        Timer().SetMode(fw::Timer::kModeMultiple);
        int64_t now = 0;
        for (const Step& step : c.steps) {
            ui().Advance(std::chrono::milliseconds(step.at - now));
            now = step.at;
            step.act(Timer());
        }
        ui().Advance(std::chrono::milliseconds(4200 - now));
        EXPECT_EQ(TickWindow::ticks, c.expected);
    }
}

TEST_F(TimerTest, ALateHandlerDoesNotShiftLaterTicks)
{
    // Each handler takes 300 ms of (virtual) time.
    TickWindow::onTick = [this](TickWindow&) { Clock().Set(Clock().Now() + 300ms); };
    Timer().SetMode(fw::Timer::kModeMultiple);
    ui().Advance(5000ms);
    EXPECT_EQ(TickWindow::ticks, (std::vector<int64_t> { 1000, 2000, 3000, 4000, 5000 }));
}

TEST_F(TimerTest, TicksMissedDuringAStallArriveOneByOneInDueOrder)
{
    Timer().SetMode(fw::Timer::kModeMultiple);
    // The loop was blocked for 3.5 s: three ticks are overdue at once.
    Clock().Set(3500ms);
    int handlersSeen = 0;
    TickWindow::onTick = [&](TickWindow&) { ++handlersSeen; };
    fw::EventLoop::Main().FireDueTimers(Clock().Now());
    EXPECT_EQ(handlersSeen, 3) << "one event per missed tick";
    EXPECT_EQ(TickWindow::ticks.size(), 3u);

    TickWindow::ticks.clear();
    ui().Advance(1000ms);
    EXPECT_EQ(TickWindow::ticks, std::vector<int64_t> { 4000 }) << "the schedule is kept after the stall";
}

TEST_F(TimerTest, ATimerOfAClosedWindowNeverFiresAgain)
{
    Timer().SetMode(fw::Timer::kModeMultiple);
    ui().Advance(2000ms);
    ASSERT_EQ(TickWindow::ticks.size(), 2u);
    fw::Ref<fw::Timer> timer(Timer());

    // The window closes from the timer's own handler, mid-run.
    TickWindow::onTick = [](TickWindow& window) { window.Close(); };
    ui().Advance(1000ms);
    EXPECT_EQ(TickWindow::ticks.size(), 3u);
    EXPECT_TRUE(m_window->Controls().empty()) << "teardown ran after the handler";

    timer->SetMode(fw::Timer::kModeMultiple);
    ui().Advance(60000ms);
    EXPECT_EQ(TickWindow::ticks.size(), 3u);
    EXPECT_FALSE(timer->IsRunning());
}

TEST_F(TimerTest, SingleShotFiresOnceAndCanBeArmedAgainFromItsHandler)
{
    Timer().SetMode(fw::Timer::kModeSingle);
    ui().Advance(10000ms);
    EXPECT_EQ(TickWindow::ticks, std::vector<int64_t> { 1000 });
    EXPECT_EQ(Timer().Mode(), fw::Timer::kModeOff);

    TickWindow::ticks.clear();
    int rearms = 1;
    TickWindow::onTick = [&](TickWindow& window) {
        if (rearms-- > 0)
            window.Timer()->SetMode(fw::Timer::kModeSingle);
    };
    Timer().SetMode(fw::Timer::kModeSingle);
    ui().Advance(10000ms);
    EXPECT_EQ(TickWindow::ticks, (std::vector<int64_t> { 11000, 12000 }));
}

TEST_F(TimerTest, AStandaloneTimerRunsBesideAWindowsTimer)
{
    fw::Ref<fw::Timer> other = fw::Timer::Create();
    other->SetPeriod(700);
    other->SetMode(fw::Timer::kModeMultiple);
    Timer().SetMode(fw::Timer::kModeMultiple);
    // The standalone timer has no handler; its ticks show in its count.
    ui().Advance(2100ms);
    EXPECT_EQ(other->ActionCount(), 3);
    EXPECT_EQ(Timer().ActionCount(), 2);
    other->SetMode(fw::Timer::kModeOff);
}

}

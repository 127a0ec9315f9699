#include "QtTestWindow.h"

#include "app/Startup.h"
#include "framework/EventLoop.h"
#include "framework/Runtime.h"
#include "framework/Timer.h"

#include <QTimer>

#include <chrono>
#include <csignal>

namespace fw::qt::testing {

namespace {

using QtBackendTest = DesktopTest;

// Ends a Run that would otherwise never return, so that a fault fails the
// test instead of hanging it.
void GuardRun(QObject& context)
{
    QTimer::singleShot(5000, &context, [] {
        EventLoop::Main().Quit(99);
        QtBackend::Current()->LeaveIfQuitting();
    });
}

}

TEST_F(QtBackendTest, TimerTicksOnScheduleAndIdleArmsNothing)
{
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(100, 100, "Timer"), { MakeTimer("Timer1", 5) } });
    EXPECT_FALSE(backend().IsTimerArmed());
    auto timer = Cast<Timer>(window->ControlByName("Timer1"));
    auto start = std::chrono::steady_clock::now();
    timer->SetMode(Timer::kModeMultiple);
    EXPECT_TRUE(backend().IsTimerArmed());

    QObject guard;
    GuardRun(guard);
    backend().Run(EventLoop::Main());
    auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(EventLoop::Main().ExitStatus(), 0);
    EXPECT_EQ(TestWindow::Log(), (std::vector<std::string> { "Timer1.Action", "Timer1.Action", "Timer1.Action" }));
    // The third tick is due 15 ms after the start, never earlier.
    EXPECT_GE(elapsed, std::chrono::milliseconds(15));
    EXPECT_FALSE(backend().IsTimerArmed());
}

TEST_F(QtBackendTest, PostedQuitFromQtEndsTheRun)
{
    QObject guard;
    GuardRun(guard);
    QTimer::singleShot(0, &guard, [] { EventLoop::Main().Post([] { Quit(3); }); });
    backend().Run(EventLoop::Main());
    EXPECT_EQ(EventLoop::Main().ExitStatus(), 3);
}

TEST_F(QtBackendTest, TerminationSignalClosesTheWindowsThenQuits)
{
    RuntimeRegisterAppObject(TestApp::Create());
    for (int signalNumber : { SIGTERM, SIGINT }) {
        SCOPED_TRACE(signalNumber);
        TestWindow::Log().clear();
        EventLoop::Main().Reset();
        Ref<TestWindow> open = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), {} });
        open->Show();
        QObject guard;
        GuardRun(guard);
        EventLoop::Main().Post([signalNumber] { std::raise(signalNumber); });
        backend().Run(EventLoop::Main());
        EXPECT_TRUE(open->IsClosed());
        ASSERT_FALSE(TestWindow::Log().empty());
        EXPECT_EQ(TestWindow::Log().front(), "Close");
        EXPECT_EQ(EventLoop::Main().ExitStatus(), 0);
    }
}

// Every window shows the icon the program named; a program that names an
// icon it has not compiled in hears of it once, instead of showing none
// without a word.
TEST(QtBackendIconTest, TheIconTheProgramNamedOrAWordThatItIsMissing)
{
    struct Case {
        const char* name;
        std::string icon;
        bool shows;
        std::string said;
    };
    const Case cases[] = {
        { "compiled in", tockamo::Identity().iconResources, true, "" },
        { "named but not compiled in", ":/no-such-icon", false, "desktop-test: the icon :/no-such-icon has no pictures; the windows show none\n" },
        { "none named", "", false, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetProgramIdentity({ .name = "Desktop Test", .command = "desktop-test", .iconResources = c.icon });
        ::testing::internal::CaptureStderr();
        {
            QtBackend backend;
            QWidget window;
            EXPECT_EQ(ShowsCompiledIcon(window, tockamo::Identity().iconResources), c.shows);
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.said);
        SetProgramIdentity({});
    }
}

}

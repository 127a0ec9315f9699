#include "QtTestWindow.h"

#include "app/Startup.h"
#include "framework/EventLoop.h"
#include "framework/Runtime.h"
#include "framework/Timer.h"

#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

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

// What the test windows' handlers and the tests' tasks logged, written to
// stderr as the process ends, after the backend's exit hook has run.
void ReportLogAtExit()
{
    std::string ran;
    for (const std::string& entry : TestWindow::Log())
        ran += (ran.empty() ? "" : ", ") + entry;
    std::fprintf(stderr, "ran by the end: %s.\n", ran.empty() ? "nothing" : ran.c_str());
}

// Qt's X11 platform ends the process with exit(1) from inside the loop when
// the display goes away; the backend's exit hook then runs the quit action,
// so that the windows close (the main window saves) as with Quit. An exit at
// any other moment is not the display going away, and once the program is
// quitting nothing more of it runs in the ending process.
TEST_F(QtBackendTest, AnExitFromInsideTheRunningLoopRunsTheQuitAction)
{
    struct Case {
        const char* name;
        void (*exitWhen)();
        const char* ran;
    };
    const Case cases[] = {
        { "from inside the running loop, as when the display goes away",
            [] {
                QTimer::singleShot(0, [] { std::exit(1); });
                QtBackend::Current()->Run(EventLoop::Main());
            },
            "Close" },
        { "after a quit that ended the loop, once the runtime has reset it, as it does on its way out",
            [] {
                QTimer::singleShot(0, [] { Quit(0); });
                QtBackend::Current()->Run(EventLoop::Main());
                EventLoop::Main().Reset();
                std::exit(1);
            },
            "nothing" },
        { "from inside the loop once the quit action has run, a task it left still to run",
            [] {
                QTimer::singleShot(0, [] {
                    GetAppObject()->QuitAction();
                    EventLoop::Main().Post([] { TestWindow::Log().push_back("a task left"); });
                    std::exit(1);
                });
                QtBackend::Current()->Run(EventLoop::Main());
            },
            "Close" },
    };
    // A process of its own for each, in which the exit hook is set by the
    // first Run, after the report, so that the report comes after the hook.
    std::string previousStyle = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(
            {
                RuntimeRegisterAppObject(TestApp::Create());
                TestWindow::Log().clear();
                std::atexit(&ReportLogAtExit);
                Ref<TestWindow> open = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), {} });
                open->Show();
                c.exitWhen();
            },
            ::testing::ExitedWithCode(1), std::string("ran by the end: ") + c.ran + "\\.");
    }
    GTEST_FLAG_SET(death_test_style, previousStyle);
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

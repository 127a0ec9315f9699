#include "app/App.h"
#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/ClassRecord.h"
#include "framework/EventLoop.h"
#include "framework/Runtime.h"
#include "framework/Window.h"
#include "prefs/directiveClass.h"
#include "prefs/prefModule.h"
#include "tests/support/AppFixture.h"
#include "timer/Microwave.h"
#include "timer/Window1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace tockamo {
namespace {

using testing::AppTest;

// Collects what a fresh-process check finds wrong, on stderr.
struct Findings {
    int count = 0;
    void Check(bool ok, const std::string& what)
    {
        if (!ok) {
            std::fprintf(stderr, "wrong: %s\n", what.c_str());
            ++count;
        }
    }
};

std::string Join(const std::vector<std::string>& names)
{
    std::string joined;
    for (const auto& name : names)
        joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

class StartupTest : public AppTest { };

TEST_F(StartupTest, StaticInitialiserBuildsFrameworkThenProgramRecordsInOrder)
{
    ExpectInFreshProcess([this] {
        Findings findings;
        auto backend = std::make_unique<fw::HeadlessBackend>();
        fw::InstallBackend(std::move(backend));
        fw::RuntimeInit();
        initialize();

        const std::vector<std::string> program = { "App", "Window1.Window1", "Window1.Timer1", "Window2.Window2",
            "Window2.Timer1", "AboutBox.AboutBox", "directiveClass", "MenuBar1.MenuBar1" };
        std::vector<std::string> order = fw::ClassRecord::RegistrationOrder();
        auto firstProgram = std::find(order.begin(), order.end(), "App");
        findings.Check(firstProgram != order.end(), "App was not registered");
        // Every framework class comes first, then exactly the program's, in
        // its order, MenuBar1 last of all.
        std::vector<std::string> framework(order.begin(), firstProgram);
        std::vector<std::string> rest(firstProgram, order.end());
        findings.Check(rest == program, "program records in the order " + Join(rest));
        for (const char* name : { "Object", "Window", "MenuBar", "Application", "Timer", "UpDownArrows" })
            findings.Check(std::find(framework.begin(), framework.end(), name) != framework.end(),
                std::string(name) + " was not registered before the program's classes");

        // gDirectives is the one object the initialiser makes; nothing else
        // of the program exists yet.
        findings.Check(prefModule::gDirectives.Exists() && prefModule::gDirectives.UBound() == 0, "gDirectives is not one empty element");
        findings.Check(prefModule::gDirectives.Exists() && !prefModule::gDirectives.At(0), "gDirectives(0) is filled");
        findings.Check(MenuBar1::implicitInstance.IsNil(), "the menu bar was made during initialisation");
        findings.Check(fw::WindowSupport::Windows().empty(), "a window was made during initialisation");
        findings.Check(!fw::GetAppObject(), "the application object was made during initialisation");

        finalize();
        fw::RuntimeExit();
        return findings.count;
    });
}

TEST_F(StartupTest, EarlyStartupRegistersTheApplicationAndItsAboutCommandBeforeAnyWindow)
{
    fw::InstallBackend(std::make_unique<fw::HeadlessBackend>());
    fw::RuntimeInit();
    initialize();
    EarlyStartup();

    fw::RefPtr<class App> app = App();
    ASSERT_TRUE(app);
    EXPECT_EQ(app.Get(), fw::GetAppObject().Get());
    EXPECT_TRUE(app->HasMenuHandler("FileAboutBox"));
    EXPECT_FALSE(app->HasMenuHandler("FileQuit"));
    EXPECT_TRUE(fw::PluginEntrypointsReady());
    // The preferences are read only by the Open event, which has not come.
    EXPECT_TRUE(fw::WindowSupport::Windows().empty());
    EXPECT_EQ(prefModule::gDirectives.UBound(), 0);
    app = nullptr;

    finalize();
    EXPECT_EQ(fw::RuntimeExit(), 0);
}

TEST_F(StartupTest, AboutCommandIsAnsweredTrueAndOpensOneModelessAboutBox)
{
    std::vector<bool> answers;
    int aboutWindows = -1;
    bool mainStillShown = false;
    RunProgram([&](fw::HeadlessBackend& ui) {
        fw::RefPtr<class App> app = App();
        ASSERT_TRUE(app);
        answers.push_back(app->HandleMenuCommand("FileAboutBox"));
        EXPECT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        answers.push_back(app->HandleMenuCommand("FileAboutBox"));
        aboutWindows = 0;
        for (const auto& window : fw::WindowSupport::Windows()) {
            if (window->Class().Name() == "AboutBox.AboutBox") {
                ++aboutWindows;
                EXPECT_TRUE(window->IsShown());
            }
        }
        mainStillShown = Window1()->IsShown();
    });
    EXPECT_EQ(answers, (std::vector<bool> { true, true }));
    EXPECT_EQ(aboutWindows, 1);
    EXPECT_TRUE(mainStillShown);
}

TEST_F(StartupTest, OpenLoadsThePreferencesBeforeTheMainWindowExists)
{
    WritePrefs("#Window1Position 210,330\n#MySetMin 45\n");
    int32_t top = 0, left = 0;
    std::string minutes;
    bool shown = false;
    RunProgram([&](fw::HeadlessBackend&) {
        fw::RefPtr<class Window1> window = Window1();
        top = window->Top();
        left = window->Left();
        minutes = window->SetMin()->Text();
        shown = window->IsShown();
    });
    EXPECT_EQ(top, 210);
    EXPECT_EQ(left, 330);
    EXPECT_EQ(minutes, "45");
    EXPECT_TRUE(shown);
}

TEST_F(StartupTest, ExitStatusIsTheRuntimesWhicheverWayTheRunEnds)
{
    struct Case {
        const char* name;
        Script script;
        int32_t status;
        int reports; // unhandled-exception lines expected on stderr
    };
    const Case cases[] = {
        { "Quit from the menu", [](fw::HeadlessBackend& ui) { ui.ChooseMenuItem("FileQuit"); }, 0, 0 },
        { "a handler quits with 3", [](fw::HeadlessBackend&) { fw::EventLoop::Main().Dispatch([] { fw::Quit(3); }); }, 3, 0 },
        { "a handler raises", [](fw::HeadlessBackend&) { fw::EventLoop::Main().Dispatch([] { throw fw::NilObjectException("lost"); }); }, 1, 1 },
        { "the session ends", {}, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::testing::internal::CaptureStderr();
        int32_t status = RunProgram(c.script);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, c.status);
        int reports = 0;
        for (size_t at = err.find("unhandled"); at != std::string::npos; at = err.find("unhandled", at + 1))
            ++reports;
        EXPECT_EQ(reports, c.reports) << err;
        // Finalised whichever way: nothing of the run is left behind.
        EXPECT_FALSE(prefModule::gDirectives.Exists());
        EXPECT_TRUE(MenuBar1::implicitInstance.IsNil());
        EXPECT_TRUE(x_Microwave::permaSound.IsNil());
        EXPECT_TRUE(fw::WindowSupport::Windows().empty());
    }
}

TEST_F(StartupTest, ExceptionInEarlyStartupIsReportedOnceAndSkipsTheLoopButNotTheFinalisers)
{
    ExpectInFreshProcess([this] {
        Findings findings;
        // An "App" record without operations stands in the way of the real
        // one, so running the new object's Constructor through its class
        // raises during early start-up, as a broken framework would.
        fw::ClassRecord::Build("App", nullptr, [](fw::ClassRecord::Builder&) { });

        std::string errPath = (Scratch() / "stderr.txt").string();
        std::fflush(stderr);
        int savedErr = ::dup(2);
        std::FILE* errFile = std::fopen(errPath.c_str(), "w");
        ::dup2(::fileno(errFile), 2);

        bool loopRan = false;
        int32_t status = RunProgram([&](fw::HeadlessBackend&) { loopRan = true; });

        std::fflush(stderr);
        ::dup2(savedErr, 2);
        std::fclose(errFile);
        std::ifstream in(errPath);
        std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

        int reports = 0;
        for (size_t at = err.find("unhandled"); at != std::string::npos; at = err.find("unhandled", at + 1))
            ++reports;
        findings.Check(reports == 1, "reported " + std::to_string(reports) + " times: " + err);
        findings.Check(err.find("TypeMismatchException") != std::string::npos, "the report names another exception: " + err);
        findings.Check(!loopRan, "the event loop ran");
        findings.Check(ui().LiveWindows().empty() && fw::WindowSupport::Windows().empty(), "a window was made");
        findings.Check(status == 1, "exit status " + std::to_string(status));
        findings.Check(!prefModule::gDirectives.Exists(), "gDirectives was not finalised");
        findings.Check(MenuBar1::implicitInstance.IsNil(), "the menu bar was not finalised");
        findings.Check(!std::filesystem::exists(PrefsFile()), "the preferences were written");
        return findings.count;
    });
}

// Stand-ins placed where the finalisers release them; each notes, as it is
// released, which of the other finalisers have already run.
struct FinaliserLog {
    bool directiveReleased = false;
    bool soundGoneBeforeDirectives = false;
    bool windowsGoneBeforeDirectives = false;
    bool menuBarKeptPastDirectives = false;
    bool menuItemReleased = false;
    bool directivesGoneBeforeMenuBar = false;
    bool menuBarGlobalNilBeforeItsRelease = false;
};

class WitnessDirective : public directiveClass {
public:
    static fw::Ref<WitnessDirective> Create(FinaliserLog& log) { return fw::Adopt(*new WitnessDirective(log)); }
    ~WitnessDirective() override
    {
        m_log.directiveReleased = true;
        m_log.soundGoneBeforeDirectives = x_Microwave::permaSound.IsNil();
        m_log.windowsGoneBeforeDirectives = fw::WindowSupport::Windows().empty();
        m_log.menuBarKeptPastDirectives = !MenuBar1::implicitInstance.IsNil();
    }

private:
    explicit WitnessDirective(FinaliserLog& log)
        : m_log(log)
    {
    }
    FinaliserLog& m_log;
};

class WitnessItem : public fw::MenuItem {
public:
    static fw::Ref<WitnessItem> Create(FinaliserLog& log) { return fw::Adopt(*new WitnessItem(log)); }
    ~WitnessItem() override
    {
        m_log.menuItemReleased = true;
        m_log.directivesGoneBeforeMenuBar = !prefModule::gDirectives.Exists();
        m_log.menuBarGlobalNilBeforeItsRelease = MenuBar1::implicitInstance.IsNil();
    }

private:
    explicit WitnessItem(FinaliserLog& log)
        : m_log(log)
    {
    }
    FinaliserLog& m_log;
};

TEST_F(StartupTest, FinalisersReleaseSoundFrameworkGlobalsDirectivesThenMenuBar)
{
    FinaliserLog log;
    bool soundLoaded = false;
    // The session ends with the main window still open, so the framework's
    // window list has something to release.
    RunProgram([&](fw::HeadlessBackend&) {
        soundLoaded = static_cast<bool>(Microwave());
        prefModule::gDirectives.Append(WitnessDirective::Create(log));
        MenuBar1()->Append(WitnessItem::Create(log));
        EXPECT_FALSE(fw::WindowSupport::Windows().empty());
    });
    EXPECT_TRUE(soundLoaded);
    ASSERT_TRUE(log.directiveReleased);
    EXPECT_TRUE(log.soundGoneBeforeDirectives);
    EXPECT_TRUE(log.windowsGoneBeforeDirectives);
    EXPECT_TRUE(log.menuBarKeptPastDirectives);
    ASSERT_TRUE(log.menuItemReleased);
    EXPECT_TRUE(log.directivesGoneBeforeMenuBar);
    EXPECT_TRUE(log.menuBarGlobalNilBeforeItsRelease);
}

TEST_F(StartupTest, EveryWayOfQuittingSavesThroughTheMainWindowsClose)
{
    struct Case {
        const char* name;
        std::function<bool(fw::HeadlessBackend&, fw::Window&)> quit;
    };
    const Case cases[] = {
        { "&Quit in the File menu", [](fw::HeadlessBackend& ui, fw::Window&) { return ui.ChooseMenuItem("FileQuit"); } },
        { "the window manager's close", [](fw::HeadlessBackend& ui, fw::Window& w) { return ui.CloseWindow(w); } },
        { "SIGTERM", [](fw::HeadlessBackend& ui, fw::Window&) { ui.Terminate(); return true; } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(PrefsFile());
        bool quitReached = false;
        int32_t status = RunProgram([&](fw::HeadlessBackend& ui) {
            fw::Ref<class Window1> window = Window1().ToRef();
            ui.MoveWindow(*window, 40, 60);
            ui.ClickUp(*window, "UpDownArrows1");
            quitReached = c.quit(ui, *window);
        });
        EXPECT_TRUE(quitReached);
        EXPECT_EQ(status, 0);
        // No file at the start means 30 minutes; one click up makes 31.
        EXPECT_EQ(ReadPrefs(), "#Window1Position 40,60\n#MySetMin 31\n");
    }
}

TEST_F(StartupTest, ASecondRunInTheSameProcessStartsFromScratch)
{
    WritePrefs("#MySetMin 45\n");
    bool firstSound = false;
    RunProgram([&](fw::HeadlessBackend&) { firstSound = static_cast<bool>(Microwave()); });
    EXPECT_EQ(prefModule::MySetMin, 45);

    WritePrefs("#Window1Position 5,6\n");
    std::string minutes;
    bool secondSound = false;
    RunProgram([&](fw::HeadlessBackend&) {
        minutes = Window1()->SetMin()->Text();
        secondSound = static_cast<bool>(Microwave());
    });
    EXPECT_TRUE(firstSound);
    EXPECT_TRUE(secondSound);
    EXPECT_EQ(prefModule::MySetMin, 0);
    EXPECT_EQ(prefModule::Window1Top, 5);
    EXPECT_EQ(minutes, "0");
}

}
}

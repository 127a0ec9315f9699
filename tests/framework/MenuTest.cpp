#include "tests/support/HeadlessFixture.h"

#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "framework/MenuItem.h"
#include "framework/Runtime.h"
#include "framework/Window.h"

#include <set>
#include <string>
#include <vector>

namespace {

// A menu bar class that builds its tree in its own Constructor, reached by
// name through the class record, the way the program's menu bar does.
class FileMenuBar : public fw::MenuBar {
public:
    static fw::Ref<FileMenuBar> Create() { return fw::Adopt(*new FileMenuBar); }
    static const fw::ClassRecord& Lookup();
    const fw::ClassRecord& Class() const override { return Lookup(); }

    void Build()
    {
        auto item = [](fw::Ref<fw::MenuItem> made, const char* name, const char* text, const char* shortcut) {
            made->Class().Operation("Constructor").Invoke(*made);
            made->SetName(name);
            made->SetText(text);
            made->SetKeyboardShortcut(shortcut);
            return made;
        };
        Append(item(fw::MenuItem::Create(), "FileMenu", "&File", ""));
        Child("FileMenu")->Append(item(fw::ApplicationMenuItem::Create(), "FileAboutBox", "About Box", ""));
        Child("FileMenu")->Append(item(fw::QuitMenuItem::Create(), "FileQuit", "&Quit", "Cmd+Q"));
    }

private:
    FileMenuBar() = default;
};

const fw::ClassRecord& FileMenuBar::Lookup()
{
    static const fw::ClassRecord& record = fw::ClassRecord::Build("MenuTest.FileMenuBar", &fw::MenuBar::Lookup(), [](fw::ClassRecord::Builder& builder) {
        builder.Creatable<FileMenuBar>();
        builder.Method("Constructor", "%%", &FileMenuBar::Build);
    });
    return record;
}

fw::Ref<fw::MenuBar> MakeMenuBar()
{
    fw::Ref<fw::Object> bar = FileMenuBar::Lookup().New();
    bar->Class().Operation("Constructor").Invoke(*bar);
    return fw::Cast<fw::MenuBar>(bar).ToRef();
}

// Windows that log their Close; the ones named in `quitters` quit there, as
// the program's main window does.
class LoggingWindow : public fw::Window {
public:
    static inline std::vector<std::string> closes;
    static inline std::set<std::string> quitters;

    static fw::Ref<LoggingWindow> Create() { return fw::Adopt(*new LoggingWindow); }
    static const fw::ClassRecord& Lookup();
    const fw::ClassRecord& Class() const override { return Lookup(); }

    void Event_Close()
    {
        closes.push_back(Title());
        if (quitters.contains(Title()))
            fw::Quit(0);
    }

private:
    LoggingWindow() = default;
};

const fw::ClassRecord& LoggingWindow::Lookup()
{
    static const fw::ClassRecord& record = fw::ClassRecord::Build("MenuTest.LoggingWindow", &fw::Window::Lookup(), [](fw::ClassRecord::Builder& builder) {
        builder.Creatable<LoggingWindow>();
        builder.Method("Event_Close", "%%", &LoggingWindow::Event_Close);
        builder.Event(fw::Window::kEventClose, "Close", "Event_Close");
    });
    return record;
}

class TestApp : public fw::Application {
public:
    static fw::Ref<TestApp> Create() { return fw::Adopt(*new TestApp); }
    static const fw::ClassRecord& Lookup()
    {
        static const fw::ClassRecord& record = fw::ClassRecord::Build("MenuTest.App", &fw::Application::Lookup(), [](fw::ClassRecord::Builder& builder) {
            builder.Creatable<TestApp>();
        });
        return record;
    }
    const fw::ClassRecord& Class() const override { return Lookup(); }

private:
    TestApp() = default;
};

class MenuTest : public fw::testing::HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        LoggingWindow::closes.clear();
        LoggingWindow::quitters.clear();
    }

    fw::Ref<LoggingWindow> Open(const std::string& title, fw::RefPtr<fw::MenuBar> bar = nullptr)
    {
        fw::Ref<LoggingWindow> window = LoggingWindow::Create();
        window->SetTitle(title);
        window->SetMenuBar(bar);
        window->Constructor();
        window->Show();
        return window;
    }
};

TEST_F(MenuTest, TheTreeIsFoundByChildAndByLookupBelowTheBar)
{
    fw::Ref<fw::MenuBar> bar = MakeMenuBar();

    ASSERT_EQ(bar->Children().size(), 1u);
    fw::RefPtr<fw::MenuItem> file = bar->Child("FileMenu");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->Children().size(), 2u);
    EXPECT_EQ(file->Children()[0]->Name(), "FileAboutBox");
    EXPECT_EQ(file->Children()[1]->Name(), "FileQuit");

    struct Case {
        const char* name;
        fw::RefPtr<fw::MenuItem> found;
        const char* expectedText; // nullptr: nil
    };
    const Case cases[] = {
        { "Child finds a direct child", bar->Child("FileMenu"), "&File" },
        { "Child does not look deeper", bar->Child("FileQuit"), nullptr },
        { "_Lookup looks deeper", bar->FindItem("FileQuit"), "&Quit" },
        { "_Lookup of an unknown name", bar->FindItem("EditMenu"), nullptr },
        { "_Lookup through the record", fw::Cast<fw::MenuItem>(std::get<fw::RefPtr<fw::Object>>(bar->Class().Operation("_Lookup").Invoke(*bar, { std::string("FileAboutBox") }))), "About Box" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.expectedText) {
            EXPECT_FALSE(c.found);
            continue;
        }
        ASSERT_TRUE(c.found);
        EXPECT_EQ(c.found->Text(), c.expectedText);
    }

    EXPECT_TRUE(fw::Cast<fw::QuitMenuItem>(bar->FindItem("FileQuit")));
    EXPECT_TRUE(fw::Cast<fw::ApplicationMenuItem>(bar->FindItem("FileAboutBox")));
    EXPECT_THROW(fw::Cast<fw::QuitMenuItem>(bar->FindItem("FileAboutBox")), fw::TypeMismatchException);
    EXPECT_EQ(bar->FindItem("FileQuit")->KeyboardShortcut(), "Cmd+Q");

    EXPECT_THROW(file->Append(fw::Ref<fw::MenuItem>(*bar)), fw::RuntimeException) << "a menu cannot hold its own ancestor";
}

TEST_F(MenuTest, QuitClosesWindowsFrontToBackUntilOneQuits)
{
    struct Case {
        const char* name;
        std::set<std::string> quitters;
        std::vector<std::string> expectedCloses;
    };
    const Case cases[] = {
        { "the main window at the back quits", { "Main" }, { "About", "Alarm", "Main" } },
        { "no window quits: the framework quits", {}, { "About", "Alarm", "Main" } },
        { "the front window quits: the rest stay", { "About" }, { "About" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::RuntimeInit();
        LoggingWindow::closes.clear();
        LoggingWindow::quitters = c.quitters;
        fw::RuntimeRegisterAppObject(TestApp::Create());
        Open("Main", MakeMenuBar());
        Open("Alarm");
        Open("About");

        EXPECT_TRUE(ui().ChooseMenuItem("FileQuit"));

        EXPECT_EQ(LoggingWindow::closes, c.expectedCloses);
        EXPECT_TRUE(fw::EventLoop::Main().IsQuitting());
        EXPECT_EQ(fw::RuntimeExit(), 0);
    }
}

TEST_F(MenuTest, APlainItemGoesToTheApplicationsHandlerOfItsName)
{
    Open("Main", MakeMenuBar());
    EXPECT_FALSE(ui().ChooseMenuItem("FileAboutBox")) << "no application object: not handled";

    fw::Ref<TestApp> app = TestApp::Create();
    fw::RuntimeRegisterAppObject(app);
    int calls = 0;
    app->AddMenuHandler("FileAboutBox", [&](const std::vector<fw::Variant>&) -> fw::Variant {
        ++calls;
        return true;
    });
    EXPECT_TRUE(ui().ChooseMenuItem("FileAboutBox"));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(ui().ChooseMenuItem("NoSuchItem"));

    fw::GetImplicitWindow("MenuTest.LoggingWindow")->GetMenuBar()->FindItem("FileAboutBox")->SetEnabled(false);
    EXPECT_FALSE(ui().ChooseMenuItem("FileAboutBox")) << "a disabled item cannot be chosen";
    EXPECT_EQ(calls, 1);
}

}

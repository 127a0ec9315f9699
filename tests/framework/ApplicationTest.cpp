#include "tests/support/HeadlessFixture.h"

#include "framework/Application.h"
#include "framework/Delegate.h"
#include "framework/EventLoop.h"
#include "framework/FolderItem.h"
#include "framework/Runtime.h"
#include "framework/UpDownArrows.h"

#include <filesystem>
#include <thread>
#include <vector>

namespace {

class OpeningApp : public fw::Application {
public:
    static inline std::vector<std::string> log;

    static fw::Ref<OpeningApp> Create() { return fw::Adopt(*new OpeningApp); }
    static const fw::ClassRecord& Lookup()
    {
        static const fw::ClassRecord& record = fw::ClassRecord::Build("ApplicationTest.App", &fw::Application::Lookup(), [](fw::ClassRecord::Builder& builder) {
            builder.Creatable<OpeningApp>();
            builder.Method("Event_Open", "%%", &OpeningApp::Event_Open);
            builder.Event(fw::Application::kEventOpen, "Open", "Event_Open");
        });
        return record;
    }
    const fw::ClassRecord& Class() const override { return Lookup(); }

    void Event_Open() { log.push_back("Open"); }

private:
    OpeningApp() = default;
};

class ApplicationTest : public fw::testing::HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        OpeningApp::log.clear();
        m_app = OpeningApp::Create();
        fw::RuntimeRegisterAppObject(m_app.ToRef());
    }
    void TearDown() override
    {
        fw::SetExecutablePath("");
        fw::SetProgramIdentity({});
        HeadlessTest::TearDown();
    }

    fw::RefPtr<OpeningApp> m_app;
};

fw::CallableEntry Returning(fw::Variant result, int& calls)
{
    return [result, &calls](const std::vector<fw::Variant>&) {
        ++calls;
        return result;
    };
}

TEST_F(ApplicationTest, MenuCommandsReturnWhatTheirHandlerReturns)
{
    struct Case {
        const char* name;
        bool registered;
        fw::Variant result;
        bool expected;
    };
    const Case cases[] = {
        { "handled", true, true, true },
        { "not handled", true, false, false },
        { "no Boolean result", true, std::monostate {}, false },
        { "no handler", false, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::Ref<OpeningApp> app = OpeningApp::Create();
        int calls = 0;
        if (c.registered)
            app->AddMenuHandler("FileAboutBox", Returning(c.result, calls));
        EXPECT_EQ(app->HandleMenuCommand("FileAboutBox"), c.expected);
        EXPECT_EQ(calls, c.registered ? 1 : 0);
    }
}

TEST_F(ApplicationTest, MenuHandlersAreRegisteredThroughTheRecordWithADelegate)
{
    int calls = 0;
    fw::Ref<fw::Delegate> handler = fw::Delegate::ForRoutine("(  ) as Boolean", Returning(true, calls));
    m_app->Class().Operation("_AddMenuHandler").Invoke(*m_app, { std::string("FileAboutBox"), fw::RefPtr<fw::Object>(handler) });

    fw::Variant handled = m_app->Class().Operation("_HandleMenuCommand").Invoke(*m_app, { std::string("FileAboutBox") });
    EXPECT_EQ(std::get<bool>(handled), true);
    EXPECT_EQ(calls, 1);
}

TEST_F(ApplicationTest, RegisteringAMenuHandlerOffTheMainThreadRaises)
{
    bool raised = false;
    std::thread worker([&] {
        try {
            m_app->AddMenuHandler("FileAboutBox", [](const std::vector<fw::Variant>&) -> fw::Variant { return true; });
        } catch (const fw::ThreadAccessingUIException&) {
            raised = true;
        }
    });
    worker.join();
    EXPECT_TRUE(raised);
    EXPECT_FALSE(m_app->HasMenuHandler("FileAboutBox"));
    EXPECT_FALSE(m_app->HandleMenuCommand("FileAboutBox"));
}

TEST_F(ApplicationTest, OpenComesBeforeTheLoopDeliversInput)
{
    ui().SetScript([](fw::HeadlessBackend&) { OpeningApp::log.push_back("input"); });
    fw::RuntimeRun();
    EXPECT_EQ(OpeningApp::log, (std::vector<std::string> { "Open", "input" }));
}

TEST_F(ApplicationTest, RecordListsTheApplicationOperationsInTheFrameworksOrder)
{
    const std::vector<std::string> expected {
        "AddTrayItem", "DoEvents", "NewDocument", "OpenDocument", "RemoveTrayItem", "SleepCurrentThread",
        "YieldToNextThread", "_AddMenuHandler", "_AddPollableObject", "_CallOpen", "_DoSingleEvent",
        "_EnableMenuItems", "_HandleMenuCommand", "_LoadBundleSound", "_LoadPictureFromBundle",
        "_RemovePollableObject", "__DependencyList",
    };
    EXPECT_EQ(fw::Application::Lookup().Slots(), expected);
    EXPECT_THROW(m_app->Class().Operation("AddTrayItem").Invoke(*m_app, { fw::RefPtr<fw::Object>() }), fw::RuntimeException);
}

TEST_F(ApplicationTest, VersionAndResourcesAreThoseTheProgramNamed)
{
    fw::SetProgramIdentity({ .name = "Egg Timer", .command = "eggtimer", .resourcesFolder = "eggtimer", .longVersion = "2.5.1" });
    EXPECT_EQ(m_app->LongVersion(), "2.5.1");

    // Its resources sit in share/ beside the executable's folder.
    fw::SetExecutablePath("/opt/eggtimer/bin/eggtimer");
    ASSERT_TRUE(fw::GetApplicationBundleResources());
    EXPECT_EQ(fw::GetApplicationBundleResources()->NativePath(), "/opt/eggtimer/share/eggtimer");

    fw::SetExecutablePath("eggtimer");
    EXPECT_FALSE(fw::GetApplicationBundleResources()) << "a relative path tells nothing";

    fw::SetExecutablePath("");
    fw::RefPtr<fw::FolderItem> resources = fw::GetApplicationBundleResources();
    ASSERT_TRUE(resources);
    EXPECT_EQ(resources->NativePath(), std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "share" / "eggtimer");

    fw::SetProgramIdentity({});
    EXPECT_FALSE(fw::GetApplicationBundleResources()) << "a program that named no folder has none";
}

TEST_F(ApplicationTest, TheExceptionHelperHandsBackWhatEscaped)
{
    fw::RuntimeSetExceptionHelper(&fw::CallFunctionWithExceptionHandling);
    ASSERT_TRUE(fw::GetExceptionHelper());

    fw::Variant seen;
    fw::Ref<fw::Delegate> quiet = fw::Delegate::ForRoutine("( Ptr )", [&](const std::vector<fw::Variant>& args) -> fw::Variant {
        seen = args.at(0);
        return std::monostate {};
    });
    fw::Variant none = fw::GetExceptionHelper()({ fw::RefPtr<fw::Object>(quiet), int32_t(42) });
    EXPECT_EQ(std::get<int32_t>(seen), 42);
    EXPECT_FALSE(std::get<fw::RefPtr<fw::Object>>(none));

    fw::Ref<fw::Delegate> failing = fw::Delegate::ForRoutine("( Ptr )", [](const std::vector<fw::Variant>&) -> fw::Variant {
        throw fw::NilObjectException("nothing there");
    });
    fw::Variant escaped = fw::GetExceptionHelper()({ fw::RefPtr<fw::Object>(failing), int32_t(0) });
    EXPECT_EQ(std::get<std::string>(escaped), "NilObjectException: nothing there");
}

TEST_F(ApplicationTest, PlugInControlsNeedTheirEntryPoints)
{
    EXPECT_THROW(fw::UpDownArrows::Create(), fw::RuntimeException);
    fw::InitPluginEntrypoints();
    EXPECT_NO_THROW(fw::UpDownArrows::Create());
    EXPECT_NO_THROW(fw::UpDownArrows::Lookup().New()) << "the class record's factory makes one too";
}

TEST_F(ApplicationTest, ShowURLHandsTheAddressToTheDesktop)
{
    fw::ShowURL("mailto:someone@example.org");
    EXPECT_EQ(ui().URLsOpened(), std::vector<std::string> { "mailto:someone@example.org" });
}

}

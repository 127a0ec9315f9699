#include "tests/support/HeadlessFixture.h"

#include "framework/EventLoop.h"
#include "framework/Runtime.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace {

class EventLoopTest : public fw::testing::HeadlessTest { };

TEST_F(EventLoopTest, AnExceptionEscapingAHandlerIsReportedAndEndsTheApplication)
{
    struct Case {
        const char* name;
        std::function<void()> handler;
        std::string expectedLine;
    };
    const Case cases[] = {
        { "nil object", [] { throw fw::NilObjectException("SetMin is nil"); }, "Egg Timer: unhandled NilObjectException: SetMin is nil\n" },
        { "nil object without a message", [] { fw::RefPtr<fw::Object> nothing; nothing->Class(); }, "Egg Timer: unhandled NilObjectException\n" },
        { "framework exception", [] { throw fw::ThreadAccessingUIException("off the main thread"); }, "Egg Timer: unhandled ThreadAccessingUIException: off the main thread\n" },
        { "plain C++ exception", [] { throw std::out_of_range("index 3"); }, "Egg Timer: unhandled std::out_of_range: index 3\n" },
    };
    // The report names the program as the program named itself.
    fw::SetProgramIdentity({ .name = "Egg Timer" });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::RuntimeInit();
        fw::EventLoop& loop = fw::EventLoop::Main();

        ::testing::internal::CaptureStderr();
        loop.Dispatch(c.handler);
        std::string reported = ::testing::internal::GetCapturedStderr();

        EXPECT_EQ(reported, c.expectedLine);
        EXPECT_TRUE(loop.IsQuitting());
        EXPECT_EQ(fw::RuntimeExit(), 1);
    }
    fw::SetProgramIdentity({});
}

TEST_F(EventLoopTest, PostedTasksRunAfterTheHandlerInOrder)
{
    fw::EventLoop& loop = fw::EventLoop::Main();
    std::vector<std::string> order;
    loop.Dispatch([&] {
        loop.Post([&] {
            order.push_back("first task");
            loop.Post([&] { order.push_back("task posted by a task"); });
        });
        loop.Post([&] { order.push_back("second task"); });
        order.push_back("handler");
    });
    EXPECT_EQ(order, std::vector<std::string> { "handler" });
    loop.RunPending();
    EXPECT_EQ(order, (std::vector<std::string> { "handler", "first task", "second task", "task posted by a task" }));
}

TEST_F(EventLoopTest, QuitKeepsAFailureStatus)
{
    struct Case {
        const char* name;
        std::vector<int32_t> requests;
        int32_t expected;
    };
    const Case cases[] = {
        { "none", {}, 0 },
        { "success", { 0 }, 0 },
        { "failure", { 1 }, 1 },
        { "success after failure", { 1, 0 }, 1 },
        { "failure after success", { 0, 1 }, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::RuntimeInit();
        for (int32_t status : c.requests)
            fw::Quit(status);
        EXPECT_EQ(fw::EventLoop::Main().IsQuitting(), !c.requests.empty());
        EXPECT_EQ(fw::RuntimeExit(), c.expected);
        EXPECT_FALSE(fw::EventLoop::Main().IsQuitting()) << "RuntimeExit leaves a fresh loop";
    }
}

TEST_F(EventLoopTest, RunReturnsAtOnceWhenQuittingAndAfterTheScriptOtherwise)
{
    int scriptRuns = 0;
    ui().SetScript([&](fw::HeadlessBackend&) { ++scriptRuns; });
    fw::RuntimeRun();
    EXPECT_EQ(scriptRuns, 1);

    fw::Quit(0);
    fw::RuntimeRun();
    EXPECT_EQ(scriptRuns, 1);
}

}

#include "tests/failure/ConfigHome.h"
#include "tests/support/HeadlessFixture.h"

#include "app/Startup.h"
#include "timer/Window1.h"
#include "timer/Window2.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#include <ostream>

namespace tockamo::testing {
namespace {

// SIGTERM (a logout, a shutdown, `kill`) is the framework's quit action: the
// main window closes as if the user closed it, so the position and the
// minutes are saved and the program exits with status 0 whatever it was
// doing.
struct TermCase {
    const char* name;
    void (*act)(fw::HeadlessBackend&, class Window1&);
};

const TermCase kTermCases[] = {
    { "WhileCounting", [](fw::HeadlessBackend& ui, class Window1& w) {
         ui.Press(w, "MyStart");
         ui.Advance(std::chrono::seconds(20));
     } },
    { "WhilePaused", [](fw::HeadlessBackend& ui, class Window1& w) {
         ui.Press(w, "MyStart");
         ui.Advance(std::chrono::seconds(5));
         ui.Press(w, "MyPause");
     } },
    { "WithTimesUpOpen", [](fw::HeadlessBackend& ui, class Window1& w) {
         ui.Press(w, "MyStart");
         ui.Advance(std::chrono::minutes(3) + std::chrono::seconds(15));
         EXPECT_TRUE(Window2()->IsOpen());
     } },
};

void PrintTo(const TermCase& c, std::ostream* os)
{
    *os << c.name;
}

class SigtermHeadless : public fw::testing::HeadlessTest, public ::testing::WithParamInterface<TermCase> { };

TEST_P(SigtermHeadless, SavesPositionAndMinutesAndExitsWithZero)
{
    ConfigHome home;
    home.WritePrefs("#Window1Position 70,80\n#MySetMin 3\n");
    ui().SetScript([&](fw::HeadlessBackend& ui) {
        fw::RefPtr<class Window1> window = Window1();
        ui.MoveWindow(*window, 90, 110);
        GetParam().act(ui, *window);
        // Minutes changed during the count are what the next Start uses, so
        // they are what must survive.
        ui.ClickUp(*window, "UpDownArrows1");
        ui.Terminate();
    });
    EXPECT_EQ(main(), 0);
    EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>("#Window1Position 90,110\n#MySetMin 4\n"));
}

INSTANTIATE_TEST_SUITE_P(Terminate, SigtermHeadless, ::testing::ValuesIn(kTermCases),
    [](const ::testing::TestParamInfo<TermCase>& info) { return std::string(info.param.name); });

#ifdef TOCKAMO_PROGRAM_PATH

// True once the process catches or blocks SIGTERM, i.e. its handler is in
// place and the signal will not simply kill it.
bool HandlesSigterm(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const unsigned long long bit = 1ULL << (SIGTERM - 1);
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0 || line.rfind("SigBlk:", 0) == 0) {
            if (std::stoull(line.substr(7), nullptr, 16) & bit)
                return true;
        }
    }
    return false;
}

TEST(SigtermProgram, TheRealProgramSavesAndExitsWithZero)
{
    if (::access(TOCKAMO_PROGRAM_PATH, X_OK) != 0)
        GTEST_SKIP() << TOCKAMO_PROGRAM_PATH << " was not built";
    ConfigHome home;
    // Written in a form the program never writes, so a rewrite shows.
    home.WritePrefs("' before\n#mysetmin 17\n#Window1Position 33,44\n");

    // The program has read its settings (and so has made its main window in
    // the same handler) once the file is closed after reading.
    int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, home.Folder().c_str(), IN_CLOSE_NOWRITE), 0);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::execl(TOCKAMO_PROGRAM_PATH, TOCKAMO_PROGRAM_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // A program left running by a failed check would hold the test's output
    // open and hang the suite instead of failing it.
    struct Reaper {
        pid_t pid;
        ~Reaper()
        {
            if (pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    } reaper { child };

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    bool read = false;
    bool exited = false;
    int status = 0;
    while (!(read && HandlesSigterm(child)) && std::chrono::steady_clock::now() < deadline) {
        pollfd p { watch, POLLIN, 0 };
        if (::poll(&p, 1, 20) > 0) {
            alignas(inotify_event) char buffer[4096];
            ssize_t n = ::read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                auto* event = reinterpret_cast<inotify_event*>(buffer + at);
                if (event->len && std::string(event->name) == "tockamo.txt")
                    read = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (::waitpid(child, &status, WNOHANG) == child) {
            exited = true;
            reaper.pid = -1;
            break;
        }
    }
    ::close(watch);
    ASSERT_FALSE(exited) << "the program ended on its own, status " << status;
    ASSERT_TRUE(read && HandlesSigterm(child)) << "the program did not get ready in time";

    ::kill(child, SIGTERM);
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (::waitpid(child, &status, WNOHANG) != child) {
        if (std::chrono::steady_clock::now() > deadline)
            FAIL() << "the program did not end after SIGTERM";
        ::poll(nullptr, 0, 10);
    }
    reaper.pid = -1;
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>("#Window1Position 33,44\n#MySetMin 17\n"));
}

#endif

}
}

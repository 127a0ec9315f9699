#include "tests/failure/ConfigHome.h"
#include "tests/support/HeadlessFixture.h"

#include "app/Startup.h"
#include "timer/Window1.h"
#include "timer/Window2.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
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

// True once the process catches or blocks `signalNumber`, i.e. its handler
// is in place and the signal will not simply kill it.
bool Handles(pid_t pid, int signalNumber)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const unsigned long long bit = 1ULL << (signalNumber - 1);
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0 || line.rfind("SigBlk:", 0) == 0) {
            if (std::stoull(line.substr(7), nullptr, 16) & bit)
                return true;
        }
    }
    return false;
}

// Starts the built program with its standard output and error going to
// `output` and the environment as `prepare` leaves it in the child.
pid_t StartProgram(int output, const std::function<void()>& prepare)
{
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
        prepare();
        ::dup2(output, STDOUT_FILENO);
        ::dup2(output, STDERR_FILENO);
        ::execl(TOCKAMO_PROGRAM_PATH, TOCKAMO_PROGRAM_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

// The child's wait status once it has ended, or nothing when it is still
// running at the deadline (it is killed then).
std::optional<int> WaitForExit(pid_t child, std::chrono::seconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) != child) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return std::nullopt;
        }
        ::poll(nullptr, 0, 10);
    }
    return status;
}

// A logout or shutdown (SIGTERM) and the closing of the terminal that
// started the program (SIGHUP) end it the same way as the Quit item.
TEST(SigtermProgram, TheRealProgramSavesAndExitsWithZero)
{
    if (::access(TOCKAMO_PROGRAM_PATH, X_OK) != 0)
        GTEST_SKIP() << TOCKAMO_PROGRAM_PATH << " was not built";
    for (int signalNumber : { SIGTERM, SIGHUP }) {
        SCOPED_TRACE(strsignal(signalNumber));
        ConfigHome home;
        // Written in a form the program never writes, so a rewrite shows.
        home.WritePrefs("' before\n#mysetmin 17\n#Window1Position 33,44\n");

        // The program has read its settings (and so has made its main window
        // in the same handler) once the file is closed after reading.
        int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, home.Folder().c_str(), IN_CLOSE_NOWRITE), 0);

        pid_t child = StartProgram(STDERR_FILENO, [] {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("SDL_AUDIODRIVER", "dummy", 1);
            // As started from a terminal, also when the tests run under nohup.
            ::signal(SIGHUP, SIG_DFL);
        });
        ASSERT_GE(child, 0);

        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
        bool read = false;
        bool exited = false;
        int status = 0;
        while (!(read && Handles(child, signalNumber)) && std::chrono::steady_clock::now() < deadline) {
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
                break;
            }
        }
        ::close(watch);
        ASSERT_FALSE(exited) << "the program ended on its own, status " << status;
        if (!(read && Handles(child, signalNumber))) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            FAIL() << "the program did not get ready in time";
        }

        ::kill(child, signalNumber);
        std::optional<int> ended = WaitForExit(child, std::chrono::seconds(8));
        ASSERT_TRUE(ended) << "the program did not end after the signal";
        ASSERT_TRUE(WIFEXITED(*ended)) << "ended by signal " << (WIFSIGNALED(*ended) ? WTERMSIG(*ended) : 0);
        EXPECT_EQ(WEXITSTATUS(*ended), 0);
        EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>("#Window1Position 33,44\n#MySetMin 17\n"));
    }
}

// Started where there is no display to open (a text console, an ssh
// session), the program says so in one line and ends with status 1 before
// it reads or writes its preferences.
TEST(SigtermProgram, WithoutADisplayTheRealProgramSaysSoAndLeavesThePreferences)
{
    if (::access(TOCKAMO_PROGRAM_PATH, X_OK) != 0)
        GTEST_SKIP() << TOCKAMO_PROGRAM_PATH << " was not built";
    struct Case {
        const char* name;
        const char* display;
        const char* wayland;
        const char* said;
    };
    const Case cases[] = {
        { "DISPLAY not set", nullptr, nullptr, "tockamo: no display to open (DISPLAY is not set)\n" },
        { "Wayland without XWayland", nullptr, "wayland-0", "tockamo: no X display to open (DISPLAY is not set; on Wayland, Tockamo needs XWayland)\n" },
        { "nothing at DISPLAY", ":65000", nullptr, "tockamo: cannot open display :65000 (nothing answered there, or it refused the connection)\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigHome home;
        home.WritePrefs("' before\n#mysetmin 17\n");
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        pid_t child = StartProgram(fds[1], [&c] {
            ::unsetenv("QT_QPA_PLATFORM");
            ::unsetenv("WAYLAND_DISPLAY");
            ::unsetenv("DISPLAY");
            if (c.display)
                ::setenv("DISPLAY", c.display, 1);
            if (c.wayland)
                ::setenv("WAYLAND_DISPLAY", c.wayland, 1);
        });
        ::close(fds[1]);
        ASSERT_GE(child, 0);

        // Everything it printed, up to its end or a deadline.
        std::string said;
        char buffer[512];
        pollfd p { fds[0], POLLIN, 0 };
        for (ssize_t n = 0; ::poll(&p, 1, 8000) > 0 && (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, static_cast<size_t>(n));
        ::close(fds[0]);
        std::optional<int> ended = WaitForExit(child, std::chrono::seconds(8));
        ASSERT_TRUE(ended) << "the program kept running";
        ASSERT_TRUE(WIFEXITED(*ended)) << "ended by signal " << (WIFSIGNALED(*ended) ? WTERMSIG(*ended) : 0);
        EXPECT_EQ(WEXITSTATUS(*ended), 1);
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>("' before\n#mysetmin 17\n"));
        EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
    }
}

#endif

}
}

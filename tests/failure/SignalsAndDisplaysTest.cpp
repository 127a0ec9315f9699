#include "tests/failure/ConfigHome.h"
#include "tests/support/HeadlessFixture.h"

#include "app/Startup.h"
#include "timer/Window1.h"
#include "timer/Window2.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#ifdef TOCKAMO_PROGRAM_PATH
#include <xcb/xcb.h>
#endif

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

class TerminateHeadless : public fw::testing::HeadlessTest, public ::testing::WithParamInterface<TermCase> { };

TEST_P(TerminateHeadless, SavesPositionAndMinutesAndExitsWithZero)
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

INSTANTIATE_TEST_SUITE_P(Terminate, TerminateHeadless, ::testing::ValuesIn(kTermCases),
    [](const ::testing::TestParamInfo<TermCase>& info) { return std::string(info.param.name); });

#ifdef TOCKAMO_PROGRAM_PATH

// The bit of `signalNumber` in one line of /proc/<pid>/status ("SigCgt",
// "ShdPnd", ...).
bool StatusHas(pid_t pid, const std::string& field, int signalNumber)
{
    std::string mask = StatusField(pid, field);
    return !mask.empty() && (std::stoull(mask, nullptr, 16) >> (signalNumber - 1)) & 1;
}

// Starts the built program with its standard output going to `output`, its
// standard error to `errors` and the environment as `prepare` leaves it in
// the child.
pid_t StartProgram(int output, int errors, const std::function<void()>& prepare)
{
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
        prepare();
        ::dup2(output, STDOUT_FILENO);
        ::dup2(errors, STDERR_FILENO);
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

// A watch for the files read in `folder`, or -1. It is made before the
// program starts: a program that read its settings at once would otherwise
// do so unseen, and the test would wait out its deadline.
int WatchReads(const std::string& folder)
{
    int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch >= 0 && ::inotify_add_watch(watch, folder.c_str(), IN_CLOSE_NOWRITE) < 0) {
        ::close(watch);
        return -1;
    }
    return watch;
}

// True once the program has read its settings (and so has made its main
// window in the same handler) and its SIGTERM handler is in place; false if
// it ends or the deadline passes first. Closes `watch`, WatchReads' of the
// settings folder.
bool WaitUntilRunning(pid_t child, int watch)
{
    if (watch < 0)
        return false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool read = false;
    while (!(read && StatusHas(child, "SigCgt", SIGTERM)) && std::chrono::steady_clock::now() < deadline) {
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
        siginfo_t ended {};
        if (::waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == child)
            break;
    }
    ::close(watch);
    return read && StatusHas(child, "SigCgt", SIGTERM);
}

// An X server of the test's own, on the first free display number, with one
// screen (screen 0).
class PrivateXServer {
public:
    PrivateXServer()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        std::fflush(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            // The server writes its display number to fd 3 once it listens.
            ::dup2(fds[1], 3);
            int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, STDOUT_FILENO);
            ::dup2(quiet, STDERR_FILENO);
            // Its empty screen is black.
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-br", "-screen", "0", "640x480x24", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        char c;
        pollfd p { fds[0], POLLIN, 0 };
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.empty())
            m_display = ":" + number;
    }
    ~PrivateXServer() { End(); }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& Display() const { return m_display; }
    // The server ends, as when it crashes or the session ends it.
    void End()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        if (!WaitForExit(m_pid, std::chrono::seconds(5)))
            ADD_FAILURE() << "the X server did not end";
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

// True once something other than the black of the empty screen is drawn at
// `x`,`y` on `display`. A window is drawn only from the program's event
// loop, so a program whose window shows there is running its loop.
bool WaitUntilDrawn(const std::string& display, int16_t x, int16_t y)
{
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    bool drawn = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    if (!xcb_connection_has_error(connection)) {
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        while (!drawn && std::chrono::steady_clock::now() < deadline) {
            xcb_get_image_reply_t* image = xcb_get_image_reply(connection, xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, ~0u), nullptr);
            if (image && xcb_get_image_data_length(image) >= 3) {
                const uint8_t* pixel = xcb_get_image_data(image);
                drawn = pixel[0] || pixel[1] || pixel[2];
            }
            std::free(image);
            if (!drawn)
                ::poll(nullptr, 0, 10);
        }
    }
    xcb_disconnect(connection);
    return drawn;
}

// What happens to the running program, or that it never runs.
enum class Then {
    // The signal arrives: the program saves and ends.
    Signal,
    // The signal, which the launcher had the program ignore, arrives; it
    // must not even reach the program, which SIGTERM then ends.
    IgnoredSignalThenSigterm,
    // The X server goes away under it.
    XServerEnds,
    // There is no display to be had: it says so and ends.
    NoDisplay,
};

// Where the program's standard error goes.
enum class Errors {
    // Into the file the test reads, with its standard output.
    ToFile,
    // Into a pipe whose reader has gone, as in `tockamo 2>&1 | head -1`
    // once head has its line; the test reads only the standard output.
    ToABrokenPipe,
};

struct ProgramCase {
    const char* name;
    // Qt's platform: offscreen (nullptr) or X11, on DISPLAY as given; "$X"
    // stands for a private X server's display name.
    const char* display;
    const char* waylandDisplay;
    // What the launcher does to the signals before it starts the program.
    void (*launcher)();
    Then then;
    int signal;
    int status;
    // NoDisplay: the DISPLAY value as the message shows it ("$X" as above),
    // or nullptr when DISPLAY is not set.
    const char* shown;
    Errors errors = Errors::ToFile;
};

std::string WithServer(std::string text, const std::string& server)
{
    for (size_t at = text.find("$X"); at != std::string::npos; at = text.find("$X", at))
        text.replace(at, 2, server);
    return text;
}

void PrintTo(const ProgramCase& c, std::ostream* os)
{
    *os << c.name;
}

class SignalsAndDisplays : public ::testing::TestWithParam<ProgramCase> { };

const char* const kWritten = "' before\n#mysetmin 17\n#Window1Position 33,44\n";
const char* const kSaved = "#Window1Position 33,44\n#MySetMin 17\n";

// The real program, started as launchers start it. A logout or shutdown
// (SIGTERM), the closing of the terminal that started it (SIGHUP), Ctrl+C
// (SIGINT) and its X server going away all save the settings before it ends,
// whether the launcher blocked those signals or not, and whatever becomes of
// what it writes to stderr; a SIGHUP or SIGINT it was started ignoring stays
// ignored, a SIGTERM never does. Where there is no display to open, it says
// so in one line and ends with status 1 before it reads or writes its
// settings.
TEST_P(SignalsAndDisplays, TheRealProgram)
{
    const ProgramCase& c = GetParam();
    if (::access(TOCKAMO_PROGRAM_PATH, X_OK) != 0)
        GTEST_SKIP() << TOCKAMO_PROGRAM_PATH << " was not built";
    std::optional<PrivateXServer> server;
    if (c.display && std::string(c.display).find("$X") != std::string::npos) {
        server.emplace();
        ASSERT_FALSE(server->Display().empty()) << "no private X server (Xvfb) could be started";
    }
    std::string display = c.display ? WithServer(c.display, server ? server->Display() : "") : "";

    ConfigHome home;
    // Written in a form the program never writes, so a rewrite shows.
    home.WritePrefs(kWritten);
    std::string saidPath = home.Root() + "/said.txt";
    int said = ::open(saidPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(said, 0);
    int errors = said;
    if (c.errors == Errors::ToABrokenPipe) {
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        ::close(pipe[0]);
        errors = pipe[1];
    }
    // As a desktop session has it; without one Qt warns on stderr at start.
    std::string runtime = home.Root() + "/runtime";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    int watch = c.then == Then::NoDisplay ? -1 : WatchReads(home.Folder());
    pid_t child = StartProgram(said, errors, [&] {
        ::unsetenv("QT_QPA_PLATFORM");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("DISPLAY");
        if (!c.display && c.then != Then::NoDisplay)
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (c.display)
            ::setenv("DISPLAY", display.c_str(), 1);
        if (c.waylandDisplay)
            ::setenv("WAYLAND_DISPLAY", c.waylandDisplay, 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        // As started from a terminal, also when the tests run under nohup
        // or in the background; then as the launcher of the case has it.
        ::signal(SIGHUP, SIG_DFL);
        ::signal(SIGINT, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (c.launcher)
            c.launcher();
    });
    ::close(said);
    if (errors != said)
        ::close(errors);
    ASSERT_GE(child, 0);

    if (c.then != Then::NoDisplay) {
        if (!WaitUntilRunning(child, watch)) {
            bool catchesSigterm = StatusHas(child, "SigCgt", SIGTERM);
            std::optional<int> ended = WaitForExit(child, std::chrono::seconds(0));
            const char* why = ended ? "" : catchesSigterm ? " (it did not read its settings)" : " (it does not catch SIGTERM)";
            FAIL() << "the program did not get going" << why << (ended ? ", status " + std::to_string(*ended) : "") << "; it said:\n"
                   << ReadFile(saidPath).value_or("");
        }
    }
    switch (c.then) {
    case Then::Signal:
        ::kill(child, c.signal);
        break;
    case Then::IgnoredSignalThenSigterm: {
        // Stopped, the program cannot take a signal in; one it has not
        // ignored would wait there, pending.
        ::kill(child, SIGSTOP);
        int stopped = 0;
        ASSERT_EQ(::waitpid(child, &stopped, WUNTRACED), child);
        ASSERT_TRUE(WIFSTOPPED(stopped));
        ::kill(child, c.signal);
        EXPECT_FALSE(StatusHas(child, "ShdPnd", c.signal) || StatusHas(child, "SigPnd", c.signal)) << "the signal was not ignored";
        ::kill(child, SIGCONT);
        ::kill(child, SIGTERM);
        break;
    }
    case Then::XServerEnds:
        // Within the main window, stored at left 44, top 33.
        ASSERT_TRUE(WaitUntilDrawn(display, 44 + 100, 33 + 60)) << "the main window did not show";
        server->End();
        break;
    case Then::NoDisplay:
        break;
    }

    std::optional<int> ended = WaitForExit(child, std::chrono::seconds(10));
    std::string output = ReadFile(saidPath).value_or("");
    ASSERT_TRUE(ended) << "the program kept running; it said:\n" << output;
    ASSERT_TRUE(WIFEXITED(*ended)) << "ended by signal " << (WIFSIGNALED(*ended) ? WTERMSIG(*ended) : 0) << "; it said:\n" << output;
    EXPECT_EQ(WEXITSTATUS(*ended), c.status) << output;
    if (c.then == Then::NoDisplay) {
        // One line of the program's own, which a terminal shows as it is.
        EXPECT_EQ(output.rfind("tockamo: ", 0), 0u) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
        EXPECT_TRUE(std::all_of(output.begin(), output.end() - 1, [](unsigned char ch) { return ch >= 0x20 && ch < 0x7F; })) << output;
        if (c.shown) {
            EXPECT_NE(output.find(WithServer(c.shown, server ? server->Display() : "")), std::string::npos) << output;
        }
        EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kWritten));
        EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
    } else {
        // Nothing of its own to report: the icon it named and its sound are there.
        EXPECT_EQ(output.find("tockamo:"), std::string::npos) << output;
        EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved)) << output;
    }
}

void IgnoreSighup() { ::signal(SIGHUP, SIG_IGN); }
void IgnoreSigint() { ::signal(SIGINT, SIG_IGN); }
void IgnoreSigterm() { ::signal(SIGTERM, SIG_IGN); }
void BlockQuitSignals()
{
    sigset_t quit;
    sigemptyset(&quit);
    for (int number : { SIGTERM, SIGHUP, SIGINT })
        sigaddset(&quit, number);
    ::sigprocmask(SIG_BLOCK, &quit, nullptr);
}

const ProgramCase kProgramCases[] = {
    { "Sigterm", nullptr, nullptr, nullptr, Then::Signal, SIGTERM, 0, nullptr },
    { "Sighup", nullptr, nullptr, nullptr, Then::Signal, SIGHUP, 0, nullptr },
    { "SighupIgnoredUnderNohup", nullptr, nullptr, &IgnoreSighup, Then::IgnoredSignalThenSigterm, SIGHUP, 0, nullptr },
    { "Sigint", nullptr, nullptr, nullptr, Then::Signal, SIGINT, 0, nullptr },
    { "SigintIgnoredInTheBackgroundOfAScript", nullptr, nullptr, &IgnoreSigint, Then::IgnoredSignalThenSigterm, SIGINT, 0, nullptr },
    { "SignalsBlockedByTheLauncher", nullptr, nullptr, &BlockQuitSignals, Then::Signal, SIGTERM, 0, nullptr },
    { "SighupBlockedByTheLauncher", nullptr, nullptr, &BlockQuitSignals, Then::Signal, SIGHUP, 0, nullptr },
    { "SigintBlockedByTheLauncher", nullptr, nullptr, &BlockQuitSignals, Then::Signal, SIGINT, 0, nullptr },
    // A shell's `trap '' TERM` hands the program its ignored SIGTERM by
    // accident; a logout must still save.
    { "SigtermIgnoredByTheLauncher", nullptr, nullptr, &IgnoreSigterm, Then::Signal, SIGTERM, 0, nullptr },
    { "XServerGoesAway", "$X", nullptr, nullptr, Then::XServerEnds, 0, 1, nullptr },
    { "XServerGoesAwayWithStderrABrokenPipe", "$X", nullptr, nullptr, Then::XServerEnds, 0, 1, nullptr, Errors::ToABrokenPipe },
    { "DisplayNotSet", nullptr, nullptr, nullptr, Then::NoDisplay, 0, 1, nullptr },
    { "WaylandWithoutXWayland", nullptr, "wayland-0", nullptr, Then::NoDisplay, 0, 1, nullptr },
    { "NothingAtTheDisplay", ":65000", nullptr, nullptr, Then::NoDisplay, 0, 1, ":65000" },
    { "AScreenTheServerDoesNotHave", "$X.5", nullptr, nullptr, Then::NoDisplay, 0, 1, "$X.5" },
    { "ANewlineAndAnEscapeSequence", ":0\n\033[2J", nullptr, nullptr, Then::NoDisplay, 0, 1, ":0\\n\\x1b[2J" },
    { "NoDisplayNameAtAll", "garbage", nullptr, nullptr, Then::NoDisplay, 0, 1, "\"garbage\", not a display name" },
    { "ADisplayNumberThatIsNoNumber", ":abc", nullptr, nullptr, Then::NoDisplay, 0, 1, "\":abc\", not a display name" },
    { "AHostWithoutADisplayNumber", "host:", nullptr, nullptr, Then::NoDisplay, 0, 1, "\"host:\", not a display name" },
};

INSTANTIATE_TEST_SUITE_P(Launch, SignalsAndDisplays, ::testing::ValuesIn(kProgramCases),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.name); });

#endif

}
}

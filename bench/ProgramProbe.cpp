// Drives the real program under an X server (Xvfb) and measures what a user
// would notice: how soon the main window appears, how much memory it holds,
// how often it wakes while it waits or counts, and when the count ends.
//
//   bench_program startup <program> <runs>
//   bench_program countdown <program> <idle-s> <count-s> <after-s>
//
// The caller sets DISPLAY and XDG_CONFIG_HOME (a tockamo.txt with
// "#MySetMin 1", so a count lasts one minute).

#include "bench/Figures.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <optional>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Top-level windows are direct children of the root when no window manager
// runs, so watching the root's substructure sees every map.
class XWatch {
public:
    XWatch()
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display) {
            std::fprintf(stderr, "cannot open the X display\n");
            std::exit(2);
        }
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, False);
    }
    ~XWatch() { XCloseDisplay(m_display); }

    // Waits for a window titled `title` to be mapped; the window, or nothing
    // on timeout. Also returns at once if such a window is already mapped.
    std::optional<Window> WaitMapped(const std::string& title, Clock::duration timeout)
    {
        if (auto found = FindMapped(title))
            return found;
        Clock::time_point end = Clock::now() + timeout;
        int fd = ConnectionNumber(m_display);
        while (Clock::now() < end) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == MapNotify && Title(event.xmap.window) == title)
                    return event.xmap.window;
            }
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval tv { 0, 1000 };
            select(fd + 1, &fds, nullptr, nullptr, &tv);
        }
        return std::nullopt;
    }

    std::optional<Window> FindMapped(const std::string& title)
    {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        std::optional<Window> found;
        if (XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable && Title(children[i]) == title)
                    found = children[i];
            }
            XFree(children);
        }
        return found;
    }

    // Listens for key presses delivered to `window`; X hands every client
    // that asked a copy of the same event, so its arrival here is the moment
    // the program gets it too.
    void WatchKeys(Window window)
    {
        XSelectInput(m_display, window, KeyPressMask);
        XSync(m_display, False);
    }

    std::optional<Clock::time_point> WaitKeyPress(Clock::duration timeout)
    {
        Clock::time_point end = Clock::now() + timeout;
        int fd = ConnectionNumber(m_display);
        while (Clock::now() < end) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == KeyPress)
                    return Clock::now();
            }
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval tv { 0, 1000 };
            select(fd + 1, &fds, nullptr, nullptr, &tv);
        }
        return std::nullopt;
    }

    // The window manager's close button: WM_DELETE_WINDOW.
    void RequestClose(Window window)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
    }

    void Drain()
    {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }

private:
    std::string Title(Window window)
    {
        for (const char* name : { "_NET_WM_NAME", "WM_NAME" }) {
            Atom type;
            int format;
            unsigned long items, after;
            unsigned char* data = nullptr;
            Atom property = XInternAtom(m_display, name, False);
            if (XGetWindowProperty(m_display, window, property, 0, 1024, False, AnyPropertyType, &type, &format, &items, &after, &data) == Success && data) {
                std::string text(reinterpret_cast<char*>(data), items);
                XFree(data);
                if (!text.empty())
                    return text;
            }
        }
        return {};
    }

    Display* m_display;
};

pid_t Launch(const std::string& program)
{
    pid_t pid = fork();
    if (pid == 0) {
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Ends the program the way a session logout does and gives its exit status,
// or -1 when it had to be killed.
int Terminate(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

long StatusField(const std::string& path, const std::string& key)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::atol(line.c_str() + key.size() + 1);
    }
    return -1;
}

struct ThreadCost {
    std::string name;
    long switches = 0;
    double cpuMs = 0;
};

// Context switches (each one a wake-up or a preemption) and CPU time of every
// thread of the process, by thread id.
std::map<int, ThreadCost> Sample(pid_t pid)
{
    std::map<int, ThreadCost> threads;
    std::string taskDir = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(taskDir.c_str());
    if (!dir)
        return threads;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::string base = taskDir + "/" + entry->d_name;
        ThreadCost cost;
        std::ifstream(base + "/comm") >> cost.name;
        cost.switches = StatusField(base + "/status", "voluntary_ctxt_switches") + StatusField(base + "/status", "nonvoluntary_ctxt_switches");
        std::ifstream schedstat(base + "/schedstat");
        double ns = 0;
        if (schedstat >> ns) {
            cost.cpuMs = ns / 1e6;
        } else {
            std::ifstream statFile(base + "/stat");
            std::string stat((std::istreambuf_iterator<char>(statFile)), {});
            std::istringstream fields(stat.substr(stat.rfind(')') + 2));
            std::string field;
            long utime = 0, stime = 0;
            for (int i = 3; fields >> field; ++i) {
                if (i == 14)
                    utime = std::atol(field.c_str());
                if (i == 15) {
                    stime = std::atol(field.c_str());
                    break;
                }
            }
            cost.cpuMs = (utime + stime) * 1000.0 / sysconf(_SC_CLK_TCK);
        }
        threads[std::atoi(entry->d_name)] = cost;
    }
    closedir(dir);
    return threads;
}

struct Cost {
    double wakeupsPerSecond = 0;
    double cpuPercent = 0;
    std::string breakdown;
};

Cost Measure(pid_t pid, double seconds)
{
    auto before = Sample(pid);
    Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    auto after = Sample(pid);
    double elapsed = Ms(Clock::now() - start) / 1000;

    long switches = 0;
    double cpu = 0;
    std::ostringstream breakdown;
    for (const auto& [tid, now] : after) {
        auto was = before.find(tid);
        long s = now.switches - (was == before.end() ? 0 : was->second.switches);
        double c = now.cpuMs - (was == before.end() ? 0 : was->second.cpuMs);
        switches += s;
        cpu += c;
        if (s > 0)
            breakdown << " " << now.name << "=" << s;
    }
    for (const auto& [tid, was] : before) {
        if (!after.count(tid))
            breakdown << " " << was.name << "(ended)";
    }
    return { switches / elapsed, cpu / (elapsed * 1000) * 100, breakdown.str() };
}

void ReportCost(const std::string& phase, const Cost& cost, double wakeGoal, const std::string& wakeGoalText, double cpuGoal)
{
    bench::Report(phase + ": wake-ups", cost.wakeupsPerSecond, "/s", wakeGoalText, cost.wakeupsPerSecond <= wakeGoal);
    if (cpuGoal > 0)
        bench::Report(phase + ": CPU", cost.cpuPercent, "%", "< " + std::to_string(cpuGoal).substr(0, 4) + " %", cost.cpuPercent < cpuGoal);
    else
        bench::Note(phase + ": CPU", cost.cpuPercent, "%");
    if (!cost.breakdown.empty())
        std::printf("      switches by thread:%s\n", cost.breakdown.c_str());
}

int Startup(const std::string& program, int runs)
{
    std::vector<double> times;
    long peakKb = 0;
    for (int i = 0; i < runs; ++i) {
        XWatch watch;
        Clock::time_point start = Clock::now();
        pid_t pid = Launch(program);
        std::optional<Window> window = watch.WaitMapped("Tockamo", std::chrono::seconds(10));
        Clock::time_point mapped = Clock::now();
        if (!window) {
            std::printf("  run %d: the main window never appeared\n", i + 1);
            Terminate(pid);
            return 1;
        }
        times.push_back(Ms(mapped - start));
        std::this_thread::sleep_for(std::chrono::seconds(3));
        peakKb = std::max(peakKb, StatusField("/proc/" + std::to_string(pid) + "/status", "VmHWM"));
        Terminate(pid);
    }
    std::printf("Start-up under Xvfb, %d runs\n", runs);
    bench::Report("exec -> main window mapped, median", bench::Median(times), "ms", "< 80 ms", bench::Median(times) < 80);
    bench::Note("exec -> main window mapped, max", bench::Max(times), "ms");
    bench::Report("peak resident memory (VmHWM) after 3 s, max", peakKb / 1024.0, "MB", "< 35 MB", peakKb < 35 * 1024);
    return 0;
}

int Countdown(const std::string& program, double idleSeconds, double countSeconds, double afterSeconds)
{
    XWatch watch;
    pid_t pid = Launch(program);
    std::optional<Window> main = watch.WaitMapped("Tockamo", std::chrono::seconds(10));
    if (!main) {
        std::printf("the main window never appeared\n");
        Terminate(pid);
        return 1;
    }
    std::printf("The program under Xvfb, one-minute count\n");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ReportCost("idle", Measure(pid, idleSeconds), 0, "0 /s", 0);

    // Start is the default button, so Return presses it. xdotool types
    // through the XTEST extension, as a keyboard would; the moment of the
    // press is when the key event arrives.
    std::string focus = "xdotool windowfocus --sync " + std::to_string(*main);
    if (std::system(focus.c_str()) != 0) {
        std::printf("xdotool could not focus the main window\n");
        Terminate(pid);
        return 1;
    }
    watch.WatchKeys(*main);
    pid_t typist = fork();
    if (typist == 0) {
        execlp("xdotool", "xdotool", "key", "Return", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::optional<Clock::time_point> pressed = watch.WaitKeyPress(std::chrono::seconds(5));
    waitpid(typist, nullptr, 0);
    if (!pressed) {
        std::printf("the key press never arrived\n");
        Terminate(pid);
        return 1;
    }
    Clock::time_point started = *pressed;

    std::this_thread::sleep_for(std::chrono::seconds(1));
    ReportCost("counting", Measure(pid, std::min(countSeconds, 55.0)), 1.5, "<= 1.5 /s", 0.05);

    watch.Drain();
    std::optional<Window> alarm = watch.WaitMapped("Time's Up", std::chrono::seconds(75) - (Clock::now() - started));
    Clock::time_point ended = Clock::now();
    if (!alarm) {
        std::printf("the Time's Up window never appeared (was Start pressed?)\n");
        Terminate(pid);
        return 1;
    }
    double error = Ms(ended - started) - 60000;
    bench::Report("Time's Up shown vs 60.000 s after Start", error, "ms", "within 10 ms", error > -1 && error < 10);

    // Let the window repeat its alarm once (after ten seconds), then close it
    // and see the program go back to sleep.
    std::this_thread::sleep_for(std::chrono::seconds(12));
    watch.RequestClose(*alarm);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    bool closed = !watch.FindMapped("Time's Up");
    if (!closed)
        std::printf("  the Time's Up window did not close on WM_DELETE_WINDOW\n");
    ReportCost("after Time's Up closed", Measure(pid, afterSeconds), 0, "0 /s (as idle)", 0);

    int status = Terminate(pid);
    bench::Report("exit status after SIGTERM", status, "", "0", status == 0);
    return 0;
}

}

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "startup") == 0)
        return Startup(argv[2], std::atoi(argv[3]));
    if (argc >= 6 && std::strcmp(argv[1], "countdown") == 0)
        return Countdown(argv[2], std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5]));
    std::fprintf(stderr, "usage: %s startup <program> <runs> | countdown <program> <idle-s> <count-s> <after-s>\n", argv[0]);
    return 2;
}

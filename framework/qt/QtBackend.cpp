#include "QtBackend.h"

#include "QtControlView.h"
#include "QtMenuBar.h"
#include "QtWindow.h"
#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/EventLoop.h"
#include "framework/Runtime.h"
#include "framework/Text.h"
#include "framework/Window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDirIterator>
#include <QEventLoop>
#include <QIcon>
#include <QPixmapCache>
#include <QSocketNotifier>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <xcb/xcb.h>

namespace fw {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct DisconnectDisplay {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using DisplayConnection = std::unique_ptr<xcb_connection_t, DisconnectDisplay>;

// Chooses the platform and opens the X display that Qt is going to use, from
// one reading of the environment. Qt ends the process with a several-line
// report when its platform cannot start, so whatever would make it do that
// is found here first. The connection is to be held until Qt has its own: an
// X server without other clients resets when its last one leaves, and Qt's
// connection could arrive in the middle of that.
DisplayConnection OpenDisplay()
{
    const std::string platform = Environment("QT_QPA_PLATFORM");
    const std::string display = Environment("DISPLAY");
    const bool wayland = !Environment("WAYLAND_DISPLAY").empty();
    // A platform of the user's choosing is left to Qt.
    if (!platform.empty() && platform.substr(0, platform.find(':')) != "xcb")
        return nullptr;
    // Windows go where the program puts them, which only X11 allows; a
    // Wayland session offers that through XWayland, when it has it.
    if (display.empty() && wayland) {
        const std::string& program = GetProgramIdentity().name;
        throw NoDisplayException("no X display to open (DISPLAY is not set; on Wayland, " + (program.empty() ? "this program" : program) + " needs XWayland)");
    }
    if (display.empty())
        throw NoDisplayException("no display to open (DISPLAY is not set)");
    if (platform.empty() && wayland)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Qt aborts on a screen number the server does not have. Asked for the
    // number, libxcb refuses such a screen itself; older versions do not.
    int screen = 0;
    DisplayConnection connection(xcb_connect(display.c_str(), &screen));
    switch (xcb_connection_has_error(connection.get())) {
    case 0:
        if (screen >= 0 && screen < xcb_setup_roots_length(xcb_get_setup(connection.get())))
            return connection;
        [[fallthrough]];
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        throw NoDisplayException("cannot open display " + EscapedForMessage(display) + " (it has no such screen)");
    case XCB_CONN_CLOSED_PARSE_ERR:
        throw NoDisplayException("no display to open (DISPLAY is \"" + EscapedForMessage(display) + "\", not a display name)");
    default:
        throw NoDisplayException("cannot open display " + EscapedForMessage(display) + " (nothing answered there, or it refused the connection)");
    }
}

}

std::unique_ptr<Backend> CreateDesktopBackend()
{
    DisplayConnection display = OpenDisplay();
    return std::make_unique<qt::QtBackend>();
}

}

namespace fw::qt {

namespace {

QtBackend* s_current = nullptr;

// Qt keeps references to argc and argv for the application's lifetime.
int s_argc = 1;
std::string s_programName;
char* s_argv[] = { nullptr, nullptr };

// The write end is used from the signal handler, which may do nothing but
// write(2); the read end wakes the Qt loop through a socket notifier.
int s_signalPipe[2] = { -1, -1 };
struct sigaction s_previousTerm {};
struct sigaction s_previousInt {};
struct sigaction s_previousHup {};
// The handled signals that the launcher had blocked.
sigset_t s_unblocked;

// Writing to a pipe whose reader has gone (`tockamo 2>&1 | head -1`) raises
// SIGPIPE, whose default ends the process in the middle of the write: a
// warning of the toolkit's, its line about a lost X display among them, would
// end the program before its settings are saved. Caught, the signal only
// makes that write fail. It is caught rather than ignored because an ignored
// signal stays ignored across exec, while a handler goes back to the default
// there: the desktop's URL handler, and whatever that starts, must not depend
// on the toolkit's process starter setting SIGPIPE back for them.
void OnBrokenPipe(int) { }

void OnTerminationSignal(int)
{
    int saved = errno;
    char byte = 1;
    [[maybe_unused]] ssize_t written = write(s_signalPipe[1], &byte, 1);
    errno = saved;
}

// The pictures of the icon the program named. A program that named one and
// has none compiled in hears of it: its windows would show the toolkit's.
QIcon LoadIcon(const ProgramIdentity& identity)
{
    QIcon icon;
    if (identity.iconResources.empty())
        return icon;
    for (QDirIterator sizes(QString::fromStdString(identity.iconResources), QDir::Files); sizes.hasNext();)
        icon.addFile(sizes.next());
    if (icon.isNull())
        std::fprintf(stderr, "%s: the icon %s has no pictures; the windows show none\n", identity.command.c_str(), identity.iconResources.c_str());
    return icon;
}

// The way out of a signal, and of a display that has gone: the same as the
// Quit menu item's, so the windows close first and the main window's Close
// handler saves the preferences.
void QuitTheApplication()
{
    if (RefPtr<Application> app = GetAppObject())
        app->QuitAction();
    else
        Quit(0);
}

}

void DeliverUserAction(const std::function<void()>& action)
{
    EventLoop& loop = EventLoop::Main();
    loop.Dispatch(action);
    loop.RunPending();
    if (s_current)
        s_current->LeaveIfQuitting();
}

QtBackend::QtBackend()
{
    // Before anything here can write to stderr. It stays for the rest of the
    // process: the toolkit may still write as it goes down.
    struct sigaction brokenPipe {};
    brokenPipe.sa_handler = &OnBrokenPipe;
    sigemptyset(&brokenPipe.sa_mask);
    brokenPipe.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &brokenPipe, nullptr);
    const ProgramIdentity& identity = GetProgramIdentity();
    if (!QApplication::instance()) {
        // With MIT-SHM, Qt's X11 backing store makes a round trip to the
        // server before it paints over a region it has already shown, to be
        // sure the server has finished reading it. A countdown repaints the
        // same field every second, so that round trip woke both the X reader
        // thread and the main thread twice more per tick. Our windows are
        // small enough that sending their pixels over the socket costs less.
        setenv("QT_XCB_NO_MITSHM", "1", 0);
        s_programName = identity.command;
        s_argv[0] = s_programName.data();
        m_ownApplication = std::make_unique<QApplication>(s_argc, s_argv);
    }
    // The framework decides when the program ends, not the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window shows the icon the program compiled in, in whatever sizes
    // it has; the desktop matches the windows to the launcher by the
    // command's name.
    QApplication::setWindowIcon(LoadIcon(identity));
    QGuiApplication::setDesktopFileName(QString::fromStdString(identity.command));
    // The style keeps pixmaps of what it drew in Qt's pixmap cache, and the
    // cache sweeps itself on a timer 30 seconds after each new entry: a
    // wake-up for an idle program. Our windows are small and redraw rarely,
    // so drawing afresh costs less than that sweep.
    QPixmapCache::setCacheLimit(0);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_context, [this] { FireTimers(); });
    InstallSignalHandlers();
    s_current = this;
}

QtBackend::~QtBackend()
{
    if (s_current == this)
        s_current = nullptr;
    RestoreSignalHandlers();
    for (auto& [window, qtWindow] : m_windows)
        delete qtWindow;
    m_windows.clear();
    for (auto& ended : m_ended)
        delete ended.data();
}

QtBackend* QtBackend::Current()
{
    return s_current;
}

QtWindow* QtBackend::WindowFor(const Window& window) const
{
    auto found = m_windows.find(&window);
    return found == m_windows.end() ? nullptr : found->second;
}

void QtBackend::Run(EventLoop& loop)
{
    loop.RunPending();
    TimersChanged(loop.NextDue());
    if (loop.IsQuitting())
        return;
    // Qt's X11 platform ends the process with exit(1) from inside the loop
    // when the connection to the X server breaks (the server crashed, or the
    // session ended it before sending SIGTERM). The hook quits the
    // application first, so that the settings as they stood are saved. It is
    // set as late as can be: objects made after it are gone when it runs.
    [[maybe_unused]] static const bool hooked = std::atexit(&OnExitDuringRun) == 0;
    QEventLoop qtLoop;
    m_running = &qtLoop;
    qtLoop.exec();
    m_running = nullptr;
    m_armedDue.reset();
    m_timer.stop();
}

void QtBackend::LeaveIfQuitting()
{
    if (m_running && EventLoop::Main().IsQuitting())
        m_running->exit(0);
}

void QtBackend::TimersChanged(std::optional<Clock::Duration> nextDue)
{
    if (m_displayLost)
        return;
    if (!nextDue) {
        m_armedDue.reset();
        m_timer.stop();
        return;
    }
    // A tick reports the same next due time several times over (when the
    // timer is rescheduled, after the due timers have run, after the posted
    // tasks); the Qt timer already set for it stays as it is.
    if (m_timer.isActive() && m_armedDue == nextDue)
        return;
    m_armedDue = nextDue;
    // Rounded up: waking a little late costs nothing, since each tick's due
    // time is fixed; waking early would cost a second wake-up.
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(*nextDue - m_clock.Now()).count();
    m_timer.start(static_cast<int>(std::clamp<long long>(wait, 0, INT_MAX)));
}

void QtBackend::FireTimers()
{
    EventLoop& loop = EventLoop::Main();
    loop.FireDueTimers(m_clock.Now());
    loop.RunPending();
    TimersChanged(loop.NextDue());
    LeaveIfQuitting();
}

void QtBackend::Wake()
{
    if (m_displayLost || m_wakePosted.exchange(true))
        return;
    QMetaObject::invokeMethod(
        &m_context,
        [this] {
            m_wakePosted = false;
            EventLoop::Main().RunPending();
            LeaveIfQuitting();
        },
        Qt::QueuedConnection);
}

void QtBackend::WindowCreated(Window& window)
{
    if (m_displayLost || m_windows.contains(&window))
        return;
    m_windows[&window] = new QtWindow(window);
}

void QtBackend::WindowChanged(Window& window)
{
    if (QtWindow* qtWindow = WindowFor(window))
        qtWindow->Sync();
}

void QtBackend::WindowShown(Window& window)
{
    if (QtWindow* qtWindow = WindowFor(window))
        qtWindow->ShowFromFramework();
    ShareMenuKeys();
}

void QtBackend::WindowDestroyed(Window& window)
{
    auto found = m_windows.find(&window);
    if (found == m_windows.end())
        return;
    QtWindow* qtWindow = found->second;
    m_windows.erase(found);
    qtWindow->Detach();
    qtWindow->hide();
    // The window may be ending inside one of its own Qt event handlers (the
    // close button), so its widget goes once that handler has returned.
    qtWindow->deleteLater();
    std::erase_if(m_ended, [](const QPointer<QtWindow>& ended) { return ended.isNull(); });
    m_ended.emplace_back(qtWindow);
    ShareMenuKeys();
}

void QtBackend::MenuBarChanged(Window& window)
{
    if (QtWindow* qtWindow = WindowFor(window))
        qtWindow->SyncMenuBar();
    ShareMenuKeys();
}

void QtBackend::ShareMenuKeys()
{
    // The menu bar belongs to the application, as on a desktop with one
    // shared menu bar: its key equivalents act from every window. A window
    // without a menu bar of its own answers those of the front-most window
    // that has one.
    std::vector<QAction*> keys;
    if (RefPtr<Window> front = WindowSupport::FrontWindowWithMenuBar()) {
        if (QtWindow* qtWindow = WindowFor(*front); qtWindow && qtWindow->MenuBarWidget())
            keys = qtWindow->MenuBarWidget()->KeyActions();
    }
    for (auto& [window, qtWindow] : m_windows)
        qtWindow->BorrowMenuKeys(qtWindow->MenuBarWidget() ? std::vector<QAction*>() : keys);
}

void QtBackend::ControlAdded(Window& window, Control& control)
{
    if (QtWindow* qtWindow = WindowFor(window))
        qtWindow->AddControl(control);
}

void QtBackend::ControlChanged(Control& control)
{
    if (!control.ParentWindow())
        return;
    if (QtWindow* qtWindow = WindowFor(*control.ParentWindow()))
        if (QtControlView* view = qtWindow->ViewFor(control))
            view->Sync();
}

void QtBackend::ControlRefreshed(Control& control)
{
    if (!control.ParentWindow())
        return;
    if (QtWindow* qtWindow = WindowFor(*control.ParentWindow()))
        if (QtControlView* view = qtWindow->ViewFor(control))
            view->Widget()->update();
}

std::shared_ptr<SoundClip> QtBackend::LoadSound(const std::string& path)
{
    return SdlAudio::Load(path);
}

void QtBackend::PlaySound(const std::shared_ptr<SoundClip>& clip, const std::string&)
{
    m_audio.Play(std::dynamic_pointer_cast<const SdlClip>(clip));
}

void QtBackend::Beep()
{
    QApplication::beep();
}

void QtBackend::OpenURL(const std::string& url)
{
    // Qt starts the desktop's handler (xdg-open) detached, without a shell;
    // whether it manages is not the program's concern.
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::TolerantMode));
}

void QtBackend::InstallSignalHandlers()
{
    if (s_signalPipe[0] < 0) {
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_signalPipe) != 0)
            return;
    }
    m_signalNotifier = std::make_unique<QSocketNotifier>(s_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_signalNotifier.get(), &QSocketNotifier::activated, &m_context, [this] { OnSignal(); });

    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t handled;
    sigemptyset(&handled);
    // A logout, a shutdown or `kill` always ends the program this way.
    sigaction(SIGTERM, &action, &s_previousTerm);
    sigaddset(&handled, SIGTERM);
    // Ctrl+C, and the terminal that started the program closing. Started in
    // the background by a script (SIGINT ignored) or through nohup (SIGHUP
    // ignored), the program keeps ignoring them, as it was asked to.
    for (auto [number, previous] : { std::pair { SIGINT, &s_previousInt }, std::pair { SIGHUP, &s_previousHup } }) {
        sigaction(number, nullptr, previous);
        if (previous->sa_handler != SIG_IGN) {
            sigaction(number, &action, nullptr);
            sigaddset(&handled, number);
        }
    }
    // Some session managers and supervisors start programs with these
    // signals blocked, where they would wait for ever. Unblocked only once
    // handled, so that one already waiting arrives as a quit.
    sigset_t blocked;
    pthread_sigmask(SIG_UNBLOCK, &handled, &blocked);
    sigemptyset(&s_unblocked);
    for (int number : { SIGTERM, SIGINT, SIGHUP }) {
        if (sigismember(&handled, number) && sigismember(&blocked, number))
            sigaddset(&s_unblocked, number);
    }
}

void QtBackend::RestoreSignalHandlers()
{
    if (!m_signalNotifier)
        return;
    pthread_sigmask(SIG_BLOCK, &s_unblocked, nullptr);
    sigaction(SIGTERM, &s_previousTerm, nullptr);
    sigaction(SIGINT, &s_previousInt, nullptr);
    sigaction(SIGHUP, &s_previousHup, nullptr);
    m_signalNotifier.reset();
}

void QtBackend::OnSignal()
{
    char buffer[64];
    while (read(s_signalPipe[0], buffer, sizeof buffer) > 0) { }
    DeliverUserAction(&QuitTheApplication);
}

void QtBackend::OnExitDuringRun()
{
    QtBackend* backend = s_current;
    if (!backend || !backend->m_running || EventLoop::Main().IsQuitting())
        return;
    // Whatever happens here must not escape: the process is ending anyway.
    try {
        backend->LoseDisplay();
        DeliverUserAction(&QuitTheApplication);
    } catch (...) {
    }
}

void QtBackend::LoseDisplay()
{
    // Nothing more can be shown, and nothing more is asked of Qt, whose
    // globals the ending process may already have taken down: the windows
    // stay as they are until the backend goes, and the loop is left alone.
    m_displayLost = true;
    m_running = nullptr;
    for (auto& [window, qtWindow] : m_windows) {
        qtWindow->Detach();
        m_ended.emplace_back(qtWindow);
    }
    m_windows.clear();
}

}

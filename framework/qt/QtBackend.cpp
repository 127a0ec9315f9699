#include "QtBackend.h"

#include "QtControlView.h"
#include "QtMenuBar.h"
#include "QtWindow.h"
#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/EventLoop.h"
#include "framework/Runtime.h"
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
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
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

// Qt ends the process with a several-line report when its platform cannot
// start, so the X display that Qt is going to use is opened first. The
// connection is to be held until Qt has its own: an X server without other
// clients resets when its last one leaves, and Qt's connection could arrive
// in the middle of that.
DisplayConnection OpenDisplay()
{
    std::string platform = Environment("QT_QPA_PLATFORM");
    std::string display = Environment("DISPLAY");
    // A platform of the user's choosing is left to Qt.
    if (!platform.empty() && platform.substr(0, platform.find(':')) != "xcb")
        return nullptr;
    // Windows go where the program puts them, which only X11 allows; a
    // Wayland session offers that through XWayland, when it has it.
    if (display.empty() && !Environment("WAYLAND_DISPLAY").empty())
        throw NoDisplayException("no X display to open (DISPLAY is not set; on Wayland, Tockamo needs XWayland)");
    if (display.empty())
        throw NoDisplayException("no display to open (DISPLAY is not set)");
    DisplayConnection connection(xcb_connect(nullptr, nullptr));
    switch (xcb_connection_has_error(connection.get())) {
    case 0:
        return connection;
    case XCB_CONN_CLOSED_PARSE_ERR:
        throw NoDisplayException("no display to open (DISPLAY is \"" + display + "\", not a display name)");
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        throw NoDisplayException("cannot open display " + display + " (it has no such screen)");
    default:
        throw NoDisplayException("cannot open display " + display + " (nothing answered there, or it refused the connection)");
    }
}

}

std::unique_ptr<Backend> CreateDesktopBackend()
{
    // Windows are placed at screen positions, which a Wayland client cannot
    // do; on a Wayland session with X11 compatibility, run through that.
    if (Environment("QT_QPA_PLATFORM").empty() && !Environment("WAYLAND_DISPLAY").empty() && !Environment("DISPLAY").empty())
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    DisplayConnection display = OpenDisplay();
    return std::make_unique<qt::QtBackend>();
}

}

namespace fw::qt {

namespace {

QtBackend* s_current = nullptr;

// Qt keeps references to argc and argv for the application's lifetime.
int s_argc = 1;
char s_programName[] = "tockamo";
char* s_argv[] = { s_programName, nullptr };

// The write end is used from the signal handler, which may do nothing but
// write(2); the read end wakes the Qt loop through a socket notifier.
int s_signalPipe[2] = { -1, -1 };
struct sigaction s_previousTerm {};
struct sigaction s_previousInt {};
struct sigaction s_previousHup {};

void OnTerminationSignal(int)
{
    int saved = errno;
    char byte = 1;
    [[maybe_unused]] ssize_t written = write(s_signalPipe[1], &byte, 1);
    errno = saved;
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
    if (!QApplication::instance()) {
        // With MIT-SHM, Qt's X11 backing store makes a round trip to the
        // server before it paints over a region it has already shown, to be
        // sure the server has finished reading it. A countdown repaints the
        // same field every second, so that round trip woke both the X reader
        // thread and the main thread twice more per tick. Our windows are
        // small enough that sending their pixels over the socket costs less.
        setenv("QT_XCB_NO_MITSHM", "1", 0);
        m_ownApplication = std::make_unique<QApplication>(s_argc, s_argv);
    }
    // The framework decides when the program ends, not the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window shows the icon the program compiled in, in whatever sizes
    // it has; the desktop matches the windows to the launcher by this name.
    QIcon icon;
    for (QDirIterator sizes(QStringLiteral(":/application-icon"), QDir::Files); sizes.hasNext();)
        icon.addFile(sizes.next());
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(s_programName));
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
    if (m_wakePosted.exchange(true))
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
    if (m_windows.contains(&window))
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
    for (const Ref<Window>& window : WindowSupport::Windows()) {
        QtWindow* qtWindow = window->IsOpen() ? WindowFor(*window) : nullptr;
        if (qtWindow && qtWindow->MenuBarWidget()) {
            keys = qtWindow->MenuBarWidget()->KeyActions();
            break;
        }
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
    sigaction(SIGTERM, &action, &s_previousTerm);
    sigaction(SIGINT, &action, &s_previousInt);
    // The terminal that started the program has closed. Started through
    // nohup, the program keeps ignoring that, as it was asked to.
    sigaction(SIGHUP, nullptr, &s_previousHup);
    if (s_previousHup.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &action, nullptr);
}

void QtBackend::RestoreSignalHandlers()
{
    if (!m_signalNotifier)
        return;
    sigaction(SIGTERM, &s_previousTerm, nullptr);
    sigaction(SIGINT, &s_previousInt, nullptr);
    sigaction(SIGHUP, &s_previousHup, nullptr);
    m_signalNotifier.reset();
}

void QtBackend::OnSignal()
{
    char buffer[64];
    while (read(s_signalPipe[0], buffer, sizeof buffer) > 0) { }
    // The same way out as the Quit menu item: the windows close first, so
    // the main window's Close handler saves the preferences.
    DeliverUserAction([] {
        if (RefPtr<Application> app = GetAppObject())
            app->QuitAction();
        else
            Quit(0);
    });
}

}

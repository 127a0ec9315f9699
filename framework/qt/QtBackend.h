#pragma once

#include "SdlAudio.h"
#include "framework/Backend.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QApplication;
class QEventLoop;
class QSocketNotifier;

namespace fw::qt {

class QtWindow;

// The desktop backend: one Qt top-level window per framework window, SDL2
// for sound, and the desktop's URL handler. Qt's event loop runs the show;
// the framework's timers are served by one precise single-shot Qt timer set
// for the next due time, so an idle program does not wake up at all.
class QtBackend final : public Backend {
public:
    QtBackend();
    ~QtBackend() override;

    // The backend in use, or nullptr.
    static QtBackend* Current();
    // The Qt window that presents `window`, or nullptr.
    QtWindow* WindowFor(const Window& window) const;
    SdlAudio& Audio() { return m_audio; }
    // True while the Qt timer for the framework's next due time is set; an
    // idle program has none.
    bool IsTimerArmed() const { return m_timer.isActive(); }
    // Ends Run once the framework's loop is quitting.
    void LeaveIfQuitting();

    // Backend.
    Clock& GetClock() override { return m_clock; }
    void Run(EventLoop& loop) override;
    void TimersChanged(std::optional<Clock::Duration> nextDue) override;
    void Wake() override;
    void WindowCreated(Window&) override;
    void WindowChanged(Window&) override;
    void WindowShown(Window&) override;
    void WindowDestroyed(Window&) override;
    void MenuBarChanged(Window&) override;
    void ControlAdded(Window&, Control&) override;
    void ControlChanged(Control&) override;
    void ControlRefreshed(Control&) override;
    std::shared_ptr<SoundClip> LoadSound(const std::string& path) override;
    void PlaySound(const std::shared_ptr<SoundClip>& clip, const std::string& path) override;
    void Beep() override;
    void OpenURL(const std::string& url) override;

private:
    void FireTimers();
    void ShareMenuKeys();
    void InstallSignalHandlers();
    void RestoreSignalHandlers();
    void OnSignal();
    // The exit hook. A process that ends from inside the running loop (Qt's
    // X11 platform ends it so when the display goes away) first runs the
    // quit action, unless the program is already quitting; an exit at any
    // other moment does nothing here.
    static void OnExitDuringRun();
    void LoseDisplay();

    // Declared first so that it goes last: every Qt object below needs it.
    std::unique_ptr<QApplication> m_ownApplication;
    SteadyClock m_clock;
    QObject m_context;
    QTimer m_timer;
    // The framework due time m_timer was last set for.
    std::optional<Clock::Duration> m_armedDue;
    std::atomic<bool> m_wakePosted { false };
    QEventLoop* m_running = nullptr;
    std::unordered_map<const Window*, QtWindow*> m_windows;
    // Windows the framework has ended whose Qt side waits for deleteLater.
    std::vector<QPointer<QtWindow>> m_ended;
    SdlAudio m_audio;
    std::unique_ptr<QSocketNotifier> m_signalNotifier;
    // The process is ending from inside the loop, its display gone.
    bool m_displayLost = false;
};

// Reports one user action to the framework the way every input arrives: as a
// dispatched event, followed by the tasks it posted.
void DeliverUserAction(const std::function<void()>& action);

}

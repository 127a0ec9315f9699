#pragma once

#include "Clock.h"
#include "RuntimeException.h"

#include <memory>
#include <optional>
#include <string>

namespace fw {

class Control;
class EventLoop;
class Window;

// Decoded sound data, owned by the backend that made it.
class SoundClip {
public:
    virtual ~SoundClip() = default;
};

// The seam between the framework and what the user sees and hears. Framework
// objects keep their own state and tell the backend when it changes; the
// backend reads that state back, presents it, and reports the user's actions
// by calling the framework objects' user-action operations (PushButton::Push,
// Window::UserClose, ...) through EventLoop::Dispatch.
class Backend {
public:
    virtual ~Backend() = default;

    virtual Clock& GetClock() = 0;

    // Runs the loop until loop.IsQuitting(). While it runs, the backend fires
    // due timers (EventLoop::FireDueTimers) and posted tasks
    // (EventLoop::RunPending) and delivers input.
    virtual void Run(EventLoop& loop) = 0;
    // The earliest timer due time changed (nullopt: no timer runs). The
    // backend arranges to wake then, and not before.
    virtual void TimersChanged(std::optional<Clock::Duration> nextDue) = 0;
    // Something was posted or a quit was requested: leave any wait soon.
    virtual void Wake() = 0;

    // Windows and controls. A window is created before its Layout event and
    // destroyed after its Close event; WindowChanged and ControlChanged mean
    // "read my state again".
    virtual void WindowCreated(Window&) = 0;
    virtual void WindowChanged(Window&) = 0;
    virtual void WindowShown(Window&) = 0;
    virtual void WindowDestroyed(Window&) = 0;
    virtual void MenuBarChanged(Window&) = 0;
    virtual void ControlAdded(Window&, Control&) = 0;
    virtual void ControlChanged(Control&) = 0;
    virtual void ControlRefreshed(Control&) = 0;

    // Sound: nullptr when the file is missing or is not a sound. Play returns
    // at once.
    virtual std::shared_ptr<SoundClip> LoadSound(const std::string& path) = 0;
    virtual void PlaySound(const std::shared_ptr<SoundClip>& clip, const std::string& path) = 0;
    virtual void Beep() = 0;

    // Hands an address to the desktop; never blocks and never reports.
    virtual void OpenURL(const std::string& url) = 0;
};

// The backend the framework talks to; installed once at start-up.
void InstallBackend(std::unique_ptr<Backend> backend);
Backend& GetBackend();
bool HasBackend();

// Raised by CreateDesktopBackend when there is no display to show windows
// on; the message says what is missing in one line.
class NoDisplayException : public RuntimeException {
public:
    explicit NoDisplayException(const std::string& message)
        : RuntimeException(message)
    {
    }
    const char* ClassName() const override { return "NoDisplayException"; }
};

// Made by the desktop backend library (framework/qt); only the program's
// start code, which links that library, calls it. Raises NoDisplayException
// before it touches anything when there is no display to open.
std::unique_ptr<Backend> CreateDesktopBackend();

}

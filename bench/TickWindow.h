#pragma once

#include "framework/Timer.h"
#include "framework/Window.h"

#include <functional>

namespace bench {

// A bare window that owns one framework timer and hands each of its Actions to
// a callback, so the benchmarks drive the same timer path the program uses:
// the timer sits in a window's control list and its Action reaches a handler
// bound through the window's class record.
class TickWindow : public fw::Window {
public:
    static fw::Ref<TickWindow> Create();
    static const fw::ClassRecord& Lookup();
    const fw::ClassRecord& Class() const override;

    // Adds the timer (stopped) with the given period; Start sets its Mode to 2.
    fw::Ref<fw::Timer> AddTimer(int32_t periodMs, std::function<void(fw::Timer&)> onAction);

    void Timer1_Action(fw::Timer& timer);

protected:
    TickWindow() = default;

private:
    std::function<void(fw::Timer&)> m_onAction;
};

// Installs the desktop backend and starts the runtime, as the program's start
// code does; Shutdown releases the framework's globals again.
void StartDesktopRuntime();
void ShutdownRuntime();
// Runs the event loop until something calls fw::Quit.
void RunLoop();
// The backend's clock, the time base of every timer.
fw::Clock::Duration Now();

}

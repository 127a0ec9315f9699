#pragma once

#include "Clock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace fw {

class Timer;

// The framework's single-threaded event loop. It keeps the running timers by
// due time and the tasks posted to run after the current handler, and knows
// whether the application is quitting. The backend drives it.
class EventLoop {
public:
    static EventLoop& Main();

    // Runs one event handler. An exception that escapes it goes to the
    // framework's unhandled-exception report, which ends the application.
    void Dispatch(const std::function<void()>& handler);

    // Runs `task` after the handler that is running now has returned.
    void Post(std::function<void()> task);
    void RunPending();
    bool HasPending() const { return !m_pending.empty(); }

    // Asks the loop to end with `status` once the current handler returns.
    void Quit(int32_t status);
    bool IsQuitting() const { return m_quitting; }
    int32_t ExitStatus() const { return m_exitStatus; }
    // Back to a fresh state; used between runs in one process (tests).
    void Reset();

    // Timers in Mode 1 or 2 are registered here. A timer's k-th Action is due
    // at start + k x Period, so late handling never shifts later ticks.
    void AddTimer(Timer& timer);
    void RemoveTimer(Timer& timer);
    void RescheduleTimer(Timer& timer);
    std::optional<Clock::Duration> NextDue() const;
    // Fires, in due order, every timer action that is due at or before `now`,
    // each as its own dispatched event.
    void FireDueTimers(Clock::Duration now);

private:
    void NotifyTimersChanged();

    std::deque<std::function<void()>> m_pending;
    std::vector<Timer*> m_timers;
    bool m_quitting = false;
    int32_t m_exitStatus = 0;
};

}

#pragma once

#include "Clock.h"
#include "Control.h"

namespace fw {

// A timer: while Mode is 2 it raises Action every Period milliseconds on a
// fixed schedule (start + k x Period); Mode 1 raises it once; Mode 0 stops
// it. A timer in a window's control list stops when its window goes.
class Timer : public Control {
public:
    static constexpr int kEventAction = 0;
    static constexpr int32_t kModeOff = 0;
    static constexpr int32_t kModeSingle = 1;
    static constexpr int32_t kModeMultiple = 2;

    static Ref<Timer> Create();
    ~Timer() override;
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    int32_t Mode() const { return m_mode; }
    void SetMode(int32_t mode);
    int32_t Period() const { return m_period; }
    // Periods below 1 ms are taken as 1 ms.
    void SetPeriod(int32_t milliseconds);
    // True while the timer is scheduled with the event loop.
    bool IsRunning() const { return m_running; }
    // Takes the timer off the loop for good; its window has closed.
    void Stop();

    // For the event loop: when the next Action is due, and the firing of it.
    Clock::Duration NextDue() const { return m_start + std::chrono::milliseconds(int64_t { m_period } * (m_fired + 1)); }
    void Fire();
    int64_t ActionCount() const { return m_actions; }

    void Detach() override;

protected:
    Timer() = default;

private:
    void Schedule();
    void Unschedule();
    bool CanRun() const;

    int32_t m_mode = kModeMultiple;
    int32_t m_period = 1000;
    Clock::Duration m_start { 0 };
    int64_t m_fired = 0; // actions fired since m_start
    int64_t m_actions = 0;
    bool m_running = false;
    bool m_stopped = false; // its window closed: never runs again
};

}

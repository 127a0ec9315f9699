#include "Timer.h"

#include "Backend.h"
#include "EventLoop.h"
#include "Window.h"

#include <algorithm>

namespace fw {

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Timer", &Control::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<Timer>();
        builder.Property("Mode", &Timer::SetMode);
        builder.Property("Period", &Timer::SetPeriod);
    });
}

}

Ref<Timer> Timer::Create()
{
    return Adopt(*new Timer);
}

Timer::~Timer()
{
    // The loop keeps plain pointers; a timer must never outlive its entry.
    if (m_running)
        EventLoop::Main().RemoveTimer(*this);
}

const ClassRecord& Timer::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& Timer::Class() const
{
    return Lookup();
}

void Timer::SetMode(int32_t mode)
{
    if (mode != kModeOff && mode != kModeSingle && mode != kModeMultiple)
        throw RuntimeException("Timer.Mode must be 0, 1 or 2, not " + std::to_string(mode));
    // Asking a repeating timer to repeat keeps its rhythm: the countdown sets
    // Mode 2 on Continue and the ticks must stay on the same schedule.
    if (mode == kModeMultiple && m_mode == kModeMultiple && m_running)
        return;
    m_mode = mode;
    if (mode == kModeOff)
        Unschedule();
    else
        Schedule();
}

void Timer::SetPeriod(int32_t milliseconds)
{
    // A period of zero would make the timer due forever at the same instant.
    milliseconds = std::max<int32_t>(milliseconds, 1);
    if (milliseconds == m_period)
        return;
    m_period = milliseconds;
    if (m_running)
        Schedule();
}

void Timer::Stop()
{
    m_stopped = true;
    Unschedule();
}

bool Timer::CanRun() const
{
    const Window* window = ParentWindow();
    return !m_stopped && !(window && window->IsClosed());
}

void Timer::Schedule()
{
    if (!CanRun()) {
        Unschedule();
        return;
    }
    m_start = GetBackend().GetClock().Now();
    m_fired = 0;
    m_running = true;
    EventLoop::Main().AddTimer(*this);
}

void Timer::Unschedule()
{
    if (!m_running)
        return;
    m_running = false;
    EventLoop::Main().RemoveTimer(*this);
}

void Timer::Fire()
{
    Ref<Timer> protect(*this);
    if (!m_running || !CanRun()) {
        Unschedule();
        return;
    }
    ++m_fired;
    ++m_actions;
    // A single-shot timer is off before its handler runs, so the handler can
    // arm it again.
    if (m_mode == kModeSingle) {
        m_mode = kModeOff;
        Unschedule();
    } else {
        EventLoop::Main().RescheduleTimer(*this);
    }
    RaiseEvent(kEventAction);
}

void Timer::Detach()
{
    Stop();
    Control::Detach();
}

}

#include "EventLoop.h"

#include "Backend.h"
#include "Runtime.h"
#include "Timer.h"

#include <algorithm>

namespace fw {

EventLoop& EventLoop::Main()
{
    static EventLoop loop;
    return loop;
}

void EventLoop::Dispatch(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        UnhandledException(error);
    }
}

void EventLoop::Post(std::function<void()> task)
{
    m_pending.push_back(std::move(task));
    if (HasBackend())
        GetBackend().Wake();
}

void EventLoop::RunPending()
{
    // Tasks posted by a task run in the same pass, after those before them.
    while (!m_pending.empty()) {
        std::function<void()> task = std::move(m_pending.front());
        m_pending.pop_front();
        Dispatch(task);
    }
}

void EventLoop::Quit(int32_t status)
{
    // A failure status is never overwritten by a later request for success:
    // an application that hit an unhandled exception must not exit with 0.
    if (!m_quitting || m_exitStatus == 0)
        m_exitStatus = status;
    m_quitting = true;
    if (HasBackend())
        GetBackend().Wake();
}

void EventLoop::Reset()
{
    // The tasks may hold the last references to windows; release them only
    // after the loop's own state is clean again.
    std::deque<std::function<void()>> dropped;
    dropped.swap(m_pending);
    m_timers.clear();
    m_quitting = false;
    m_exitStatus = 0;
    dropped.clear();
}

void EventLoop::AddTimer(Timer& timer)
{
    if (std::find(m_timers.begin(), m_timers.end(), &timer) == m_timers.end())
        m_timers.push_back(&timer);
    NotifyTimersChanged();
}

void EventLoop::RemoveTimer(Timer& timer)
{
    auto it = std::find(m_timers.begin(), m_timers.end(), &timer);
    if (it == m_timers.end())
        return;
    m_timers.erase(it);
    NotifyTimersChanged();
}

void EventLoop::RescheduleTimer(Timer&)
{
    NotifyTimersChanged();
}

std::optional<Clock::Duration> EventLoop::NextDue() const
{
    std::optional<Clock::Duration> next;
    for (const Timer* timer : m_timers) {
        if (!next || timer->NextDue() < *next)
            next = timer->NextDue();
    }
    return next;
}

void EventLoop::FireDueTimers(Clock::Duration now)
{
    // One Action per pass, always the earliest due (the first registered on a
    // tie), so that after a stall every missed tick arrives as its own event,
    // in due order, interleaved correctly with the other timers' ticks.
    while (!m_quitting) {
        Timer* due = nullptr;
        for (Timer* timer : m_timers) {
            if (timer->NextDue() <= now && (!due || timer->NextDue() < due->NextDue()))
                due = timer;
        }
        if (!due)
            break;
        Ref<Timer> protect(*due);
        Dispatch([&] { protect->Fire(); });
        RunPending();
    }
    NotifyTimersChanged();
}

void EventLoop::NotifyTimersChanged()
{
    if (HasBackend())
        GetBackend().TimersChanged(NextDue());
}

}

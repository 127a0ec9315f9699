#pragma once

#include <chrono>

namespace fw {

// Monotonic time for the event loop. The desktop backend reads the system's
// steady clock; the headless backend keeps a virtual one that tests advance.
class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    virtual ~Clock() = default;
    virtual Duration Now() const = 0;
};

class SteadyClock final : public Clock {
public:
    Duration Now() const override;
};

class VirtualClock final : public Clock {
public:
    Duration Now() const override { return m_now; }
    void Set(Duration now) { m_now = now; }

private:
    Duration m_now { 0 };
};

}

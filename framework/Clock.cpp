#include "Clock.h"

namespace fw {

Clock::Duration SteadyClock::Now() const
{
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch());
}

}

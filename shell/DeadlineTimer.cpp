#include "shell/DeadlineTimer.h"

namespace gsd {
namespace {

// Ticks in `milliseconds` at `perSecond`, split so that the product cannot
// overflow for any 32-bit time at any realistic rate.
std::int64_t TicksIn(std::int32_t milliseconds, std::int64_t perSecond)
{
    const std::int64_t seconds = milliseconds / 1000;
    const std::int64_t rest = milliseconds % 1000;
    return seconds * perSecond + rest * perSecond / 1000;
}

} // namespace

DeadlineTimer::DeadlineTimer(const MonotonicClock& clock)
    : clock_(clock)
{
}

void DeadlineTimer::Set(std::int32_t milliseconds)
{
    Deadline = clock_.Ticks() + TicksIn(milliseconds, clock_.TicksPerSecond());
    Armed = true;
}

bool DeadlineTimer::Expired()
{
    if (!Armed) {
        return true;
    }
    if (clock_.Ticks() < Deadline) {
        return false;
    }
    Armed = false;
    return true;
}

} // namespace gsd

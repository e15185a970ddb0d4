// The millisecond deadline that bounds every read of a server reply.
#pragma once

#include <cstdint>

#include "ports/MonotonicClock.h"

namespace gsd {

class DeadlineTimer {
public:
    // An unarmed timer on `clock`, which must outlive it.
    explicit DeadlineTimer(const MonotonicClock& clock);

    // Arms the timer to expire `milliseconds` from now; re-arms an armed or
    // expired timer with a new start. 0 or a negative time expires at the
    // first check.
    void Set(std::int32_t milliseconds);

    // True when the timer is not armed or its deadline has been reached.
    // The first true disarms it, so it stays true until the next Set. With
    // a clock that has no rate, an armed timer expires at its first check.
    bool Expired();

private:
    const MonotonicClock& clock_;
    std::int64_t Deadline = 0;
    bool Armed = false;
};

} // namespace gsd

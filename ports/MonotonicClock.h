// A clock that only ever moves forward, for deadlines. The Win32 adapter
// reads the performance counter; tests move a fake by hand.
#pragma once

#include <cstdint>

namespace gsd {

class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;

    // The current count of ticks from a fixed, arbitrary origin; never less
    // than an earlier reading.
    virtual std::int64_t Ticks() const = 0;

    // Ticks per second, fixed for the life of the process; 0 when the
    // platform has no such clock.
    virtual std::int64_t TicksPerSecond() const = 0;
};

} // namespace gsd

// The clock and the wait of the Win32 build.
#pragma once

#include "ports/MonotonicClock.h"
#include "ports/Sleeper.h"

namespace gsd {

// The performance counter: monotonic, its rate fixed at start-up and read
// once here, so no calibration is needed.
class PerformanceCounterClock final : public MonotonicClock {
public:
    PerformanceCounterClock();
    std::int64_t Ticks() const override;
    std::int64_t TicksPerSecond() const override { return perSecond_; }

private:
    std::int64_t perSecond_ = 0;
};

// Sleep().
class Win32Sleeper final : public Sleeper {
public:
    void Sleep(int milliseconds) override;
};

} // namespace gsd

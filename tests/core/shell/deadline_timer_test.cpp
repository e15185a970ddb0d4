#include "shell/DeadlineTimer.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "ports/StatusDialog.h"
#include "shell/DialogOrigin.h"
#include "fakes/FakeTiming.h"

namespace gsd {
namespace {

using testing::FakeClock;

TEST(DeadlineTimerTest, NeverSetIsExpired)
{
    FakeClock clock;
    DeadlineTimer timer(clock);
    EXPECT_TRUE(timer.Expired());
    EXPECT_TRUE(timer.Expired());
}

TEST(DeadlineTimerTest, ExpiresOnceTheDeadlineIsReached)
{
    struct Case {
        const char* name;
        std::int64_t perSecond;
        std::int32_t milliseconds;
        std::int64_t ticksLater; // when the clock is read
        bool expired;
    };
    const std::vector<Case> cases = {
        { "zero expires at the first check", 1000, 0, 0, true },
        { "negative time is already past", 1000, -5, 0, true },
        { "one tick before", 1000, 30000, 29999, false },
        { "on the deadline", 1000, 30000, 30000, true },
        { "after the deadline", 1000, 30000, 45000, true },
        { "performance counter, just before", 10'000'000, 30000, 299'999'999, false },
        { "performance counter, on it", 10'000'000, 30000, 300'000'000, true },
        { "sub-millisecond rate rounds down", 3, 999, 2, true },
        { "no clock rate", 0, 30000, 0, true },
        // A fast counter and the longest time do not overflow.
        { "3 GHz, longest time", 3'000'000'000, INT32_MAX, 1'000'000'000'000, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        clock.perSecond = c.perSecond;
        DeadlineTimer timer(clock);
        timer.Set(c.milliseconds);
        clock.now += c.ticksLater;
        EXPECT_EQ(timer.Expired(), c.expired);
    }
}

TEST(DeadlineTimerTest, StaysExpiredUntilSetAgainWhichStartsAnew)
{
    FakeClock clock;
    DeadlineTimer timer(clock);
    timer.Set(100);
    clock.now += 100;
    EXPECT_TRUE(timer.Expired());
    EXPECT_TRUE(timer.Expired());

    timer.Set(100); // counted from now, not from the first start
    clock.now += 99;
    EXPECT_FALSE(timer.Expired());
    timer.Set(100); // re-arming an armed timer moves its start
    clock.now += 99;
    EXPECT_FALSE(timer.Expired());
    clock.now += 1;
    EXPECT_TRUE(timer.Expired());
}

TEST(StatusDialogTest, PlacedFromTheFullScreenSizeWithoutClamping)
{
    struct Case {
        int width;
        int height;
        DialogOrigin origin;
    };
    for (const Case& c : { Case { 1024, 768, { 312, 284 } }, Case { 1023, 767, { 311, 283 } },
             Case { 300, 150, { -50, -25 } }, Case { 0, 0, { -200, -100 } } }) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(CentredDialogOrigin(c.width, c.height), c.origin);
    }
}

} // namespace
} // namespace gsd

#include "download/HeldFileRetry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/ExchangeRig.h"
#include "fakes/FakeProcesses.h"

namespace gsd {
namespace {

using testing::ExchangeRig;

TEST(HeldFileRetryTest, OnlyAHoldIsWaitedForWithGrowingWaitsUntilTheLimit)
{
    struct Case {
        const char* name;
        std::uint32_t code;
        std::int64_t spentMs;
        int previousWaitMs;
        std::optional<int> wait;
    };
    const std::vector<Case> cases = {
        { "access denied, first retry", 5, 0, 0, 100 },
        { "sharing violation doubles", 32, 150, 100, 200 },
        { "lock violation doubles", 33, 400, 200, 400 },
        { "the wait stops growing at two seconds", 5, 3'000, 1'600, 2'000 },
        { "and stays there", 32, 5'000, 2'000, 2'000 },
        { "the last wait is cut to the limit", 5, 9'100, 2'000, 900 },
        { "no wait once the limit is spent", 5, 10'000, 900, std::nullopt },
        { "file not found is no hold", 2, 0, 0, std::nullopt },
        { "a full disk is no hold", 112, 0, 0, std::nullopt },
        { "no error code", 0, 0, 0, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HeldFileRetryWait(c.code, c.spentMs, c.previousWaitMs), c.wait);
    }
}

TEST(HeldFileRetryTest, TriesAgainAfterEachLoggedWaitUntilFreedRefusedOrCancelled)
{
    struct Case {
        const char* name;
        std::uint32_t code;
        // Tries that fail before one succeeds (negative: all fail).
        int failingTries;
        // What each try itself takes on the clock.
        std::int64_t msPerTry;
        int cancelAfterQuestions;
        bool succeeds;
        std::vector<std::string> sleeps;
    };
    const std::vector<Case> cases = {
        { "a hold that ends during the fifth wait is outlasted", 32, 5, 0, -1, true,
            { "sleep 100", "sleep 200", "sleep 400", "sleep 800", "sleep 1600" } },
        { "a hold past the limit fails after about ten seconds", 5, -1, 0, -1, false,
            { "sleep 100", "sleep 200", "sleep 400", "sleep 800", "sleep 1600", "sleep 2000", "sleep 2000",
                "sleep 2000", "sleep 900" } },
        { "slow tries count against the limit", 5, -1, 3'000, -1, false, { "sleep 100", "sleep 200", "sleep 400" } },
        { "another failure is not retried", 2, -1, 0, -1, false, {} },
        { "cancel during a wait ends the retries", 32, -1, 0, 3, false, { "sleep 100", "sleep 200" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        rig.dialogs.cancelAfterQuestions = c.cancelAfterQuestions;
        const std::unique_ptr<StatusDialog> status = rig.dialogs.OpenStatusDialog();
        rig.journal.clear();
        int tries = 0;
        const std::optional<FileFailure> failure
            = RetryWhileHeld(rig.Services(), status.get(), "Media\\Bricks.mdc", [&]() -> std::optional<FileFailure> {
                  rig.clock.now += c.msPerTry;
                  if (c.failingTries >= 0 && tries++ >= c.failingTries) {
                      return std::nullopt;
                  }
                  return FileFailure { c.code, "held", "C:\\Game\\Temp\\Download.tmp" };
              });

        EXPECT_EQ(!failure.has_value(), c.succeeds);
        EXPECT_EQ(rig.journal, c.sleeps);
        ASSERT_EQ(rig.logLines.size(), c.sleeps.size());
        if (!c.sleeps.empty()) {
            EXPECT_EQ(rig.logLines.front(),
                "file Media\\Bricks.mdc held by another program (error " + std::to_string(c.code)
                    + "), trying again in 100 ms");
        }
    }
}

TEST(HeldFileRetryTest, AProgramStillHeldIsStartedOnceLetGo)
{
    struct Case {
        const char* name;
        std::uint32_t code;
        int startsFailing;
        bool started;
        std::vector<std::string> journal;
    };
    const std::string start = "start Temp\\Download.exe in \"Temp\"";
    const std::vector<Case> cases = {
        { "held for two starts", 32, 2, true, { start, "sleep 100", start, "sleep 200", start } },
        { "missing, not held", 2, -1, false, { start } },
        { "no code from the system", 0, -1, false, { start } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        testing::FakeProcesses processes { rig.journal };
        processes.startFails = true;
        processes.startsFailing = c.startsFailing;
        processes.startFailureCode = c.code;

        const std::unique_ptr<StartedProcess> process
            = StartWhileHeld(rig.Services(), nullptr, processes, "Temp\\Download.exe", "Temp");

        EXPECT_EQ(process != nullptr, c.started);
        EXPECT_EQ(rig.journal, c.journal);
    }
}

} // namespace
} // namespace gsd

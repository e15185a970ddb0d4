#include "download/HeldFileRetry.h"

#include <algorithm>

#include "shell/SupportLogLines.h"

namespace gsd {

bool IsHeldFileError(std::uint32_t code)
{
    constexpr std::uint32_t AccessDenied = 5;
    constexpr std::uint32_t SharingViolation = 32;
    constexpr std::uint32_t LockViolation = 33;
    return code == AccessDenied || code == SharingViolation || code == LockViolation;
}

std::optional<int> HeldFileRetryWait(std::uint32_t code, std::int64_t spentMs, int previousWaitMs)
{
    if (!IsHeldFileError(code) || spentMs >= HeldFileRetryLimitMs) {
        return std::nullopt;
    }
    const int wanted = previousWaitMs <= 0 ? HeldFileFirstWaitMs : std::min(previousWaitMs * 2, HeldFileLongestWaitMs);
    return static_cast<int>(std::min<std::int64_t>(wanted, HeldFileRetryLimitMs - spentMs));
}

namespace {

std::int64_t MillisecondsSince(const MonotonicClock& clock, std::int64_t start)
{
    const std::int64_t perSecond = clock.TicksPerSecond();
    return perSecond > 0 ? (clock.Ticks() - start) * 1000 / perSecond : 0;
}

bool CancelPressed(const StatusDialog* status)
{
    return status != nullptr && status->CancelRequested();
}

} // namespace

std::optional<FileFailure> RetryWhileHeld(const ExchangeServices& exchange, const StatusDialog* status,
    std::string_view shownFile, const std::function<std::optional<FileFailure>()>& operation)
{
    const std::int64_t start = exchange.clock.Ticks();
    // Waits are counted as well as timed, so that a clock that stands still
    // cannot keep the retries going.
    std::int64_t waited = 0;
    int previousWait = 0;
    while (true) {
        std::optional<FileFailure> failure = operation();
        if (!failure) {
            return failure;
        }
        const std::int64_t spent = std::max(MillisecondsSince(exchange.clock, start), waited);
        const std::optional<int> wait = HeldFileRetryWait(failure->code, spent, previousWait);
        if (!wait || CancelPressed(status)) {
            return failure;
        }
        if (exchange.log != nullptr) {
            exchange.log->Write(HeldFileRetryLogLine(shownFile, failure->code, *wait));
        }
        exchange.sleeper.Sleep(*wait);
        waited += *wait;
        previousWait = *wait;
        if (CancelPressed(status)) {
            return failure;
        }
    }
}

std::unique_ptr<StartedProcess> StartWhileHeld(const ExchangeServices& exchange, const StatusDialog* status,
    Processes& processes, std::string_view program, std::optional<std::string_view> workingFolder)
{
    std::unique_ptr<StartedProcess> started;
    RetryWhileHeld(exchange, status, program, [&]() -> std::optional<FileFailure> {
        started = processes.Start(program, workingFolder);
        if (started) {
            return std::nullopt;
        }
        return FileFailure { processes.StartFailureCode(), {}, std::string(program) };
    });
    return started;
}

} // namespace gsd

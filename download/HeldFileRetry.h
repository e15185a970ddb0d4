// Riding out another program's short hold on a file this program installs:
// scanners open every new file, and programs above all, for a moment, and
// the system then refuses to move, replace, delete or start it. Such a
// refusal is tried again after a wait that grows, for a bounded time, while
// the windows answer and Cancel is honoured.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "ports/GameFiles.h"
#include "ports/Processes.h"
#include "ports/StatusDialog.h"
#include "protocol/ServerExchange.h"

namespace gsd {

// The longest a hold is waited for, in all, and the first and the longest
// single wait, in milliseconds.
inline constexpr std::int64_t HeldFileRetryLimitMs = 10'000;
inline constexpr int HeldFileFirstWaitMs = 100;
inline constexpr int HeldFileLongestWaitMs = 2'000;

// Whether the system's error `code` says someone else holds the file:
// access denied (5), a sharing violation (32) or a lock violation (33).
bool IsHeldFileError(std::uint32_t code);

// The wait before the next try of an operation that failed with `code`,
// `spentMs` after its first try, the previous wait having been
// `previousWaitMs` (0 before the first retry): the first wait, then each
// twice the one before up to the longest, cut to what is left of the limit.
// nullopt when the failure is not a hold or the limit is spent.
std::optional<int> HeldFileRetryWait(std::uint32_t code, std::int64_t spentMs, int previousWaitMs);

// Runs `operation` until it succeeds, fails for another reason than a hold,
// the limit is spent, or `status` (may be null) has Cancel pressed; returns
// its last failure (nullopt on success). Each wait is logged, naming
// `shownFile`, and spent with `exchange.sleeper`, which keeps the windows
// answering. A caller tells a cancelled run from a failed one by asking
// `status`.
std::optional<FileFailure> RetryWhileHeld(const ExchangeServices& exchange, const StatusDialog* status,
    std::string_view shownFile, const std::function<std::optional<FileFailure>()>& operation);

// Starts `program` as Processes::Start does, riding out a hold on it as
// RetryWhileHeld does: the system starts no program file that another
// program still holds open for writing.
std::unique_ptr<StartedProcess> StartWhileHeld(const ExchangeServices& exchange, const StatusDialog* status,
    Processes& processes, std::string_view program, std::optional<std::string_view> workingFolder);

} // namespace gsd

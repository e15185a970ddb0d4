#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <utility>

namespace gsd::e2e {

using std::chrono::milliseconds;

// Generous enough for the first program start in a fresh Wine prefix, which
// also starts the prefix's desktop process.
inline constexpr milliseconds kDefaultTimeout { 15000 };

// How often conditions are polled. Short, because every test waits on them.
inline constexpr milliseconds kPollInterval { 10 };

// Polls probe() until it yields a value that converts to true, or until
// timeout has passed; probe runs at least once. Returns the last value, so
// a pointer-, optional- or bool-returning probe gives "found or not".
template <typename Probe> auto WaitFor(Probe&& probe, milliseconds timeout = kDefaultTimeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto value = probe();
        if (value || std::chrono::steady_clock::now() >= deadline)
            return value;
        Sleep(static_cast<DWORD>(kPollInterval.count()));
    }
}

// Polls pred() until it is true; false if it still was not after timeout.
template <typename Pred> bool WaitUntil(Pred&& pred, milliseconds timeout = kDefaultTimeout)
{
    return WaitFor([&] { return static_cast<bool>(pred()); }, timeout);
}

} // namespace gsd::e2e

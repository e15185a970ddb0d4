#include "platform/WinInetWorkerCall.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <string>

#include "platform/Handles.h"
#include "platform/MessageWait.h"
#include "platform/Win32SupportLog.h"
#include "platform/WorkerThread.h"

namespace gsd {
namespace {

constexpr DWORD LongestReleaseWaitMs = 1000;
// Calls given up that may still be blocked at once; beyond it no call is
// started. WinINet's time-outs end a blocked call, except a TLS handshake
// under Wine, which nothing ends: each such call keeps its thread and
// socket until the program ends.
constexpr int MostGivenUpCalls = 8;

enum class Phase { Running, Ended, GivenUp };

// Shared by the caller and the worker; the last of them frees it.
struct CallState {
    std::function<InternetError()> call;
    InternetError result = NoInternetError;
    unique_handle done { ::CreateEventA(nullptr, TRUE, FALSE, nullptr) };
    // Whichever of the worker's end and the caller's giving up comes first.
    std::atomic<Phase> phase { Phase::Running };
    ULONGLONG givenUpAt = 0;
};

// Calls given up and not ended yet.
std::atomic<int> givenUpCalls { 0 };

void LogGivenUpCalls(const std::string& what, int stillBlocked)
{
    Win32SupportLog().Write(what + "; " + std::to_string(stillBlocked) + " call(s) given up still blocked");
}

// Starts the worker; false when no thread could be had.
bool StartWorker(const std::shared_ptr<CallState>& state)
{
    if (!state->done) {
        return false;
    }
    return static_cast<bool>(StartWorkerThread([state] {
        // Set however the call ends, so that its waiter never waits for a
        // call that has gone; a call that throws has failed.
        struct Ended {
            CallState& state;
            ~Ended()
            {
                // What the call captured goes here, on this thread, before
                // the caller hears of the end: when the caller has given
                // up, this closes the handles that only the call still held.
                state.call = nullptr;
                if (state.phase.exchange(Phase::Ended) == Phase::GivenUp) {
                    LogGivenUpCalls("a server call given up "
                            + std::to_string((::GetTickCount64() - state.givenUpAt) / 1000) + " s ago has ended",
                        --givenUpCalls);
                }
                ::SetEvent(state.done.get());
            }
        } ended { *state };
        state->result = ERROR_INTERNET_INTERNAL_ERROR;
        state->result = state->call();
    }));
}

} // namespace

InternetError CallOnWorker(std::function<InternetError()> call, ServerWaiter& waiter)
{
    if (const int blocked = givenUpCalls.load(); blocked >= MostGivenUpCalls) {
        LogGivenUpCalls("a server call was not started", blocked);
        return ERROR_INTERNET_TIMEOUT;
    }
    auto state = std::make_shared<CallState>();
    state->call = std::move(call);
    if (!StartWorker(state)) {
        InternetError result = state->call();
        state->call = nullptr;
        return result;
    }
    const HANDLE done = state->done.get();
    const WaitResult waited
        = WaitHandlingMessages({ &done, 1 }, nullptr, INFINITE, [&waiter] { return waiter.KeepWaiting(); });
    if (waited.end == WaitEnd::Signalled) {
        return state->result;
    }
    state->givenUpAt = ::GetTickCount64();
    Phase running = Phase::Running;
    if (!state->phase.compare_exchange_strong(running, Phase::GivenUp)) {
        // It ended meanwhile and is taken as ended: what it opened is then
        // the caller's, closed away from this thread, and never left to a
        // worker that has already gone.
        ::WaitForSingleObject(done, INFINITE);
        return state->result;
    }
    LogGivenUpCalls("a server call was given up while blocked", ++givenUpCalls);
    return WaitGivenUp;
}

void ReleaseOnWorker(std::shared_ptr<const void> owned)
{
    if (!owned) {
        return;
    }
    auto state = std::make_shared<CallState>();
    state->call = [held = std::move(owned)]() mutable {
        held.reset();
        return NoInternetError;
    };
    if (!StartWorker(state)) {
        state->call();
        state->call = nullptr;
        return;
    }
    // Answers only messages sent to this thread's windows: posted ones stay
    // queued for the message loop.
    const HANDLE done = state->done.get();
    WaitHandlingMessages({ &done, 1 }, nullptr, LongestReleaseWaitMs, {}, WakeFor::SentMessages);
}

} // namespace gsd

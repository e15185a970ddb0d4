#include "platform/WinInetWorkerCall.h"

#include <windows.h>

#include "platform/Handles.h"
#include "platform/SentMessages.h"

namespace gsd {
namespace {

constexpr DWORD WaitSliceMs = 100;
constexpr DWORD LongestReleaseWaitMs = 1000;

// Shared by the caller and the worker; the last of them frees it.
struct CallState {
    std::function<InternetError()> call;
    InternetError result = NoInternetError;
    unique_handle done { ::CreateEventA(nullptr, TRUE, FALSE, nullptr) };
};

DWORD WINAPI CallMain(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<CallState>> owned(static_cast<std::shared_ptr<CallState>*>(parameter));
    CallState& state = **owned;
    state.result = state.call();
    // What the call captured goes here, on this thread, before the caller
    // hears of the end: when the caller has given up, this closes the
    // handles that only the call still held.
    state.call = nullptr;
    ::SetEvent(state.done.get());
    return 0;
}

// Starts the worker; false when no thread could be had.
bool StartWorker(const std::shared_ptr<CallState>& state)
{
    if (!state->done) {
        return false;
    }
    auto* threadState = new std::shared_ptr<CallState>(state);
    const unique_handle thread(::CreateThread(nullptr, 0, &CallMain, threadState, 0, nullptr));
    if (!thread) {
        delete threadState;
        return false;
    }
    return true;
}

} // namespace

InternetError CallAwayFromWindows(std::function<InternetError()> call, ServerWaiter& waiter)
{
    auto state = std::make_shared<CallState>();
    state->call = std::move(call);
    if (!StartWorker(state)) {
        InternetError result = state->call();
        state->call = nullptr;
        return result;
    }
    HANDLE done = state->done.get();
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &done, FALSE, WaitSliceMs, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            return state->result;
        }
        if (!waiter.KeepWaiting()) {
            // A call that ended meanwhile is taken as ended: what it opened
            // is then the caller's, closed away from this thread, and never
            // left to a worker that has already gone.
            if (::WaitForSingleObject(done, 0) == WAIT_OBJECT_0) {
                return state->result;
            }
            return WaitGivenUp;
        }
    }
}

void ReleaseAwayFromWindows(std::shared_ptr<const void> owned)
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
    // Waits only for messages sent to this thread's windows (answered inside
    // PeekMessage): posted ones stay queued for the message loop.
    HANDLE done = state->done.get();
    const ULONGLONG deadline = ::GetTickCount64() + LongestReleaseWaitMs;
    for (ULONGLONG now = ::GetTickCount64(); now < deadline; now = ::GetTickCount64()) {
        const DWORD woke = ::MsgWaitForMultipleObjects(
            1, &done, FALSE, static_cast<DWORD>(deadline - now), QS_SENDMESSAGE);
        if (woke != WAIT_OBJECT_0 + 1) {
            return;
        }
        AnswerSentMessages();
    }
}

} // namespace gsd

#include "platform/MessageWait.h"

#include <algorithm>
#include <optional>

#include "platform/SentMessages.h"
#include "platform/WindowThread.h"

namespace gsd {
namespace {

// Waits running on this thread, one inside another when a message handled
// in one starts work of its own.
thread_local int waitsRunning = 0;
thread_local std::optional<int> keptQuit;

class WaitRunning {
public:
    WaitRunning() { ++waitsRunning; }
    ~WaitRunning()
    {
        if (--waitsRunning == 0 && keptQuit) {
            ::PostQuitMessage(*keptQuit);
            keptQuit.reset();
        }
    }
    WaitRunning(const WaitRunning&) = delete;
    WaitRunning& operator=(const WaitRunning&) = delete;
};

void HandleMessages(MessagePump* pump)
{
    if (pump != nullptr) {
        pump->HandlePendingMessages();
    } else {
        AnswerSentMessages();
    }
}

} // namespace

bool KeepQuitForWaitEnd(int exitCode)
{
    if (waitsRunning == 0) {
        return false;
    }
    keptQuit = exitCode;
    return true;
}

WaitResult WaitHandlingMessages(std::span<const HANDLE> handles, MessagePump* pump, DWORD limitMs,
    const std::function<bool()>& keepWaiting, WakeFor wake)
{
    CheckWindowThread("WaitHandlingMessages");
    const WaitRunning running;
    const auto count = static_cast<DWORD>(handles.size());
    if (count >= MAXIMUM_WAIT_OBJECTS) {
        return { WaitEnd::Failed };
    }
    const DWORD wakeMask = wake == WakeFor::AllMessages ? QS_ALLINPUT : QS_SENDMESSAGE;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD slice = MessageWaitSliceMs;
        if (limitMs != INFINITE) {
            const ULONGLONG spent = ::GetTickCount64() - start;
            if (spent >= limitMs) {
                return { WaitEnd::TimedOut };
            }
            slice = static_cast<DWORD>(std::min<ULONGLONG>(slice, limitMs - spent));
        }
        // Only messages that arrive after the last look wake it, so one left
        // in the queue never turns the wait into a busy loop; those already
        // waiting when it began are handled at the end of the first slice.
        const DWORD woke
            = ::MsgWaitForMultipleObjects(count, count > 0 ? handles.data() : nullptr, FALSE, slice, wakeMask);
        if (woke < WAIT_OBJECT_0 + count) {
            return { WaitEnd::Signalled, woke - WAIT_OBJECT_0 };
        }
        if (woke >= WAIT_ABANDONED_0 && woke < WAIT_ABANDONED_0 + count) {
            return { WaitEnd::Signalled, woke - WAIT_ABANDONED_0 };
        }
        if (woke == WAIT_FAILED) {
            return { WaitEnd::Failed };
        }
        HandleMessages(pump);
        if (keepWaiting && !keepWaiting()) {
            return { WaitEnd::Stopped };
        }
    }
}

} // namespace gsd

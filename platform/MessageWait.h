// The one way the window thread waits while work goes on, and the list of
// every place where it handles window messages before that work is done.
//
// While the thread waits, its windows answer: a click, a second pass or a
// close can arrive. These are all the places, and why entering the program
// again there is safe:
//
// - Work on a worker (platform/OnWorker.h: flushing, moving and deleting
//   files, the installer's signature check, asking the game to close,
//   starting a program), a pause between exchanges (`PumpingSleeper`), the
//   wait for a started installer to end (`StartedProcess::WaitForExit`) and
//   hashing the recorded media files (`Win32InstalledFiles`). Every message
//   is handled. They run only inside the start-up, a download pass or a
//   verify, and each of those holds `PassRunning` (download/PassRunning.h):
//   a press of the download button or the window menu's verify is refused
//   and logged, and a close is noted and acted on once the work has
//   stopped; a pass takes it as a Cancel of the current item. During a pass
//   the main dialog and its button are disabled as well (`SetBusy`).
// - Server calls and the reading of a reply (`CallOnWorker`,
//   `ReplyReadAhead`): the exchange's waiter handles the messages
//   (`ExchangeWatch`), inside the same start-up and passes.
// - Letting go of a session's handles (`ReleaseOnWorker`), the engine's
//   reading pass between two packs, the main dialog's gathered repaints
//   while rows are rewritten, and a status dialog going away: only messages
//   sent by other threads are answered (platform/SentMessages.h). No input
//   reaches a window and nothing posted is taken, so nothing is entered
//   again.
// - Message boxes, the connection question and the proxy sign-in shown
//   during work: their own modal loops, owned by the main dialog (disabled,
//   or not yet shown during the start-up), inside the same start-up and
//   passes.
// - The window menu's About box, should its command be posted during work:
//   a modal loop of its own inside the wait. The work goes on only once it
//   is closed, and enters nothing meanwhile.
//
// A quit request taken from the queue during a wait is kept and posted
// again when the outermost wait ends, for the loop that owns it: posted at
// once, it would wake the wait again and again.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <span>

#include "ports/MessagePump.h"

namespace gsd {

// How often a wait wakes by itself to ask whether to go on.
inline constexpr DWORD MessageWaitSliceMs = 100;

enum class WaitEnd {
    // One of the handles was signalled.
    Signalled,
    // The limit passed first.
    TimedOut,
    // The wait's own question said to stop.
    Stopped,
    // The system could not wait on the handles.
    Failed,
};

struct WaitResult {
    WaitEnd end = WaitEnd::Failed;
    // Of the handle signalled.
    std::size_t index = 0;
};

// What wakes a wait besides its handles.
enum class WakeFor {
    // Every message: posted ones too.
    AllMessages,
    // Messages sent by other threads only; posted ones stay in the queue.
    SentMessages,
};

// Waits on the window thread until one of `handles` is signalled (none: until
// the limit), handling messages meanwhile: every message that wakes it goes
// to `pump`; without one, messages sent by other threads are answered and
// posted ones stay in the queue, unless `keepWaiting` handles them itself.
// `keepWaiting` is asked after the messages of every wake and at least
// every MessageWaitSliceMs; false ends the wait.
WaitResult WaitHandlingMessages(std::span<const HANDLE> handles, MessagePump* pump, DWORD limitMs = INFINITE,
    const std::function<bool()>& keepWaiting = {}, WakeFor wake = WakeFor::AllMessages);

// For the message pump: true when a wait runs on this thread, which then
// keeps `exitCode`'s quit request for its end.
bool KeepQuitForWaitEnd(int exitCode);

} // namespace gsd

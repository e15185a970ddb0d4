// A WinINet call that may wait for the server, run on a worker: the calling
// thread (the program's window thread) asks its waiter, which handles the
// windows' messages, whether to go on.
//
// A call given up is never waited for: it keeps running on its thread with
// everything it captured, which it owns (shared ownership), and releases all
// of it, handles included, whenever WinINet returns, however late. Its result
// is then dropped. Under Wine, closing a handle from another thread does not
// end a blocked InternetOpenUrlA or HttpSendRequestA, so giving up is the
// only end the caller can count on; the process can end meanwhile.
#pragma once

#include <functional>
#include <memory>

#include "ports/HttpClient.h"

namespace gsd {

// Runs `call` on a worker thread and returns its error once it returns, or
// WaitGivenUp as soon as `waiter` gives up (asked whenever a message
// arrives and at least every MessageWaitSliceMs while the call runs). A call that
// ends just as its waiter gives up is taken as ended. `call` must own (by
// value or shared pointer) everything it touches. Without a thread to
// spare, runs it here. While too many calls given up are still blocked,
// starts nothing and returns ERROR_INTERNET_TIMEOUT.
InternetError CallOnWorker(std::function<InternetError()> call, ServerWaiter& waiter);

// Lets go of `owned` on a worker thread, so that closing the handles it may
// be the last owner of never blocks the window thread for long: waits up to
// a second for it while answering messages sent to the thread's windows,
// then leaves it to the worker.
void ReleaseOnWorker(std::shared_ptr<const void> owned);

} // namespace gsd

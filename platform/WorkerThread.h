// The one way this program starts a thread of its own.
#pragma once

#include <functional>

#include "platform/Handles.h"

namespace gsd {

// Starts `work` on a new thread. Whatever `work` throws is caught at the
// thread's entry and written to the support log, and the thread ends as if
// `work` had returned; nothing of it reaches the system, which would end the
// program. Returns the thread's handle, which can be waited for (closing it
// leaves the thread running); null when no thread could be had, and `work`
// has not run then.
unique_handle StartWorkerThread(std::function<void()> work);

} // namespace gsd

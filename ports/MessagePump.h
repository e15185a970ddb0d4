// Handling the program's pending window messages while its one thread is
// busy (a transfer, an exchange, a running installer), so that its windows
// keep painting and answering. The Win32 adapter peeks and dispatches; tests
// count the calls.
#pragma once

namespace gsd {

class MessagePump {
public:
    virtual ~MessagePump() = default;

    // Handles every message waiting for the thread's windows, then returns;
    // never waits for a message.
    virtual void HandlePendingMessages() = 0;
};

} // namespace gsd

// The MessagePump port: peeks and dispatches the thread's pending messages,
// with dialog keyboard handling, and keeps a quit request for the loop that
// owns it.
#pragma once

#include "ports/MessagePump.h"

namespace gsd {

class Win32MessagePump final : public MessagePump {
public:
    void HandlePendingMessages() override;
};

} // namespace gsd

// The pause after a good server reply. The program links the real one
// (PauseAfterReply.cpp); the start-up benchmark links one that does not
// wait, so the pauses' share of the start-up can be told apart.
#pragma once

#include <memory>

#include "ports/MessagePump.h"
#include "ports/Sleeper.h"

namespace gsd {

// The pause handles the thread's messages through `pump` while it lasts;
// `pump` must outlive the pause.
std::unique_ptr<Sleeper> MakePauseAfterReply(MessagePump& pump);

} // namespace gsd

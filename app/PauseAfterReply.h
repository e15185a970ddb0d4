// The pause after a good server reply. The program links the real one
// (PauseAfterReply.cpp); the start-up benchmark links one that does not
// wait, so the pauses' share of the start-up can be told apart.
#pragma once

#include <memory>

#include "ports/Sleeper.h"

namespace gsd {

std::unique_ptr<Sleeper> MakePauseAfterReply();

} // namespace gsd

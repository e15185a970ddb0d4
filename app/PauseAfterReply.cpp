#include "app/PauseAfterReply.h"

#include "platform/Win32Timing.h"

namespace gsd {

std::unique_ptr<Sleeper> MakePauseAfterReply()
{
    return std::make_unique<Win32Sleeper>();
}

} // namespace gsd

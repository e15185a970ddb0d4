#include "app/PauseAfterReply.h"

#include "platform/OnWorker.h"

namespace gsd {

std::unique_ptr<Sleeper> MakePauseAfterReply(MessagePump& pump)
{
    return std::make_unique<PumpingSleeper>(pump);
}

} // namespace gsd

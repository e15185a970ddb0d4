// Linked into SecureDownloadNoPause instead of the program's pause after a
// good reply.
#include "app/PauseAfterReply.h"

namespace gsd {
namespace {

class NoPause final : public Sleeper {
public:
    void Sleep(int) override { }
};

} // namespace

std::unique_ptr<Sleeper> MakePauseAfterReply(MessagePump&)
{
    return std::make_unique<NoPause>();
}

} // namespace gsd

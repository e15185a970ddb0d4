#include "app/MediaChecks.h"

namespace gsd {

MediaChecks::MediaChecks(ServerStages& server, MainDialogState& state, SupportLog& log)
    : server_(server)
    , state_(state)
    , log_(log)
    , records_(HKEY_LOCAL_MACHINE, InstalledMediaKey, true)
    , files_(pump_)
{
}

MediaCheckServices MediaChecks::Services()
{
    return MediaCheckServices { records_, files_, server_.Window(), server_.Services().dialogs, &log_, state_ };
}

void MediaChecks::QuickLook()
{
    foundAtStart_ = QuickLookAtStart(Services());
}

void MediaChecks::OfferRepairs()
{
    OfferRepairsAtStart(Services(), foundAtStart_);
}

void MediaChecks::Verify()
{
    VerifyGameFiles(Services(), [this] { return server_.RequestDownloadList(); });
}

} // namespace gsd

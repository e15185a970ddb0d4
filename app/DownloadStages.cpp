#include "app/DownloadStages.h"

#include "download/DownloadRecords.h"
#include "download/DownloadSelections.h"
#include "download/InstallDownloadedFile.h"

namespace gsd {

DownloadStages::DownloadStages(
    ServerStages& server, MainDialogState& state, MediaEngine& engine, MediaFolder& mediaFolder, OptionsFile& options)
    : server_(server)
    , state_(state)
    , engine_(engine)
    , mediaFolder_(mediaFolder)
    , options_(options)
{
}

DownloadServices DownloadStages::Services()
{
    return DownloadServices { server_.Services(), files_, processes_, game_, records_, engine_, mediaFolder_, options_,
        state_ };
}

void DownloadStages::DownloadSelections()
{
    gsd::DownloadSelections(Services());
}

void DownloadStages::RemoveFinishedInstaller()
{
    files_.Delete(InstallerPath);
}

void DownloadStages::ReselectRecordedItems()
{
    gsd::ReselectRecordedItems(records_, server_.Window());
}

} // namespace gsd

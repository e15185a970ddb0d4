#include "app/DownloadStages.h"

#include "download/DownloadRecords.h"
#include "download/DownloadSelections.h"
#include "download/InstallDownloadedFile.h"
#include "download/InstallerName.h"
#include "download/InstallerTrust.h"

namespace gsd {

DownloadStages::DownloadStages(
    ServerStages& server, MainDialogState& state, MediaEngine& engine, MediaFolder& mediaFolder, OptionsFile& options)
    : server_(server)
    , state_(state)
    , engine_(engine)
    , mediaFolder_(mediaFolder)
    , options_(options)
    , filesOnWorker_(files_, server.Services().pump)
    , gameOnWorker_(game_, server.Services().pump)
    , processesOnWorker_(processes_, server.Services().pump)
{
}

DownloadServices DownloadStages::Services()
{
    // The build pins the keys of the game publisher's code-signing
    // certificates; only installers they signed are started.
    return DownloadServices { server_.Services(), filesOnWorker_, processesOnWorker_, signatures_,
        PublisherKeyList(GSD_DOWNLOAD_PUBLISHER_KEYS), gameOnWorker_, records_, engine_, mediaFolder_, options_, state_,
        installedMedia_, installedFiles_ };
}

void DownloadStages::DownloadSelections()
{
    gsd::DownloadSelections(Services());
}

void DownloadStages::RemoveFinishedInstaller()
{
    RemoveInstallerLeftovers(files_);
}

void DownloadStages::RecordInstalledMedia(RecordStore& records, InstalledFiles& files)
{
    installedMedia_ = &records;
    installedFiles_ = &files;
}

void DownloadStages::ReselectRecordedItems()
{
    gsd::ReselectRecordedItems(records_, server_.Window());
}

} // namespace gsd

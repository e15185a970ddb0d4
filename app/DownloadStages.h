// The main dialog's download work: the download button and the reselection
// of recorded rows at start-up, on the Win32 adapters of the registry, the
// game folder's files, processes, installer signatures and the running game.
#pragma once

#include "app/ServerStages.h"
#include "download/DownloadServices.h"
#include "platform/OnWorker.h"
#include "platform/Win32GameFiles.h"
#include "platform/Win32InstallerSignatures.h"
#include "platform/Win32Processes.h"
#include "platform/Win32RecordStore.h"
#include "platform/Win32RunningGame.h"

namespace gsd {

class DownloadStages {
public:
    // Everything given must outlive this object; `server` supplies the
    // exchange's services (HTTP, dialogs, clock, message pump).
    DownloadStages(ServerStages& server, MainDialogState& state, MediaEngine& engine, MediaFolder& mediaFolder,
        OptionsFile& options);

    DownloadStages(const DownloadStages&) = delete;
    DownloadStages& operator=(const DownloadStages&) = delete;

    // The download button.
    void DownloadSelections();
    // Start-up: the rows of the download records selected again.
    void ReselectRecordedItems();
    // Start-up: deletes the installer a program upgrade left in
    // "Temp\Download.exe" (it started this build and is done by now), and
    // the installers renamed away while held (RemoveInstallerLeftovers).
    // One still running is refused by the system and stays for a later start.
    void RemoveFinishedInstaller();
    // Where each media file installed from now on is recorded; both must
    // outlive this object.
    void RecordInstalledMedia(RecordStore& records, InstalledFiles& files);

private:
    DownloadServices Services();

    ServerStages& server_;
    MainDialogState& state_;
    MediaEngine& engine_;
    MediaFolder& mediaFolder_;
    OptionsFile& options_;
    Win32RecordStore records_;
    RecordStore* installedMedia_ = nullptr;
    InstalledFiles* installedFiles_ = nullptr;
    Win32GameFiles files_;
    Win32Processes processes_;
    Win32InstallerSignatures signatures_;
    Win32RunningGame game_;
    // The flush and move of a large file, the wait for the game's answer and
    // the start of an installer leave the window thread free to handle its
    // messages.
    GameFilesOnWorker filesOnWorker_;
    RunningGameOnWorker gameOnWorker_;
    ProcessesOnWorker processesOnWorker_;
};

} // namespace gsd

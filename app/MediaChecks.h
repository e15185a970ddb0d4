// The main dialog's checks of the media files the program installed, on
// their records' registry key and the game folder's files: the quick look
// of a start and "Verify game files..." from the window menu.
#pragma once

#include "app/ServerStages.h"
#include "download/VerifyGameFiles.h"
#include "platform/Win32InstalledFiles.h"
#include "platform/Win32RecordStore.h"

namespace gsd {

class MediaChecks {
public:
    // Everything given must outlive this object; `server` supplies the main
    // window, the status dialog and the download-list request.
    MediaChecks(ServerStages& server, MainDialogState& state, SupportLog& log);

    MediaChecks(const MediaChecks&) = delete;
    MediaChecks& operator=(const MediaChecks&) = delete;

    // Start-up, before the inventory report is built.
    void QuickLook();
    // Start-up, once both lists are filled and the recorded rows selected.
    void OfferRepairs();
    // The window menu's "Verify game files...".
    void Verify();

    // Where the download records what it installed.
    RecordStore& Records() { return records_; }
    InstalledFiles& Files() { return files_; }

private:
    MediaCheckServices Services();

    ServerStages& server_;
    MainDialogState& state_;
    SupportLog& log_;
    Win32MessagePump pump_;
    Win32RecordStore records_;
    Win32InstalledFiles files_;
    CheckOutcome foundAtStart_;
};

} // namespace gsd

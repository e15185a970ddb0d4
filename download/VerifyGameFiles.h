// The checks of the installed media files as the main dialog runs them: the
// quick look before the inventory report of every start, with its one
// message once the lists are filled, and "Verify game files..." from the
// window menu.
#pragma once

#include <functional>

#include "download/MediaCheck.h"
#include "ports/InstalledFiles.h"
#include "ports/MainWindow.h"
#include "ports/RecordStore.h"
#include "ports/StatusDialog.h"
#include "ports/SupportLog.h"
#include "shell/MainDialogState.h"

namespace gsd {

struct MediaCheckServices {
    // The records of the installed media files.
    RecordStore& records;
    InstalledFiles& files;
    MainWindow& window;
    ServerDialogs& dialogs;
    SupportLog* log;
    // Its DamagedMediaFiles is what the next inventory report gives as
    // version 0|0|0.
    MainDialogState& state;
};

// Before the inventory report of a start: the quick look, whose damaged
// files the report then gives as 0|0|0. Returns what it found, for
// OfferRepairsAtStart.
CheckOutcome QuickLookAtStart(const MediaCheckServices& services);

// Once both lists are filled at a start: the rows of the damaged files the
// server offers are selected, and the files found damaged or missing at
// this start, if any, are named in one message (caption "Notice").
void OfferRepairsAtStart(const MediaCheckServices& services, const CheckOutcome& found);

// "Verify game files...": a pass of its own, ignored while another runs;
// a close asked during it cancels it and then ends the dialog. It reads
// every recorded file while the status dialog shows the bytes read and
// offers Cancel, the main dialog taking no input meanwhile. A cancelled verify ends there, asking and changing nothing.
// Otherwise one message says how many files were checked and names those
// damaged or missing; when there are any, `requestDownloadList` asks the
// server for its list again with the new report (showing its own errors),
// and when it succeeds the server's list is cleared, refilled and the rows
// of the damaged files it offers are selected.
void VerifyGameFiles(const MediaCheckServices& services, const std::function<bool()>& requestDownloadList);

} // namespace gsd

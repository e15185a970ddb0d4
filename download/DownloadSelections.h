// The download button: the user's selection recorded, program upgrades
// first, then every recorded item fetched and installed, the lists kept
// current, and the offer to start the game.
#pragma once

#include <string_view>

#include "download/DownloadServices.h"

namespace gsd {

// The click handler of the download button. With no server row selected it
// says so (on-download text 10) and stops; then asks (text 7) and stops on
// anything but Yes. Otherwise, with the main window busy until it returns:
// asks a running game to close (going on when it does not answer), records
// the selection, offers every program upgrade first (text 8; No: text 9 and
// stop, the records kept for the next start) and fetches the recorded
// items. A press while a pass runs (a click that reaches the button while
// the windows answer during the pass) is ignored. A close asked during the
// pass (CloseDuringPass) ends it after the current item, without another
// question, and then ends the dialog.
void DownloadSelections(const DownloadServices& services);

// Called for a request to close the main dialog. While a pass runs: the
// request is noted and true; it cancels the current item (nothing of it is
// installed or started, its record stays), the items not yet fetched stay
// recorded for the next press or start, and the pass ends the dialog. False
// when no pass runs: the dialog closes as usual.
bool CloseDuringPass(MainDialogState& state);

// Whether the download list offers a program upgrade that can be fetched:
// the first line of kind 4 (before the first empty line) has a file name.
// A nameless first one hides any later upgrade, so the offer cannot come
// back for a line that can never be retired.
bool HasProgramUpgrade(std::string_view downloadListText);

// Fetches the program upgrades in list order until none is left (or one
// ends the program). Each item, fetched or not, is retired; after a success
// the "My Computer" list is rebuilt, after a failure a fixed notice says
// the pass goes on; after a close asked meanwhile it stops at once. Ends
// with the closing step: when the server's list has
// no row left, the placeholder row, the button disabled and, when an item
// failed, on-download text 13.
void DownloadProgramUpgrades(const DownloadServices& services);

// Fetches the recorded items in record order, each retired whether it
// succeeded or not (on-download text 11 after a failure), then on-download
// text 12 (all processed), or text 13 (some failed) when `unrecorded`
// selected rows had no record and so were not fetched, the closing step,
// and on-download text 14: Yes starts the game from the game folder and
// ends the dialog; after a close asked meanwhile it stops at once, without
// another word. A record the store refuses to delete is fetched once and
// then passed over, so the pass ends; the user is told once.
void DownloadRecordedItems(const DownloadServices& services, int unrecorded);

} // namespace gsd

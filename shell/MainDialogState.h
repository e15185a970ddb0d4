// The state that lives as long as the main dialog: the server's download list
// and the localised texts that every later message is taken from.
#pragma once

#include <set>
#include <string>

namespace gsd {

struct MainDialogState {
    // The server's download list as received (lines separated by CR LF);
    // changed in place as items are processed. Empty until it has arrived.
    std::string DownloadListText;

    // "|"-separated information-and-error texts; empty until the texts load.
    std::string InfoAndErrorTexts;

    // "|"-separated texts used around downloads; empty until the texts load.
    std::string OnDownloadTexts;

    // The media files this program installed whose bytes are no longer
    // those it installed (names in the Media folder, "Bricks.mdc"): the
    // inventory report gives them as version 0|0|0 until they are installed
    // again.
    std::set<std::string> DamagedMediaFiles;

    // How the run ends when the program ends it (RunEndLogLine's `how`):
    // the game started, a failure at start-up. Empty otherwise.
    std::string RunEnding;

    // A download pass runs: from the download button's first question to
    // the pass's end. No second pass starts inside it, however the press
    // arrives.
    bool PassRunning = false;

    // The player asked to close the dialog while the pass ran: the current
    // item is cancelled, the pass stops after it and then ends the dialog.
    bool CloseAsked = false;
};

} // namespace gsd

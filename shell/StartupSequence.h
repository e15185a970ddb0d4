// The main dialog's start-up, from creating the engine system to the final
// repaint, in its fixed order:
//   engine system, interface texts, connection check, host authentication,
//   download list, local and server lists, reselection of recorded items,
//   one run of the engine system and a repaint.
// A failed engine step posts a close request and start-up goes on (an engine
// that could not be reached at all is explained first); a failed
// server step sends a close request and skips the rest of the server and list
// steps. Stages that a build does not provide yet are simply left out.
#pragma once

#include <functional>
#include <string>

#include "ports/MainWindow.h"
#include "ports/MediaEngine.h"

namespace gsd {

struct StartupStages {
    std::function<void()> LoadInterfaceTexts;
    std::function<bool()> CheckServerConnection;
    std::function<bool()> AuthenticateHost;
    std::function<bool()> RequestDownloadList;
    std::function<void()> FillLocalList;
    std::function<void()> FillServerList;
    std::function<void()> ReselectRecordedItems;
    // The message shown when the server fails to prove who it is; read after
    // the interface texts have loaded.
    std::function<std::string()> AuthenticationFailedText;
};

// Runs the start-up. Every failure is shown and handled here; the dialog's
// own loop acts on the close requests. Returns how the first failure ends
// the run ("failure: ...", for the support log), empty when none did.
std::string RunStartupSequence(MainWindow& window, MediaEngine& engine, const StartupStages& stages);

} // namespace gsd

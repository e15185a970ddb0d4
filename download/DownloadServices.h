// Everything the download button's work talks to. The references must
// outlive every call that is given the bundle.
#pragma once

#include <string>
#include <vector>

#include "ports/GameFiles.h"
#include "ports/InstalledFiles.h"
#include "ports/InstallerSignatures.h"
#include "ports/MediaEngine.h"
#include "ports/MediaFolder.h"
#include "ports/OptionsFile.h"
#include "ports/Processes.h"
#include "ports/RecordStore.h"
#include "ports/RunningGame.h"
#include "protocol/ServerExchange.h"
#include "shell/MainDialogState.h"

namespace gsd {

struct DownloadServices {
    // The server, the main window, the dialogs, the clock and the message
    // pump. Its information-and-error texts are those of `state`.
    ExchangeServices exchange;
    GameFiles& files;
    Processes& processes;
    // Who made an installer before it is started: its signature, and the
    // keys of the publisher's code-signing certificates (lower-case hex
    // SHA-256 of each DER SubjectPublicKeyInfo; empty: any signer that
    // chains to a root the machine trusts).
    InstallerSignatures& signatures;
    std::vector<std::string> publisherKeys;
    RunningGame& game;
    RecordStore& records;
    // What rebuilding the "My Computer" list after an installation reads.
    MediaEngine& engine;
    MediaFolder& mediaFolder;
    OptionsFile& options;
    // The download list (changed in place as items are processed) and the
    // localised texts.
    MainDialogState& state;
    // Where a media file just installed is recorded, and what tells its size
    // and time; nothing is recorded when either is null.
    RecordStore* installedMedia = nullptr;
    InstalledFiles* installedFiles = nullptr;

    MainWindow& window() const { return exchange.window; }
};

} // namespace gsd

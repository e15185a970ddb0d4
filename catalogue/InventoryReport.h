// The report of the local installation that the download-list request sends
// to the server: what version of the program and the language file is here,
// and which object packs in which versions and languages. The server decides
// from it what to offer; nothing is compared here.
//
// Every operation reads the media files afresh in reading passes of its own
// (each pass releases its reader, runs the engine system once and repaints
// the main dialog) and reports its problems to the user itself: a refused
// reader as "Error while Loading Media Resource" with a close request, an
// empty Media folder as "There should be object packs but there are none!".
#pragma once

#include <string>

#include "catalogue/InstalledPacks.h"
#include "ports/MainWindow.h"
#include "ports/MediaFolder.h"
#include "ports/MediaEngine.h"

namespace gsd {

struct InventoryReport {
    // Version.mdc's version parts: "a|b|c".
    std::string VersionReport;
    // Language.mdc's version parts and language mask: "a|b|c|mask".
    std::string LanguageReport;
    // The pack count, then "|version|mask|title" per pack in search order
    // (InstalledPacks::PackReport).
    std::string PackReport;
};

// "a|b|c" from Version.mdc's "Gravelpit Version"; empty when the reader is
// refused; "||" when the version is missing.
std::string BuildVersionReport(MediaEngine& engine, MainWindow& window);

// "a|b|c|mask" from Language.mdc's version and availability flags; empty
// when the reader is refused. "0|0|0|mask" when Language.mdc is `damaged`.
std::string BuildLanguageReport(MediaEngine& engine, MainWindow& window, bool damaged = false);

// The three reports, built in the order version, language, packs. The packs
// are read once (ReadInstalledPacks), their rows in the interface language
// `languageIndex` as well; what was read is left in `packs` for the local
// list that follows. The media files named in `damaged` are reported as
// version 0|0|0 (ReadInstalledPacks, BuildLanguageReport).
InventoryReport BuildInventoryReport(MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex,
    InstalledPacks& packs, const std::set<std::string>& damaged = {});

} // namespace gsd

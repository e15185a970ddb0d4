// The report of the local installation that the download-list request sends
// to the server: what version of the program and the language file is here,
// and which object packs in which versions and languages. The server decides
// from it what to offer; nothing is compared here.
//
// Every operation reads the media files afresh in reading passes of its own
// (each pass releases its reader, runs the engine system once and repaints
// the main dialog), keeps nothing, and reports its problems to the user
// itself: a refused reader as "Error while Loading Media Resource" with a
// close request, an empty Media folder as "There should be object packs but
// there are none!".
#pragma once

#include <string>

#include "ports/MainWindow.h"
#include "ports/MediaFolder.h"
#include "ports/MediaEngine.h"

namespace gsd {

struct InventoryReport {
    // Version.mdc's version parts: "a|b|c".
    std::string VersionReport;
    // Language.mdc's version parts and language mask: "a|b|c|mask".
    std::string LanguageReport;
    // The pack count, then "|version|mask|title" per pack in search order.
    std::string PackReport;
};

// The number of object packs (media files holding "Gravelpit Objects") in
// the Media folder. When the folder holds no media file at all (or is
// missing), shows "There should be object packs but there are none!" and
// returns 0 without a reading pass; when it cannot be searched, shows why
// and returns 0. A refused reader also gives 0.
int CountObjectPacks(MediaEngine& engine, MainWindow& window, MediaFolder& folder);

// "a|b|c" from Version.mdc's "Gravelpit Version"; empty when the reader is
// refused; "||" when the version is missing.
std::string BuildVersionReport(MediaEngine& engine, MainWindow& window);

// "a|b|c|mask" from Language.mdc's version and availability flags; empty
// when the reader is refused.
std::string BuildLanguageReport(MediaEngine& engine, MainWindow& window);

// The pack count (from CountObjectPacks), then for every object pack in the
// order of a search of its own: "|" version "|" mask "|" title, read without
// a language choice. The version is given as its three parts, except for a
// pack that is the very first entry of the search: its version text goes in
// whole. With the count alone when the search finds nothing or the reader is
// refused.
std::string BuildPackReport(MediaEngine& engine, MainWindow& window, MediaFolder& folder);

// The three reports, built in the order version, language, packs.
InventoryReport BuildInventoryReport(MediaEngine& engine, MainWindow& window, MediaFolder& folder);

} // namespace gsd

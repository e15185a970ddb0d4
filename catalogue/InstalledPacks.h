// The object packs of the Media folder, read once for both things made from
// them: the pack report sent with the download-list request and the pack
// rows of the "My Computer" list. The start-up builds the report first and
// hands what it read on to the list, so no pack is opened twice; a refresh
// of the list reads the folder afresh.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "ports/MainWindow.h"
#include "ports/MediaEngine.h"
#include "ports/MediaFolder.h"

namespace gsd {

struct InstalledPacks {
    // The pack count, then "|version|mask|title" per pack in search order,
    // read without a language choice. The version goes in as its three
    // parts, except for a pack that is the very first entry of the search:
    // its version text goes in whole. The count alone when nothing was read.
    std::string PackReport = "0";
    // One CatalogueEntry per pack in search order, read in the interface
    // language `LanguageIndex`.
    std::vector<std::string> PackRows;
    int LanguageIndex = 0;
    // True when a reader read every media file the search found. False
    // after a search that failed or found nothing, or a refused reader:
    // whoever wants the rows then reads again, so the user is told at that
    // point too, as each reading of the folder does.
    bool Complete = false;
};

// Searches the Media folder and reads every media file in one reading pass.
// A file is a pack when it holds "Gravelpit Objects". A search that fails
// shows why; one that finds no media file at all shows "There should be
// object packs but there are none!"; neither runs a pass. A refused reader
// is asked for once more, so the user sees a refusal at the count and again
// at the packs' texts, the two things this reading stands for; when the
// second reader comes, it reads the packs as the first would have.
// A pack named in `damaged` (letters of any case) is reported as version
// "0|0|0", whether its version would have gone in whole or in parts, with
// its mask and title as read: its bytes are not those the program installed,
// so the server is told the player lacks it. Its row stays as read.
InstalledPacks ReadInstalledPacks(MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex,
    const std::set<std::string>& damaged = {});

// The version a damaged media file is reported with.
inline constexpr std::string_view DamagedVersionReport = "0|0|0";

// Whether `fileName` is one of `names`, letters of any case.
bool IsNamedIn(const std::set<std::string>& names, std::string_view fileName);

} // namespace gsd

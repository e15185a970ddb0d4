// The local catalogue: the rows of the "My Computer" list, read from the
// media files in the interface language.
//
// A row (CatalogueEntry) is seven "|"-separated fields: 0 kind, 1 title,
// 2 file name, 3 author, 4 description, 5 version ("a.b.c"), 6 language mask
// (decimal). Texts go in as they are: a "|" inside a text shifts the later
// fields of its row.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/InstalledPacks.h"
#include "ports/MainWindow.h"
#include "ports/MediaFolder.h"
#include "ports/MediaEngine.h"

namespace gsd {

struct Catalogue {
    // The game program's row: Version.mdc's version, Language.mdc's mask,
    // on-download text 18 as description.
    std::string ProgramRow;
    // The language file's row: Language.mdc's version and mask, on-download
    // text 19 as description.
    std::string LanguageRow;
    // One row per object pack, in the order of the directory search. Kept
    // as separate rows, so that a line break inside a pack's description
    // stays inside its row.
    std::vector<std::string> PackRows;
};

// Reads the catalogue in reading passes for the program row, the language
// row and the pack rows (ReadInstalledPacks), each of which first selects
// the interface language `languageIndex` (field index + 1 of Language.mdc's
// "Gravelpit Languages"). A refused reader leaves that part empty (and is
// reported by its pass).
//
// `packsRead`, when given, are the packs just read for the report: their
// rows are taken instead of reading the packs again, provided that reading
// was complete and in the same language. Otherwise the packs are read here,
// with whatever that reading tells the user.
Catalogue ReadCatalogue(MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex,
    std::string_view onDownloadTexts, const InstalledPacks* packsRead = nullptr);

// Fields joined by "|" into a CatalogueEntry, as they are.
std::string JoinCatalogueFields(std::initializer_list<std::string_view> fields);

// A pack's file name without its ".mdc" extension (in any letter case); a
// name without that extension stays whole.
std::string PackBaseName(std::string_view fileName);

} // namespace gsd

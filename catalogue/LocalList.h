// The "My Computer" list (1008): the local catalogue as rows, the language
// file and the game program at the bottom.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/InstalledPacks.h"
#include "ports/MainWindow.h"
#include "ports/MediaFolder.h"
#include "ports/MediaEngine.h"
#include "ports/OptionsFile.h"

namespace gsd {

// The seven column texts of a CatalogueEntry: kind name, title,
// description, author, language names, file name, version. A missing field
// reads as empty; kind and mask are read as decimal numbers.
std::vector<std::string> LocalListRow(std::string_view catalogueEntry, std::string_view onDownloadTexts);

// Reads the catalogue in the interface language (the options file is read
// again) and adds its rows, each at the top: the program row, the language
// row, then the packs in search order. So the list shows, top to bottom,
// the packs in reverse search order, the language row, the program row.
// The program and language rows are added even when they could not be
// read. Problems are reported by the reading itself. `packsRead`: the
// packs the start-up's report has just read, whose rows are taken when that
// reading serves (see ReadCatalogue); otherwise the packs are read here.
void FillLocalList(MediaEngine& engine, MainWindow& window, MediaFolder& folder, OptionsFile& options,
    std::string_view onDownloadTexts, const InstalledPacks* packsRead = nullptr);

// Reads the catalogue afresh (the packs may have changed), then replaces every row of the
// list with the new ones; the old rows stay while the files are read.
void RefreshLocalList(MediaEngine& engine, MainWindow& window, MediaFolder& folder, OptionsFile& options,
    std::string_view onDownloadTexts);

} // namespace gsd

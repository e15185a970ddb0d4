#include "catalogue/LocalList.h"

#include "catalogue/Catalogue.h"
#include "catalogue/DisplayNames.h"
#include "protocol/DecimalNumber.h"
#include "protocol/FieldList.h"
#include "texts/LanguageIndex.h"

namespace gsd {

namespace {

// Fields of a CatalogueEntry.
enum EntryField : std::size_t {
    Kind = 0,
    Title = 1,
    FileName = 2,
    Author = 3,
    Description = 4,
    Version = 5,
    Languages = 6,
    EntryFieldCount = 7,
};

} // namespace

std::vector<std::string> LocalListRow(std::string_view catalogueEntry, std::string_view onDownloadTexts)
{
    std::vector<std::string_view> fields = SplitFields(catalogueEntry, FieldSeparator);
    if (fields.size() < EntryFieldCount) {
        fields.resize(EntryFieldCount);
    }
    return {
        KindName(ReadDecimal(fields[Kind]), onDownloadTexts),
        std::string(fields[Title]),
        std::string(fields[Description]),
        std::string(fields[Author]),
        LanguageNames(ReadDecimal(fields[Languages])),
        std::string(fields[FileName]),
        std::string(fields[Version]),
    };
}

namespace {

// The rows in the order they go in, each at the top.
std::vector<std::vector<std::string>> ReadLocalRows(MediaEngine& engine, MainWindow& window, MediaFolder& folder,
    OptionsFile& options, std::string_view onDownloadTexts, const InstalledPacks* packsRead)
{
    const Catalogue catalogue
        = ReadCatalogue(engine, window, folder, ReadLanguageIndex(options), onDownloadTexts, packsRead);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(catalogue.PackRows.size() + 2);
    rows.push_back(LocalListRow(catalogue.ProgramRow, onDownloadTexts));
    rows.push_back(LocalListRow(catalogue.LanguageRow, onDownloadTexts));
    for (const std::string& row : catalogue.PackRows) {
        rows.push_back(LocalListRow(row, onDownloadTexts));
    }
    return rows;
}

} // namespace

void FillLocalList(MediaEngine& engine, MainWindow& window, MediaFolder& folder, OptionsFile& options,
    std::string_view onDownloadTexts, const InstalledPacks* packsRead)
{
    window.LocalList().InsertRows(ReadLocalRows(engine, window, folder, options, onDownloadTexts, packsRead));
}

void RefreshLocalList(MediaEngine& engine, MainWindow& window, MediaFolder& folder, OptionsFile& options,
    std::string_view onDownloadTexts)
{
    // Read first: every reading pass repaints the dialog, which would show
    // the list empty for the whole reading if its rows went first. This runs
    // between the items of a download, where the thread is to answer other
    // programs throughout: the passes' repaints are gathered into one.
    const RepaintsGathered gathered(window);
    window.LocalList().ReplaceAllRows(ReadLocalRows(engine, window, folder, options, onDownloadTexts, nullptr));
}

} // namespace gsd

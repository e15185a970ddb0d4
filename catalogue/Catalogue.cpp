#include "catalogue/Catalogue.h"

#include <initializer_list>

#include "catalogue/InventoryReport.h"
#include "catalogue/LanguageMask.h"
#include "engine/MediaKeys.h"
#include "catalogue/VersionParts.h"
#include "engine/ReadingPass.h"
#include "engine/ResourceText.h"
#include "protocol/FieldList.h"
#include "texts/LanguageIndex.h"

namespace gsd {

namespace {

constexpr int ProgramDescriptionText = 18;
constexpr int LanguageDescriptionText = 19;
constexpr std::string_view PackExtension = ".mdc";
constexpr std::string_view Publisher = "Quil Studios";

std::string JoinFields(std::initializer_list<std::string_view> fields)
{
    std::string row;
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first) {
            row.append(FieldSeparator);
        }
        row.append(field);
        first = false;
    }
    return row;
}

std::string ReadProgramRow(MediaEngine& engine, MainWindow& window, int languageIndex, std::string_view onDownloadTexts)
{
    ReadingPass pass(engine, window);
    if (!pass) {
        return {};
    }
    MediaReader& reader = pass.reader();
    ChooseInterfaceLanguage(reader, languageIndex);
    reader.OpenMediaFile(media_key::VersionFile);
    const std::string description = GetField(onDownloadTexts, ProgramDescriptionText, FieldSeparator);
    const std::string version = VersionForRow(ReadText(reader, media_key::Version));
    reader.OpenMediaFile(media_key::LanguageFile);
    const std::string mask = LanguageFlagsToMask(ReadText(reader, media_key::LanguagesAvailable));
    return JoinFields({ "1", "Rubbleton: Gravelpit", "Rubbleton Gravelpit", Publisher, description, version, mask });
}

std::string ReadLanguageRow(
    MediaEngine& engine, MainWindow& window, int languageIndex, std::string_view onDownloadTexts)
{
    ReadingPass pass(engine, window);
    if (!pass) {
        return {};
    }
    MediaReader& reader = pass.reader();
    ChooseInterfaceLanguage(reader, languageIndex);
    reader.OpenMediaFile(media_key::LanguageFile);
    const std::string description = GetField(onDownloadTexts, LanguageDescriptionText, FieldSeparator);
    const std::string version = VersionForRow(ReadText(reader, media_key::Version));
    const std::string mask = LanguageFlagsToMask(ReadText(reader, media_key::LanguagesAvailable));
    return JoinFields({ "2", "Language", "Language", Publisher, description, version, mask });
}

std::vector<std::string> ReadPackRows(MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex)
{
    // Its count is not needed; it tells the user about an empty Media folder.
    CountObjectPacks(engine, window, folder);
    const MediaListing listing = folder.ListMediaFiles();
    if (listing.Names.empty()) {
        return {};
    }
    ReadingPass pass(engine, window);
    if (!pass) {
        return {};
    }
    MediaReader& reader = pass.reader();
    ChooseInterfaceLanguage(reader, languageIndex);
    std::vector<std::string> rows;
    for (const std::string& name : listing.Names) {
        reader.OpenMediaFile(name);
        if (!reader.ReadResourceText(media_key::Objects)) {
            continue;
        }
        const std::string title = ReadText(reader, media_key::PackTitle);
        const std::string author = ReadText(reader, media_key::PackAuthor);
        const std::string description = ReadText(reader, media_key::PackDescription);
        const std::string version = VersionForRow(ReadText(reader, media_key::Version));
        const std::string mask = LanguageFlagsToMask(ReadText(reader, media_key::LanguagesAvailable));
        rows.push_back(JoinFields({ "3", title, PackBaseName(name), author, description, version, mask }));
    }
    return rows;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail)
{
    if (text.size() < tail.size()) {
        return false;
    }
    const std::string_view end = text.substr(text.size() - tail.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(end[i]) != lower(tail[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string PackBaseName(std::string_view fileName)
{
    if (!EndsWithIgnoringCase(fileName, PackExtension)) {
        return std::string(fileName);
    }
    return std::string(fileName.substr(0, fileName.size() - PackExtension.size()));
}

Catalogue ReadCatalogue(
    MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex, std::string_view onDownloadTexts)
{
    Catalogue catalogue;
    catalogue.ProgramRow = ReadProgramRow(engine, window, languageIndex, onDownloadTexts);
    catalogue.LanguageRow = ReadLanguageRow(engine, window, languageIndex, onDownloadTexts);
    catalogue.PackRows = ReadPackRows(engine, window, folder, languageIndex);
    return catalogue;
}

} // namespace gsd

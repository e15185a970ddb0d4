#include "catalogue/Catalogue.h"

#include "catalogue/LanguageMask.h"
#include "engine/MediaKeys.h"
#include "catalogue/VersionParts.h"
#include "engine/ReadingPass.h"
#include "engine/ResourceText.h"
#include "protocol/AsciiCase.h"
#include "protocol/FieldList.h"
#include "texts/LanguageIndex.h"

namespace gsd {

namespace {

constexpr int ProgramDescriptionText = 18;
constexpr int LanguageDescriptionText = 19;
constexpr std::string_view PackExtension = ".mdc";
constexpr std::string_view Publisher = "Quil Studios";

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
    return JoinCatalogueFields({ "1", "Rubbleton: Gravelpit", "Rubbleton Gravelpit", Publisher, description, version, mask });
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
    return JoinCatalogueFields({ "2", "Language", "Language", Publisher, description, version, mask });
}

} // namespace

std::string JoinCatalogueFields(std::initializer_list<std::string_view> fields)
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

std::string PackBaseName(std::string_view fileName)
{
    if (!EndsWithIgnoringAsciiCase(fileName, PackExtension)) {
        return std::string(fileName);
    }
    return std::string(fileName.substr(0, fileName.size() - PackExtension.size()));
}

Catalogue ReadCatalogue(MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex,
    std::string_view onDownloadTexts, const InstalledPacks* packsRead)
{
    Catalogue catalogue;
    catalogue.ProgramRow = ReadProgramRow(engine, window, languageIndex, onDownloadTexts);
    catalogue.LanguageRow = ReadLanguageRow(engine, window, languageIndex, onDownloadTexts);
    if (packsRead != nullptr && packsRead->Complete && packsRead->LanguageIndex == languageIndex) {
        catalogue.PackRows = packsRead->PackRows;
    } else {
        catalogue.PackRows = ReadInstalledPacks(engine, window, folder, languageIndex).PackRows;
    }
    return catalogue;
}

} // namespace gsd

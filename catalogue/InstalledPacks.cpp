#include "catalogue/InstalledPacks.h"

#include <algorithm>
#include <cctype>

#include "catalogue/Catalogue.h"
#include "catalogue/LanguageMask.h"
#include "catalogue/VersionParts.h"
#include "engine/MediaKeys.h"
#include "engine/ReadingPass.h"
#include "engine/ResourceText.h"
#include "protocol/FieldList.h"
#include "shell/FixedTexts.h"
#include "texts/LanguageIndex.h"

namespace gsd {

namespace {

constexpr std::string_view NoPacksText = "There should be object packs but there are none!";
constexpr std::string_view NeutralLanguage = "";

// Reads every file of `names` with the pass's reader. The report's texts are
// read with no language chosen and the row's in `language`; switching
// between the two costs the engine nothing, reopening a pack would.
void ReadPacks(MediaReader& reader, const std::vector<std::string>& names, int languageIndex,
    const std::set<std::string>& damaged, InstalledPacks& packs)
{
    reader.OpenMediaFile(media_key::LanguageFile);
    const std::string language = InterfaceLanguageName(ReadText(reader, media_key::Languages), languageIndex);
    int count = 0;
    std::string entries;
    bool firstEntry = true;
    for (const std::string& name : names) {
        const bool wasFirst = firstEntry;
        firstEntry = false;
        reader.SelectLanguage(NeutralLanguage);
        reader.OpenMediaFile(name);
        if (!reader.ReadResourceText(media_key::Objects)) {
            continue;
        }
        ++count;
        const std::string version = ReadText(reader, media_key::Version);
        // The server has always been sent the search's very first entry
        // with its version text whole.
        if (IsNamedIn(damaged, name)) {
            entries.append(FieldSeparator).append(DamagedVersionReport);
        } else {
            entries.append(FieldSeparator).append(wasFirst ? version : VersionForReport(version));
        }
        entries.append(FieldSeparator).append(LanguageFlagsToMask(ReadText(reader, media_key::LanguagesAvailable)));
        entries.append(FieldSeparator).append(ReadText(reader, media_key::PackTitle));

        reader.SelectLanguage(language);
        const std::string title = ReadText(reader, media_key::PackTitle);
        const std::string author = ReadText(reader, media_key::PackAuthor);
        const std::string description = ReadText(reader, media_key::PackDescription);
        const std::string rowVersion = VersionForRow(ReadText(reader, media_key::Version));
        const std::string mask = LanguageFlagsToMask(ReadText(reader, media_key::LanguagesAvailable));
        packs.PackRows.push_back(
            JoinCatalogueFields({ "3", title, PackBaseName(name), author, description, rowVersion, mask }));
    }
    packs.PackReport = std::to_string(count) + entries;
    packs.Complete = true;
}

} // namespace

bool IsNamedIn(const std::set<std::string>& names, std::string_view fileName)
{
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return std::equal(name.begin(), name.end(), fileName.begin(), fileName.end(),
            [&](char a, char b) { return lower(a) == lower(b); });
    });
}

InstalledPacks ReadInstalledPacks(MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex,
    const std::set<std::string>& damaged)
{
    InstalledPacks packs;
    packs.LanguageIndex = languageIndex;
    const MediaListing listing = folder.ListMediaFiles();
    if (!listing.Problem.empty()) {
        window.ShowFileMessage(listing.Problem, listing.ProblemPath, fixed_text::ErrorCaption);
        return packs;
    }
    if (listing.Names.empty()) {
        window.ShowMessage(NoPacksText, fixed_text::ErrorCaption);
        return packs;
    }
    for (int attempt = 0; attempt < 2 && !packs.Complete; ++attempt) {
        ReadingPass pass(engine, window);
        if (pass) {
            ReadPacks(pass.reader(), listing.Names, languageIndex, damaged, packs);
        }
    }
    return packs;
}

} // namespace gsd

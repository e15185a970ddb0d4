#include "catalogue/InventoryReport.h"

#include "shell/FixedTexts.h"
#include "catalogue/LanguageMask.h"
#include "engine/MediaKeys.h"
#include "catalogue/VersionParts.h"
#include "engine/ReadingPass.h"
#include "engine/ResourceText.h"
#include "protocol/FieldList.h"

namespace gsd {

namespace {

constexpr std::string_view NoPacksText = "There should be object packs but there are none!";

} // namespace

int CountObjectPacks(MediaEngine& engine, MainWindow& window, MediaFolder& folder)
{
    const MediaListing listing = folder.ListMediaFiles();
    if (!listing.Problem.empty()) {
        window.ShowMessage(listing.Problem, fixed_text::ErrorCaption);
        return 0;
    }
    if (listing.Names.empty()) {
        window.ShowMessage(NoPacksText, fixed_text::ErrorCaption);
        return 0;
    }
    ReadingPass pass(engine, window);
    if (!pass) {
        return 0;
    }
    int count = 0;
    for (const std::string& name : listing.Names) {
        pass.reader().OpenMediaFile(name);
        if (pass.reader().ReadResourceText(media_key::Objects)) {
            ++count;
        }
    }
    return count;
}

std::string BuildVersionReport(MediaEngine& engine, MainWindow& window)
{
    ReadingPass pass(engine, window);
    if (!pass) {
        return {};
    }
    pass.reader().OpenMediaFile(media_key::VersionFile);
    return VersionForReport(ReadText(pass.reader(), media_key::Version));
}

std::string BuildLanguageReport(MediaEngine& engine, MainWindow& window)
{
    ReadingPass pass(engine, window);
    if (!pass) {
        return {};
    }
    pass.reader().OpenMediaFile(media_key::LanguageFile);
    std::string report = VersionForReport(ReadText(pass.reader(), media_key::Version));
    report.append(FieldSeparator);
    report.append(LanguageFlagsToMask(ReadText(pass.reader(), media_key::LanguagesAvailable)));
    return report;
}

std::string BuildPackReport(MediaEngine& engine, MainWindow& window, MediaFolder& folder)
{
    std::string report = std::to_string(CountObjectPacks(engine, window, folder));
    const MediaListing listing = folder.ListMediaFiles();
    if (listing.Names.empty()) {
        return report;
    }
    ReadingPass pass(engine, window);
    if (!pass) {
        return report;
    }
    MediaReader& reader = pass.reader();
    bool firstEntry = true;
    for (const std::string& name : listing.Names) {
        reader.OpenMediaFile(name);
        const bool isPack = reader.ReadResourceText(media_key::Objects).has_value();
        if (isPack) {
            const std::string version = ReadText(reader, media_key::Version);
            // The server has always been sent the search's very first entry
            // with its version text whole.
            report.append(FieldSeparator).append(firstEntry ? version : VersionForReport(version));
            report.append(FieldSeparator).append(LanguageFlagsToMask(ReadText(reader, media_key::LanguagesAvailable)));
            report.append(FieldSeparator).append(ReadText(reader, media_key::PackTitle));
        }
        firstEntry = false;
    }
    return report;
}

InventoryReport BuildInventoryReport(MediaEngine& engine, MainWindow& window, MediaFolder& folder)
{
    InventoryReport report;
    report.VersionReport = BuildVersionReport(engine, window);
    report.LanguageReport = BuildLanguageReport(engine, window);
    report.PackReport = BuildPackReport(engine, window, folder);
    return report;
}

} // namespace gsd

#include "catalogue/InventoryReport.h"

#include "catalogue/LanguageMask.h"
#include "engine/MediaKeys.h"
#include "catalogue/VersionParts.h"
#include "engine/ReadingPass.h"
#include "engine/ResourceText.h"
#include "protocol/FieldList.h"

namespace gsd {

std::string BuildVersionReport(MediaEngine& engine, MainWindow& window)
{
    ReadingPass pass(engine, window);
    if (!pass) {
        return {};
    }
    pass.reader().OpenMediaFile(media_key::VersionFile);
    return VersionForReport(ReadText(pass.reader(), media_key::Version));
}

std::string BuildLanguageReport(MediaEngine& engine, MainWindow& window, bool damaged)
{
    ReadingPass pass(engine, window);
    if (!pass) {
        return {};
    }
    pass.reader().OpenMediaFile(media_key::LanguageFile);
    std::string report = damaged ? std::string(DamagedVersionReport)
                                 : VersionForReport(ReadText(pass.reader(), media_key::Version));
    report.append(FieldSeparator);
    report.append(LanguageFlagsToMask(ReadText(pass.reader(), media_key::LanguagesAvailable)));
    return report;
}

InventoryReport BuildInventoryReport(MediaEngine& engine, MainWindow& window, MediaFolder& folder, int languageIndex,
    InstalledPacks& packs, const std::set<std::string>& damaged)
{
    InventoryReport report;
    report.VersionReport = BuildVersionReport(engine, window);
    report.LanguageReport = BuildLanguageReport(engine, window, IsNamedIn(damaged, media_key::LanguageFile));
    packs = ReadInstalledPacks(engine, window, folder, languageIndex, damaged);
    report.PackReport = packs.PackReport;
    return report;
}

} // namespace gsd

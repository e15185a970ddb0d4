#include "catalogue/InventoryReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <string>
#include <vector>

#include "MediaSet.h"
#include "fakes/FakeMainWindow.h"

namespace gsd {
namespace {

using Journal = std::vector<std::string>;

constexpr const char* NoPacksMessage = "message Error!: There should be object packs but there are none!";

class InventoryReportTest : public ::testing::Test {
protected:
    InventoryReportTest() { testing::AddVersionAndLanguage(engine); }

    Journal journal;
    testing::FakeMainWindow window { journal };
    testing::FakeMediaEngine engine { journal };
    testing::FakeMediaFolder folder;

    std::string PackReport() { return ReadInstalledPacks(engine, window, folder, 0).PackReport; }
    InventoryReport Report()
    {
        InstalledPacks packs;
        return BuildInventoryReport(engine, window, folder, 0, packs);
    }
};

TEST_F(InventoryReportTest, VersionAndLanguageReports)
{
    EXPECT_EQ(BuildVersionReport(engine, window), "1|0|3");
    EXPECT_EQ(BuildLanguageReport(engine, window), "2|1|0|11");
    engine.files.clear();
    EXPECT_EQ(BuildVersionReport(engine, window), "||");
    EXPECT_EQ(BuildLanguageReport(engine, window), "|||0");
}

TEST_F(InventoryReportTest, PackReportCarriesEveryPackInSearchOrder)
{
    testing::AddPack(engine, "Bricks.mdc", { .version = "1|0|0|7", .flags = "1|0|1", .title = "Bricks" });
    testing::AddPack(engine, "Canals.mdc", { .version = "1|2|3|4", .flags = "0|1", .title = "Canals" });
    engine.files["Sounds.mdc"][{ "", "Gravelpit Object Pack Title" }] = "not a pack";
    struct Case {
        const char* name;
        std::vector<std::string> search;
        std::string report;
    };
    const std::vector<Case> cases = {
        { "first entry's version goes in whole", { "Bricks.mdc", "Canals.mdc", "Language.mdc" },
            "2|1|0|0|7|5|Bricks|1|2|3|2|Canals" },
        { "only the very first entry of the search", { "Language.mdc", "Bricks.mdc", "Canals.mdc" },
            "2|1|0|0|5|Bricks|1|2|3|2|Canals" },
        { "the first entry in whole whatever pack it is", { "Canals.mdc", "Sounds.mdc", "Bricks.mdc" },
            "2|1|2|3|4|2|Canals|1|0|0|5|Bricks" },
        { "no packs", { "Version.mdc", "Language.mdc", "Sounds.mdc" }, "0" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.names = c.search;
        journal.clear();
        EXPECT_EQ(PackReport(), c.report);
        EXPECT_EQ(std::count(journal.begin(), journal.end(), NoPacksMessage), 0);
    }
}

TEST_F(InventoryReportTest, DamagedFilesAreReportedAsVersionZero)
{
    testing::AddPack(engine, "Bricks.mdc", { .version = "1|0|0|7", .flags = "1|0|1", .title = "Bricks" });
    testing::AddPack(engine, "Canals.mdc", { .version = "1|2|3|4", .flags = "0|1", .title = "Canals" });
    folder.names = { "Bricks.mdc", "Canals.mdc", "Language.mdc", "Version.mdc" };
    struct Case {
        const char* why;
        std::set<std::string> damaged;
        std::string languageReport;
        std::string packReport;
    };
    const std::vector<Case> cases = {
        { "nothing damaged: the bytes of every start", {}, "2|1|0|11", "2|1|0|0|7|5|Bricks|1|2|3|2|Canals" },
        { "the first entry's whole version text replaced", { "Bricks.mdc" }, "2|1|0|11",
            "2|0|0|0|5|Bricks|1|2|3|2|Canals" },
        { "a later pack, named in other letters", { "CANALS.MDC" }, "2|1|0|11", "2|1|0|0|7|5|Bricks|0|0|0|2|Canals" },
        { "the language file keeps its mask", { "Language.mdc" }, "0|0|0|11", "2|1|0|0|7|5|Bricks|1|2|3|2|Canals" },
        { "a damaged file that is gone is left out", { "Gone.mdc" }, "2|1|0|11", "2|1|0|0|7|5|Bricks|1|2|3|2|Canals" },
        { "the program's version is never judged", { "Version.mdc" }, "2|1|0|11",
            "2|1|0|0|7|5|Bricks|1|2|3|2|Canals" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        InstalledPacks packs;
        const InventoryReport report = BuildInventoryReport(engine, window, folder, 0, packs, c.damaged);
        EXPECT_EQ(report.VersionReport, "1|0|3");
        EXPECT_EQ(report.LanguageReport, c.languageReport);
        EXPECT_EQ(report.PackReport, c.packReport);
    }
}

TEST_F(InventoryReportTest, TitleWithABarShiftsTheLaterFields)
{
    testing::AddPack(engine, "A.mdc", { .version = "1|0|0", .flags = "1", .title = "Rocks | Stones" });
    testing::AddPack(engine, "B.mdc", { .version = "2|0|0", .flags = "1", .title = "B" });
    folder.names = { "Version.mdc", "A.mdc", "B.mdc" };
    EXPECT_EQ(PackReport(), "2|1|0|0|1|Rocks | Stones|2|0|0|1|B");
}

TEST_F(InventoryReportTest, EmptyMediaFolderIsReportedOnceAndGivesCountZero)
{
    const InventoryReport report = Report();
    EXPECT_EQ(report.VersionReport, "1|0|3");
    EXPECT_EQ(report.LanguageReport, "2|1|0|11");
    EXPECT_EQ(report.PackReport, "0");
    // Two reading passes for the version and language reports; the pack
    // report searches once and reads nothing.
    EXPECT_EQ(journal,
        (Journal { "CreateReader", "Release", "ExecuteSystem", "repaint", "CreateReader", "Release", "ExecuteSystem",
            "repaint", NoPacksMessage }));
    EXPECT_EQ(folder.searches, 1);
}

TEST_F(InventoryReportTest, FolderThatCannotBeSearchedIsReportedInsteadOfMissingPacks)
{
    folder.problem = "The game folder's path is too long for this program to use:";
    folder.problemPath = "C:\\...";
    EXPECT_EQ(PackReport(), "0");
    EXPECT_EQ(journal, (Journal { "message Error!: " + folder.problem + "\r\n" + folder.problemPath }));
}

TEST_F(InventoryReportTest, CountsOnlyFilesWithTheObjectsMarker)
{
    testing::AddPack(engine, "A.mdc", { .title = "A" });
    folder.names = { "Version.mdc", "A.mdc", "Language.mdc", "Missing.mdc" };
    EXPECT_EQ(PackReport(), "1|1|0|0|1|A");
    EXPECT_EQ(journal, (Journal { "CreateReader", "Release", "ExecuteSystem", "repaint" }));
}

TEST_F(InventoryReportTest, RefusedReaderGivesEmptyReportsAndTheCountAlone)
{
    testing::AddPack(engine, "A.mdc", { .title = "A" });
    folder.names = { "A.mdc" };
    engine.refuseReader = true;
    const InventoryReport report = Report();
    EXPECT_EQ(report.VersionReport, "");
    EXPECT_EQ(report.LanguageReport, "");
    EXPECT_EQ(report.PackReport, "0");
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "post close"), 4);
    EXPECT_EQ(engine.readersAlive, 0);
}

} // namespace
} // namespace gsd

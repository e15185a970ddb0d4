#include "catalogue/LocalList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MediaSet.h"
#include "catalogue/Catalogue.h"
#include "catalogue/InventoryReport.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeOptionsFile.h"

namespace gsd {
namespace {

using Journal = std::vector<std::string>;
using Row = std::vector<std::string>;

const std::string OnDownloadTexts
    = "t0|t1|Program|Language file|Object pack|Upgrade|Unknown|t7|t8|t9|t10|t11|t12|t13|t14|t15|t16|t17|"
      "The game itself|Texts of the program";

class LocalListTest : public ::testing::Test {
protected:
    LocalListTest()
    {
        testing::AddVersionAndLanguage(engine);
        testing::AddPack(engine, "Bricks.mdc", { "1|2|3", "1|0|1", "Bricks", "Ann", "Red bricks" });
        testing::AddPack(engine, "Canals.mdc", { "4|5", "0|0|0|1", "Canals", "Bob", "Water" });
        engine.files["Canals.mdc"][{ "Francais", "Gravelpit Object Pack Title" }] = "Canaux";
        engine.files["Canals.mdc"][{ "Deutsch", "Gravelpit Object Pack Title" }] = "Kan\xE4le";
        folder.names = { "Canals.mdc", "Version.mdc", "Bricks.mdc", "Language.mdc" };
    }

    void Fill() { FillLocalList(engine, window, folder, options, OnDownloadTexts); }

    Journal journal;
    testing::FakeMainWindow window { journal };
    testing::FakeMediaEngine engine { journal };
    testing::FakeMediaFolder folder;
    testing::FakeOptionsFile options;
};

TEST_F(LocalListTest, PacksInReverseSearchOrderThenLanguageThenProgram)
{
    Fill();
    EXPECT_EQ(window.localList.rows,
        (std::vector<Row> {
            { "Object pack", "Bricks", "Red bricks", "Ann", "English, Portugues", "Bricks", "1.2.3" },
            { "Object pack", "Canals", "Water", "Bob", "Deutsch", "Canals", "4.5." },
            { "Language file", "Language", "Texts of the program", "Quil Studios", "English, Francais, Deutsch",
                "Language", "2.1.0" },
            { "Program", "Rubbleton: Gravelpit", "The game itself", "Quil Studios", "English, Francais, Deutsch",
                "Rubbleton Gravelpit", "1.0.3" },
        }));
}

TEST_F(LocalListTest, EveryReadingPassChoosesTheInterfaceLanguage)
{
    struct Case {
        std::string optionsBytes;
        std::string title;
    };
    const std::vector<Case> cases = { { "", "Canals" }, { "\x01", "Canaux" }, { "\x02", "Kan\xE4le" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        options.bytes = c.optionsBytes;
        const Catalogue catalogue
            = ReadCatalogue(engine, window, folder, c.optionsBytes.empty() ? 0 : c.optionsBytes[0], OnDownloadTexts);
        ASSERT_EQ(catalogue.PackRows.size(), 2U);
        EXPECT_EQ(catalogue.PackRows[0], "3|" + c.title + "|Canals|Bob|Water|4.5.|8");
        RefreshLocalList(engine, window, folder, options, OnDownloadTexts);
        EXPECT_EQ(window.localList.rows.at(1).at(1), c.title);
    }
}

TEST_F(LocalListTest, ProgramAndLanguageRowsCarryTheirFields)
{
    const Catalogue catalogue = ReadCatalogue(engine, window, folder, 0, OnDownloadTexts);
    EXPECT_EQ(catalogue.ProgramRow, "1|Rubbleton: Gravelpit|Rubbleton Gravelpit|Quil Studios|The game itself|1.0.3|11");
    EXPECT_EQ(catalogue.LanguageRow, "2|Language|Language|Quil Studios|Texts of the program|2.1.0|11");
}

TEST_F(LocalListTest, ThreeReadingPassesEachReleasingItsReader)
{
    const Journal pass = { "CreateReader", "Release", "ExecuteSystem", "repaint" };
    Journal passes;
    for (int i = 0; i < 3; ++i) {
        passes.insert(passes.end(), pass.begin(), pass.end());
    }
    Fill();
    EXPECT_EQ(journal, passes);
    // Between the items of a download, the passes of a rebuild are painted
    // once, after the rows have gone in.
    journal.clear();
    RefreshLocalList(engine, window, folder, options, OnDownloadTexts);
    Journal gathered = { "gather repaints" };
    gathered.insert(gathered.end(), passes.begin(), passes.end());
    gathered.push_back("paint gathered");
    EXPECT_EQ(journal, gathered);
    EXPECT_EQ(engine.readersAlive, 0);
    EXPECT_EQ(options.reads, 2);
}

TEST_F(LocalListTest, StartUpOpensEachPackOnceForTheReportAndTheList)
{
    options.bytes = "\x01";
    InstalledPacks packs;
    const InventoryReport report = BuildInventoryReport(engine, window, folder, 1, packs);
    FillLocalList(engine, window, folder, options, OnDownloadTexts, &packs);
    EXPECT_EQ(engine.opens["Canals.mdc"], 1);
    EXPECT_EQ(engine.opens["Bricks.mdc"], 1);
    // The report's titles carry no language choice, the list's do.
    EXPECT_EQ(report.PackReport, "2|4|5|8|Canals|1|2|3|5|Bricks");
    testing::FakeMainWindow fresh { journal };
    FillLocalList(engine, fresh, folder, options, OnDownloadTexts);
    EXPECT_EQ(window.localList.rows, fresh.localList.rows);
    EXPECT_EQ(window.localList.rows.at(1).at(1), "Canaux");
}

TEST_F(LocalListTest, RefreshLeavesNoRowOfThePreviousFilling)
{
    Fill();
    engine.files.erase("Bricks.mdc");
    RefreshLocalList(engine, window, folder, options, OnDownloadTexts);
    ASSERT_EQ(window.localList.rows.size(), 3U);
    EXPECT_EQ(window.localList.rows[0][1], "Canals");
}

TEST_F(LocalListTest, EmptyMediaFolderStillGivesTheProgramAndLanguageRows)
{
    engine.files.clear();
    folder.names.clear();
    Fill();
    const Row empty = { "Unknown", "", "", "", "N/A", "", "" };
    const Row program
        = { "Program", "Rubbleton: Gravelpit", "The game itself", "Quil Studios", "N/A", "Rubbleton Gravelpit", ".." };
    ASSERT_EQ(window.localList.rows.size(), 2U);
    EXPECT_EQ(window.localList.rows[1], program);
    EXPECT_EQ(
        std::count(journal.begin(), journal.end(), "message Error!: There should be object packs but there are none!"),
        1);

    engine.refuseReader = true;
    RefreshLocalList(engine, window, folder, options, OnDownloadTexts);
    EXPECT_EQ(window.localList.rows, (std::vector<Row> { empty, empty }));
}

TEST_F(LocalListTest, TextsGoInAsTheyAre)
{
    testing::AddPack(engine, "Bricks.mdc", { "1|2|3", "1", "Bricks | Walls", "Ann", "Red" });
    testing::AddPack(engine, "Canals.mdc", { "4|5|6", "1", "Canals", "Bob", "Two lines:\r\n\r\nboats, locks" });
    folder.names = { "Bricks.mdc", "Canals.mdc" };
    Fill();
    ASSERT_EQ(window.localList.rows.size(), 4U);
    // A line break in a description stays inside its row ...
    EXPECT_EQ(window.localList.rows[0],
        (Row { "Object pack", "Canals", "Two lines:\r\n\r\nboats, locks", "Bob", "English", "Canals", "4.5.6" }));
    // ... and a bar shifts the later fields of its own row only.
    EXPECT_EQ(
        window.localList.rows[1], (Row { "Object pack", "Bricks ", "Ann", "Bricks", "English", " Walls", "Red" }));
}

TEST(LocalListRowTest, KindAndMaskAreReadAsDecimalNumbers)
{
    struct Case {
        std::string entry;
        Row row;
    };
    const std::vector<Case> cases = {
        { "0|T|F|A|D|1.0.0|1", { "Unknown", "T", "D", "A", "English", "F", "1.0.0" } },
        { "7|T|F|A|D|1.0.0|128", { "Unknown", "T", "D", "A", "N/A", "F", "1.0.0" } },
        { "pack|T|F|A|D|V|x", { "Unknown", "T", "D", "A", "N/A", "F", "V" } },
        { " 3|T|F|A|D|V| +5", { "Object pack", "T", "D", "A", "English, Portugues", "F", "V" } },
        { "", { "Unknown", "", "", "", "N/A", "", "" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(LocalListRow(c.entry, OnDownloadTexts), c.row);
    }
}

TEST(PackBaseNameTest, DropsTheMdcExtension)
{
    EXPECT_EQ(PackBaseName("Bricks.mdc"), "Bricks");
    EXPECT_EQ(PackBaseName("BRICKS.MDC"), "BRICKS");
    EXPECT_EQ(PackBaseName("a.b.mdc"), "a.b");
    EXPECT_EQ(PackBaseName("Bricks.mdcx"), "Bricks.mdcx");
}

} // namespace
} // namespace gsd

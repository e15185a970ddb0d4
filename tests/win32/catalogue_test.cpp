// The catalogue's adapters and the catalogue itself against real files: the
// demo's .mdc files read through Game.dll, the options file, the Media
// folder's directory search, and a game folder whose path is too long for
// the classic limit.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/InventoryReport.h"
#include "platform/GameDllEngine.h"
#include "fakes/FakeMainWindow.h"
#include "platform/GamePaths.h"
#include "platform/Win32MediaFolder.h"
#include "platform/Win32OptionsFile.h"

namespace gsd {
namespace {

namespace fs = std::filesystem;
using Journal = std::vector<std::string>;

std::string BinFolder()
{
    char module[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string path(module, n);
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// A throw-away game folder that is the current directory while a test runs.
class CatalogueFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = fs::current_path().string();
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0U);
        folder_ = std::string(temp) + "gsd_catalogue_" + std::to_string(GetCurrentProcessId()) + "_"
            + std::to_string(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    }

    void TearDown() override
    {
        SetCurrentDirectoryA(previous_.c_str());
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Copies the demo's media files (packed by the build beside bin\).
    void CopyDemoMedia(const std::string& into)
    {
        CreateDirectoryA(into.c_str(), nullptr);
        for (const char* name : { "Version.mdc", "Language.mdc", "Bricks.mdc", "Canals.mdc", "Quarry.mdc", "Sounds.mdc",
                 "Windmills.mdc" }) {
            ASSERT_TRUE(CopyFileA((BinFolder() + "..\\media\\" + name).c_str(), (into + "\\" + name).c_str(), FALSE))
                << name << " from the demo media";
        }
    }

    std::string previous_;
    std::string folder_;
};

class DemoMediaTest : public CatalogueFilesTest {
protected:
    void SetUp() override
    {
        CatalogueFilesTest::SetUp();
        CopyDemoMedia(folder_ + "\\Media");
        ASSERT_EQ(engine_.CreateSystem(), 0) << "Game.dll beside the tests";
    }

    void TearDown() override
    {
        engine_.DestroySystem();
        CatalogueFilesTest::TearDown();
    }

    Journal journal_;
    testing::FakeMainWindow window_ { journal_ };
    GameDllEngine engine_ { nullptr, GetModuleHandleA(nullptr), fs::path(BinFolder() + "Game.dll").wstring() };
    Win32MediaFolder media_;
};

TEST_F(DemoMediaTest, InventoryReportThroughGameDll)
{
    // What each pack contributes; the order is the directory search's.
    const std::map<std::string, std::string> packs = {
        { "Bricks.mdc", "|1|0|2|11|Brick Works" },
        { "Canals.mdc", "|1|1|0|9|Canal Locks" },
        { "Quarry.mdc", "|2|0|0|1|Deep Quarry" },
        { "Windmills.mdc", "|1|0|0|127|Windmills" },
    };
    std::string expected = "4";
    for (const std::string& name : media_.ListMediaFiles().Names) {
        if (packs.count(name)) {
            expected += packs.at(name);
        }
    }
    InstalledPacks packsRead;
    const InventoryReport report = BuildInventoryReport(engine_, window_, media_, 1, packsRead);
    EXPECT_EQ(report.VersionReport, "1|0|3");
    EXPECT_EQ(report.LanguageReport, "1|2|0|11");
    EXPECT_EQ(report.PackReport, expected);
    // Version, language and the packs: three passes, no message.
    EXPECT_EQ(journal_, (Journal(3, "repaint")));
}

TEST_F(DemoMediaTest, CatalogueInTheChosenLanguageThroughGameDll)
{
    const Catalogue catalogue = ReadCatalogue(engine_, window_, media_, 1,
        "0|1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|16|"
        "17|the program|the language file");
    EXPECT_EQ(catalogue.ProgramRow, "1|Rubbleton: Gravelpit|Rubbleton Gravelpit|Quil Studios|the program|1.0.3|11");
    EXPECT_EQ(catalogue.LanguageRow, "2|Language|Language|Quil Studios|the language file|1.2.0|11");
    std::map<std::string, std::string> rows;
    for (const std::string& row : catalogue.PackRows) {
        rows[row.substr(2, row.find('|', 2) - 2)] = row;
    }
    EXPECT_EQ(rows,
        (std::map<std::string, std::string> {
            { "Briqueterie",
                "3|Briqueterie|Bricks|Quil Studios|Fours, s\xE9"
                "choirs et douze sortes de "
                "briques pour vos villes.|1.0.2|11" },
            // No French title: the language-neutral one.
            { "Canal Locks",
                "3|Canal Locks|Canals|Mara Lindqvist|Locks, towpaths and narrow boats to "
                "carry gravel across the hills.|1.1.0|9" },
            { "Deep Quarry",
                "3|Deep Quarry|Quarry|Tomas Reyes|Terraced pits, conveyor belts and a "
                "crusher that never sleeps.|2.0.0|1" },
            { "Moulins \xE0 vent",
                "3|Moulins \xE0 vent|Windmills|Quil Studios|Three mills that grind "
                "grain while the wind blows.|1.0.0|127" },
        }));
}

TEST_F(CatalogueFilesTest, MediaFolderListsOnlyMediaFilesAndNothingWhenMissing)
{
    EXPECT_EQ(Win32MediaFolder().ListMediaFiles().Names, std::vector<std::string>());
    EXPECT_EQ(Win32MediaFolder().ListMediaFiles().Problem, "");
    CreateDirectoryA("Media", nullptr);
    std::ofstream("Media\\B.mdc") << "b";
    std::ofstream("Media\\Notes.txt") << "n";
    std::ofstream("Media\\A.mdc") << "a";
    std::vector<std::string> names = Win32MediaFolder().ListMediaFiles().Names;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "A.mdc", "B.mdc" }));
}

TEST_F(CatalogueFilesTest, OptionsFileIsCreatedEmptyAndReadAsStored)
{
    Win32OptionsFile options;
    EXPECT_EQ(options.ReadFirstBytes(8), std::optional<std::string>(""));
    const DWORD attributes = GetFileAttributesA("Options.zss");
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "created";
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0U);
    EXPECT_EQ(ReadWholeFile("Options.zss"), "");

    const std::string stored("\r\n\x1A\x02\x00\x00\x00\x00\xFF\xFF", 10);
    std::ofstream("Options.zss", std::ios::binary) << stored;
    EXPECT_EQ(options.ReadFirstBytes(8), stored.substr(0, 8));
    EXPECT_EQ(ReadWholeFile("Options.zss"), stored) << "nothing written";
}

TEST_F(CatalogueFilesTest, LongGameFolderGivesTheRightPacksOrAClearRefusal)
{
    // A game folder that fits the classic limit, whose Media search pattern
    // does not: the pattern must be neither cut nor taken for "no packs".
    const std::string longFolder = folder_ + "\\" + std::string(250 - folder_.size() - 1, 'g');
    ASSERT_TRUE(CreateDirectoryA(longFolder.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(longFolder.c_str()));
    CreateDirectoryA("Media", nullptr);
    std::ofstream("Media\\A.mdc") << "a";

    const std::wstring wideFolder(longFolder.begin(), longFolder.end());
    EXPECT_EQ(CurrentDirectory(), std::optional<std::wstring>(wideFolder));
    const WideGamePath pattern = GameFolderPath("Media\\*.mdc");
    EXPECT_EQ(pattern.Path, L"\\\\?\\" + wideFolder + L"\\Media\\*.mdc");

    const MediaListing listing = Win32MediaFolder().ListMediaFiles();
    if (listing.Problem.empty()) {
        EXPECT_EQ(listing.Names, std::vector<std::string> { "A.mdc" });
    } else {
        EXPECT_EQ(listing.Names, std::vector<std::string>());
        EXPECT_EQ(listing.Problem, PathTooLongText());
        EXPECT_EQ(listing.ProblemPath, ShownPath(pattern.Path));
    }
}

} // namespace
} // namespace gsd

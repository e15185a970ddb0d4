#include "catalogue/ServerListRows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeMainWindow.h"
#include "res/resource.h"

namespace gsd {
namespace {

using ::testing::ElementsAre;
using Row = std::vector<std::string>;

// On-download texts 0 to 6: the placeholder's two texts, then the kind names.
const std::string OnDownloadTexts = "Nothing new|Everything is up to date|Program|Language|Pack|Upgrade|Other";

TEST(ServerListRowTest, ColumnsComeFromTheirFields)
{
    struct Case {
        const char* name;
        std::string line;
        Row row;
    };
    const std::vector<Case> cases = {
        { "all ten fields", "3|Quarry|Quarry.mdc|Quil|Rocks and more|New!|1|0|5|5",
            { "Pack", "Quarry", "Rocks and more", "Quil", "English, Portugues", "Quarry.mdc", "New!", "1.0.5" } },
        { "version part 3 missing", "3|T|F|A|D|N|1|0", { "Pack", "T", "D", "A", "N/A", "F", "N", "1.0." } },
        { "four digits only", "1234", { "Other", "", "", "", "N/A", "", "", ".." } },
        { "non-numeric kind and mask", "x|T|F|A|D|N|1|2|3|all", { "Other", "T", "D", "A", "N/A", "F", "N", "1.2.3" } },
        { "extra fields are ignored", "4|T|F|A|D|N|2|0|0|127|extra|more",
            { "Upgrade", "T", "D", "A", "English, Francais, Portugues, Deutsch, Espanol, Italiano, Russki", "F", "N",
                "2.0.0" } },
        { "numbers read like codes, bytes pass unchanged",
            " 2|Fran\xE7"
            "ais|L.mdc||||1||| 3",
            { "Language",
                "Fran\xE7"
                "ais",
                "", "", "English, Francais", "L.mdc", "", "1.." } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ServerListRow(c.line, OnDownloadTexts), c.row);
    }
}

TEST(FillServerListTest, ListsLinesUpToTheFirstEmptyOneSortedByKindName)
{
    struct Case {
        const char* name;
        std::string list;
        std::vector<std::string> titles; // top to bottom
    };
    const std::vector<Case> cases = {
        // Kind names sort Language, Other, Pack, Program, Upgrade.
        { "sorted by the control, not by line", "3|P\r\n1|G\r\n4|U\r\n2|L\r\n9|O", { "L", "O", "P", "G", "U" } },
        { "final CR LF adds no row", "3|P\r\n2|L\r\n", { "L", "P" } },
        { "an empty line ends the list", "3|P\r\n\r\n1|G\r\n2|L", { "P" } },
        { "one line", "4|U", { "U" } },
        // A row is known by its file name: a later line of the same name
        // would be a row that fetches the first line's item.
        { "a file name already listed", "1|Setup|Same\r\n3|Pack|Same\r\n3|Other|other\r\n3|Late|Same",
            { "Other", "Setup" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> journal;
        testing::FakeMainWindow window(journal);

        const int listed = FillServerList(window, c.list, OnDownloadTexts);

        EXPECT_EQ(listed, static_cast<int>(c.titles.size()));
        std::vector<std::string> titles;
        for (const Row& row : window.serverList.rows) {
            EXPECT_EQ(row.size(), 8u);
            titles.push_back(row.at(1));
        }
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(window.enabledControls.at(IDC_DOWNLOAD_SELECTIONS), true);
        EXPECT_TRUE(window.localList.rows.empty());
    }
}

TEST(FillServerListTest, EmptyListGetsThePlaceholderAndADisabledButton)
{
    for (const std::string list : { "", "\r\n", "\r\n3|After an empty first line" }) {
        SCOPED_TRACE(::testing::PrintToString(list));
        std::vector<std::string> journal;
        testing::FakeMainWindow window(journal);

        EXPECT_EQ(FillServerList(window, list, OnDownloadTexts), 0);

        EXPECT_THAT(window.serverList.rows,
            ElementsAre(Row { "Nothing new", "", "Everything is up to date", "", "", "", "", "" }));
        EXPECT_EQ(window.enabledControls.at(IDC_DOWNLOAD_SELECTIONS), false);
    }
}

TEST(FillServerListTest, PlaceholderWithoutTextsIsEmpty)
{
    std::vector<std::string> journal;
    testing::FakeMainWindow window(journal);

    FillServerList(window, "", "");

    EXPECT_THAT(window.serverList.rows, ElementsAre(Row(8)));
}

} // namespace
} // namespace gsd

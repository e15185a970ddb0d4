#include "download/VerifyGameFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeInstalledFiles.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeRecordStore.h"
#include "fakes/FakeServerDialogs.h"

namespace gsd {
namespace {

using Journal = std::vector<std::string>;
using testing::DigestOf;

class VerifyGameFilesTest : public ::testing::Test {
protected:
    VerifyGameFilesTest()
    {
        Install("Bricks.mdc", "bricks-1");
        Install("Canals.mdc", "canals-1");
        state.OnDownloadTexts = "Nothing here|Nothing to fetch|Program|Language file|Object pack";
    }

    void Install(const std::string& name, const std::string& bytes)
    {
        WriteInstalledRecord(records, { name, { bytes.size(), 7 }, DigestOf(bytes), false });
        files.files["Media\\" + name] = { bytes, 7 };
    }

    MediaCheckServices Services() { return { records, files, window, dialogs, nullptr, state }; }

    // The request of the download list, journalled; the server then offers
    // `offered`.
    bool Request()
    {
        journal.push_back("request with " + std::to_string(state.DamagedMediaFiles.size()) + " damaged");
        state.DownloadListText = offered;
        return requestSucceeds;
    }

    Journal journal;
    testing::FakeRecordStore records;
    testing::FakeInstalledFiles files;
    testing::FakeMainWindow window { journal };
    testing::FakeServerDialogs dialogs { journal };
    MainDialogState state;
    std::string offered = "3|Bricks Pack|Bricks|Ann|Red||1|0|0|1\r\n3|Stones Pack|Stones|Bob|Grey||1|0|0|1\r\n";
    bool requestSucceeds = true;
};

TEST_F(VerifyGameFilesTest, AFlippedByteIsNamedAskedForAndSelected)
{
    files.files["Media\\Bricks.mdc"].bytes = "bricks-2";
    window.serverList.rows = { { "old row" } };
    VerifyGameFiles(Services(), [this] { return Request(); });
    EXPECT_EQ(journal,
        (Journal { "busy", "status open", "status Verifying game files.",
            "detail Every file this program installed is read, to see that it still holds what was installed.",
            "status show", "status close", "not busy",
            "message Notice: 2 game files were checked.  These have changed or gone missing since this program "
            "installed them:\r\n\r\nBricks.mdc\r\n\r\nThose that the server offers again are selected in its list: "
            "download them to repair the game.",
            "request with 1 damaged" }));
    ASSERT_EQ(window.serverList.rows.size(), 2u);
    const int bricks = window.serverList.CellText(0, 5) == "Bricks" ? 0 : 1;
    EXPECT_EQ(window.serverList.CellText(bricks, 5), "Bricks");
    EXPECT_EQ(window.serverList.selected, (std::vector<int> { bricks }));
    EXPECT_EQ(dialogs.progress.front(), 0.0);
    EXPECT_EQ(dialogs.progress.back(), 1.0);
}

TEST_F(VerifyGameFilesTest, NothingFoundOrCancelledAsksTheServerNothing)
{
    struct Case {
        const char* why;
        int cancelAfter;
        bool damage;
        std::string lastLine;
    };
    const std::vector<Case> cases = {
        { "all sound", -1, false, "message Notice: 2 game files were checked: all are as this program installed them." },
        { "cancelled half-way", 1, true, "not busy" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        journal.clear();
        dialogs.cancelAfterQuestions = c.cancelAfter;
        dialogs.cancelQuestions = 0;
        if (c.damage) {
            files.files["Media\\Canals.mdc"].bytes = "canals-2";
        }
        const Journal before = records.Pairs();
        VerifyGameFiles(Services(), [this] { return Request(); });
        EXPECT_EQ(journal.back(), c.lastLine);
        EXPECT_EQ(records.Pairs(), before);
        EXPECT_TRUE(state.DamagedMediaFiles.empty());
    }
}

TEST_F(VerifyGameFilesTest, OneVerifyAtATimeAndACloseAskedDuringOneEndsItThenTheDialog)
{
    struct Case {
        const char* why;
        bool passRunning;
        bool closeWhileReading;
        bool closeWhileAsking;
        // After the check, when there is one.
        Journal journal;
    };
    const std::string found = "message Notice: 2 game files were checked.  These have changed or gone missing since "
                              "this program installed them:\r\n\r\nBricks.mdc\r\n\r\nThose that the server offers "
                              "again are selected in its list: download them to repair the game.";
    const Journal checked = { "busy", "status open", "status Verifying game files.",
        "detail Every file this program installed is read, to see that it still holds what was installed.",
        "status show", "status close", "not busy" };
    const std::vector<Case> cases = {
        { "a download pass runs", true, false, false, {} },
        { "close while the files are read", false, true, false, { "end dialog 0" } },
        { "close while the server is asked", false, false, true, { found, "request with 1 damaged", "end dialog 0" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        journal.clear();
        state = MainDialogState {};
        state.PassRunning = c.passRunning;
        files.files["Media\\Bricks.mdc"].bytes = "bricks-2";
        files.whileReading = [&] { state.CloseAsked = state.CloseAsked || c.closeWhileReading; };
        window.serverList.rows = { { "old row" } };
        const Journal before = records.Pairs();

        VerifyGameFiles(Services(), [&] {
            state.CloseAsked = c.closeWhileAsking;
            return Request();
        });

        Journal expected;
        if (!c.passRunning) {
            expected = checked;
            expected.insert(expected.end(), c.journal.begin(), c.journal.end());
        }
        EXPECT_EQ(journal, expected);
        EXPECT_EQ(window.serverList.rows, (std::vector<std::vector<std::string>> { { "old row" } }));
        EXPECT_EQ(state.PassRunning, c.passRunning);
        if (!c.closeWhileAsking) {
            EXPECT_EQ(records.Pairs(), before) << "nothing found, nothing kept";
        }
    }
}

TEST_F(VerifyGameFilesTest, AFailedRequestLeavesTheListAsItWas)
{
    files.files.erase("Media\\Bricks.mdc");
    requestSucceeds = false;
    window.serverList.rows = { { "old row" } };
    VerifyGameFiles(Services(), [this] { return Request(); });
    EXPECT_EQ(journal.back(), "request with 0 damaged");
    EXPECT_EQ(window.serverList.rows, (std::vector<std::vector<std::string>> { { "old row" } }));
}

TEST_F(VerifyGameFilesTest, AStartNamesOnlyWhatItFoundAndSelectsEveryOfferedRepair)
{
    files.files["Media\\Bricks.mdc"] = { "brick", 8 };
    const CheckOutcome first = QuickLookAtStart(Services());
    EXPECT_EQ(state.DamagedMediaFiles, (std::set<std::string> { "Bricks.mdc" }));
    window.serverList.rows = { { "Object pack", "", "", "", "", "Bricks" } };
    OfferRepairsAtStart(Services(), first);
    EXPECT_EQ(journal,
        (Journal { "message Notice: These game files have changed or gone missing since this program installed "
                   "them:\r\n\r\nBricks.mdc\r\n\r\nThose that the server offers again are selected in its list: "
                   "download them to repair the game." }));
    EXPECT_EQ(window.serverList.selected, (std::vector<int> { 0 }));

    journal.clear();
    window.serverList.selected.clear();
    const CheckOutcome second = QuickLookAtStart(Services());
    EXPECT_EQ(state.DamagedMediaFiles, (std::set<std::string> { "Bricks.mdc" }));
    OfferRepairsAtStart(Services(), second);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(window.serverList.selected, (std::vector<int> { 0 }));
}

} // namespace
} // namespace gsd

#include "download/DownloadSelections.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/DownloadRig.h"

namespace gsd {
namespace {

using ::testing::Contains;
using testing::DownloadRig;
using ::testing::ElementsAre;
using testing::Messages;
using ::testing::Not;
using testing::ProgramEnded;
using Answer = MessageAnswer;

const std::string Bricks = "3|Bricks|Bricks|Ann|Red|n|1|0|0|1";
const std::string Canals = "3|Canals|Canals|Bob|Water|n|1|0|0|1";
const std::string Language = "2|Language|Language|Quil|Texts|n|2|0|0|7";
const std::string Upgrade = "4|Upgrade|Up|Quil|Newer program|n|1|1|0|1";
const std::string Installer = "1|Game|Setup|Quil|The game|n|1|1|0|1";

struct DriverTest : ::testing::Test {
    DriverTest()
    {
        rig.mediaFolder.names = { "Bricks.mdc" };
        testing::AddPack(rig.engine, "Bricks.mdc", { "1|0|0", "1", "Bricks" });
    }

    // Offers `lines`, selects the rows `selected` and scripts the Yes/No answers.
    void Press(const std::vector<std::string>& lines, const std::vector<int>& selected, std::vector<Answer> answers)
    {
        rig.Offer(lines);
        rig.window.serverList.selected = selected;
        rig.window.yesNoAnswers = { answers.begin(), answers.end() };
        DownloadSelections(rig.Services());
    }

    std::vector<std::string> ServerFileNames() const
    {
        std::vector<std::string> names;
        for (const auto& row : rig.window.serverList.rows) {
            names.push_back(row.at(5));
        }
        return names;
    }

    std::vector<std::string> Steps() const
    {
        return rig.Lines({ "message ", "busy", "not busy", "ask the game", "start ", "end dialog", "exit" });
    }

    DownloadRig rig;
};

TEST_F(DriverTest, NothingSelectedOrNotConfirmedChangesNothing)
{
    struct Case {
        const char* name;
        std::vector<int> selected;
        std::vector<std::string> steps;
    };
    const std::vector<Case> cases = {
        { "no row selected", {}, { "message Notice: nothing selected" } },
        { "No to the confirmation", { 0 }, { "message Notice: confirm?" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rig.journal.clear();
        rig.window.serverList.rows.clear();
        rig.state.DownloadListText.clear();
        rig.records.values = { { "Secure Download Item 1", "Old" } };

        Press({ Bricks }, c.selected, { Answer::No });

        EXPECT_EQ(Steps(), c.steps);
        EXPECT_EQ(rig.records.Data(), std::vector<std::string> { "Old" });
    }
}

TEST_F(DriverTest, DecliningTheUpgradeKeepsTheRecordsForTheNextStart)
{
    rig.game.outcome = GameCloseOutcome::NoAnswer;

    Press({ Bricks, Upgrade }, { 0 }, { Answer::Yes, Answer::No });

    EXPECT_THAT(Steps(),
        ElementsAre("message Notice: confirm?", "busy", "ask the game to close", "message Notice: upgrade first?",
            "message Notice: upgrade declined", "not busy"));
    EXPECT_EQ(rig.records.Data(), std::vector<std::string> { "Bricks" });
    EXPECT_TRUE(rig.http.sentBodies.empty());
}

TEST_F(DriverTest, AStartedUpgradeEndsTheProgramWithTheRecordsLeft)
{
    rig.Answer("upgrade installer");

    EXPECT_THROW(Press({ Bricks, Upgrade }, { 0 }, { Answer::Yes, Answer::Yes }), ProgramEnded);

    EXPECT_THAT(rig.journal, Contains("start Temp\\Download.exe in \"Temp\""));
    EXPECT_EQ(rig.records.Data(), std::vector<std::string> { "Bricks" });
}

TEST_F(DriverTest, AFailedUpgradeIsRetiredAndTheRecordedItemsFollow)
{
    rig.Answer("12");
    rig.Answer("MDC-bricks");

    Press({ Bricks, Upgrade, Canals }, { 0 }, { Answer::Yes, Answer::Yes, Answer::No });

    EXPECT_THAT(Messages(rig.journal),
        ElementsAre("message Notice: confirm?", "message Notice: upgrade first?",
            "message Error Number 12: Get File To Return Failed.",
            "message Notice: An error occurred when downloading a selected object pack or update. Continuing "
            "without downloading erroneous file.",
            "message Notice: all processed", "message Notice: start the game?"));
    EXPECT_EQ(ServerFileNames(), std::vector<std::string> { "Canals" });
    EXPECT_EQ(rig.files.files["Media\\Bricks.mdc"], "MDC-bricks");
    EXPECT_TRUE(rig.records.values.empty());
}

TEST_F(DriverTest, EveryItemIsRetiredAndOnlyASuccessRefreshesMyComputer)
{
    rig.Answer("12");
    rig.Answer("MDC-canals");

    Press({ Bricks, Canals, Language }, { 0, 1 }, { Answer::Yes, Answer::No });

    EXPECT_THAT(Steps(),
        ElementsAre("message Notice: confirm?", "busy", "ask the game to close",
            "message Error Number 12: Get File To Return Failed.", "message Notice: item failed",
            "message Notice: all processed", "message Notice: start the game?", "not busy"));
    // The list is read again after the one installation, not after the failure.
    const auto firstRead = std::find(rig.journal.begin(), rig.journal.end(), "CreateReader");
    const auto installed = std::find(rig.journal.begin(), rig.journal.end(), "status Installed File Successfully!");
    EXPECT_LT(installed, firstRead);
    EXPECT_NE(firstRead, rig.journal.end());
    EXPECT_EQ(ServerFileNames(), std::vector<std::string> { "Language" });
    EXPECT_TRUE(rig.records.values.empty());
    EXPECT_EQ(rig.state.DownloadListText,
        "0|Bricks||Ann|Red|n|1|0|0|1\r\n0|Canals||Bob|Water|n|1|0|0|1\r\n" + Language + "\r\n");
    EXPECT_TRUE(rig.window.enabledControls.empty());
}

TEST_F(DriverTest, TheLastRowGoneLeavesThePlaceholderAndTheOfferToPlay)
{
    struct Case {
        const char* name;
        std::string reply;
        Answer startGame;
        std::vector<std::string> tail;
    };
    const std::vector<Case> cases = {
        { "installed, play", "MDC-bricks", Answer::Yes,
            { "message Notice: all processed", "message Notice: start the game?",
                "desktop start Rubbleton Gravelpit.exe in \"\"", "end dialog 0", "not busy" } },
        { "failed, stay", "12", Answer::No,
            { "message Notice: item failed", "message Notice: all processed", "message Notice: some failed",
                "message Notice: start the game?", "not busy" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig fresh;
        fresh.Answer(c.reply);
        fresh.Offer({ Bricks });
        fresh.window.serverList.selected = { 0 };
        fresh.window.yesNoAnswers = { Answer::Yes, c.startGame };

        DownloadSelections(fresh.Services());

        const auto steps = fresh.Lines({ "message Notice", "desktop start ", "end dialog", "not busy" });
        ASSERT_GE(steps.size(), c.tail.size());
        EXPECT_EQ(std::vector<std::string>(steps.end() - static_cast<long>(c.tail.size()), steps.end()), c.tail);
        EXPECT_EQ(fresh.window.serverList.rows,
            (std::vector<std::vector<std::string>> { { "Nothing here", "", "Nothing to fetch", "", "", "", "", "" } }));
        EXPECT_EQ(fresh.window.enabledControls[1003], false);
    }
}

TEST_F(DriverTest, TheGameStartsAsThePlayerThroughTheDesktopElseDirectlyAndTheLogSaysWhich)
{
    struct Case {
        const char* name;
        DesktopStart desktop;
        bool directFails;
        std::vector<std::string> starts;
        std::string logged;
        std::string ending;
    };
    const std::vector<Case> cases = {
        { "desktop shell", { true, {}, 0 }, false, { "desktop start Rubbleton Gravelpit.exe in \"\"" },
            "game started through the desktop's shell, as the logged-on player", "the game started" },
        { "no desktop shell", { false, "shell windows", 0x80040154 }, false,
            { "desktop start Rubbleton Gravelpit.exe in \"\"", "start Rubbleton Gravelpit.exe in \"\"" },
            "game started by this program, with its rights: no desktop shell (shell windows 0x80040154)",
            "the game started" },
        { "neither way", { false, "desktop window", 0x80070490 }, true,
            { "desktop start Rubbleton Gravelpit.exe in \"\"", "start Rubbleton Gravelpit.exe in \"\"" },
            "game not started: no desktop shell (desktop window 0x80070490), and starting it directly failed",
            "failure: the game could not be started" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig fresh;
        fresh.processes.desktopStart = c.desktop;
        fresh.processes.startFails = c.directFails;
        fresh.Answer("MDC-bricks");
        fresh.Offer({ Bricks });
        fresh.window.serverList.selected = { 0 };
        fresh.window.yesNoAnswers = { Answer::Yes, Answer::Yes };

        DownloadSelections(fresh.Services());

        EXPECT_EQ(fresh.Lines({ "desktop start ", "start " }), c.starts);
        EXPECT_EQ(fresh.logLines.front(), "game: not running");
        EXPECT_EQ(fresh.logLines.back(), c.logged);
        EXPECT_EQ(fresh.state.RunEnding, c.ending);
    }
}

TEST_F(DriverTest, ARecordThatCannotBeDeletedIsFetchedOnceAndThePassEnds)
{
    rig.records.undeletable = { "Secure Download Item 1" };
    rig.Answer("MDC-bricks");
    rig.Answer("MDC-canals");

    Press({ Bricks, Canals }, { 0, 1 }, { Answer::Yes, Answer::No });

    EXPECT_EQ(rig.http.sentBodies.size(), 2U);
    EXPECT_EQ(rig.records.Data(), std::vector<std::string> { "Bricks" });
    EXPECT_THAT(Messages(rig.journal),
        ElementsAre("message Notice: confirm?",
            "message Notice: The download record of \"Bricks\" could not be removed from the registry.  It was "
            "downloaded once in this pass and will be selected again at the next start.",
            "message Notice: all processed", "message Notice: start the game?"));
}

TEST_F(DriverTest, ASelectionTheStoreCannotRecordIsReportedAndNotCalledDone)
{
    struct Case {
        const char* name;
        bool keyMissing;
        std::vector<std::string> unwritable;
        std::vector<std::string> messages;
        std::size_t fetched;
    };
    const std::vector<Case> cases = {
        { "one record refused", false, { "Secure Download Item 2" },
            { "message Notice: confirm?",
                "message Notice: The download of \"Canals\" could not be recorded in the registry, so it is not "
                "done now.  Select it again later.",
                "message Notice: some failed", "message Notice: start the game?" },
            1 },
        { "every record refused", false, { "Secure Download Item 1", "Secure Download Item 2" },
            { "message Notice: confirm?",
                "message Notice: The download of \"Bricks\" and 1 more could not be recorded in the registry, so "
                "it is not done now.  Select it again later.",
                "message Notice: some failed", "message Notice: start the game?" },
            0 },
        { "no key to record in", true, {},
            { "message Notice: confirm?", "message Notice: Registry key missing.",
                "message Notice: Registry key missing.", "message Notice: some failed",
                "message Notice: start the game?" },
            0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig fresh;
        fresh.mediaFolder.names = { "Bricks.mdc" };
        testing::AddPack(fresh.engine, "Bricks.mdc", { "1|0|0", "1", "Bricks" });
        fresh.records.missing = c.keyMissing;
        fresh.records.unwritable = { c.unwritable.begin(), c.unwritable.end() };
        fresh.Answer("MDC-bricks");
        fresh.Offer({ Bricks, Canals });
        fresh.window.serverList.selected = { 0, 1 };
        fresh.window.yesNoAnswers = { Answer::Yes, Answer::No };

        DownloadSelections(fresh.Services());

        EXPECT_EQ(Messages(fresh.journal), c.messages);
        EXPECT_EQ(fresh.http.sentBodies.size(), c.fetched);
        // The rows not fetched stay, to be chosen again.
        EXPECT_THAT(fresh.window.serverList.rows, Contains(::testing::Contains("Canals")));
    }
}

TEST_F(DriverTest, ACloseDuringAPassCancelsTheCurrentItemKeepsTheRestRecordedAndThenEndsTheDialog)
{
    struct Case {
        const char* name;
        std::vector<std::string> offered;
        // The close arrives with the first message handled after this step.
        std::string after;
        std::vector<std::string> records;
        bool installerRan;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        { "during the installer's check", { Installer, Bricks, Canals }, "check Temp\\Download.tmp",
            { "Setup", "Bricks", "Canals" }, false, { "message Notice: confirm?" } },
        { "while the installer runs", { Installer, Bricks, Canals }, "release Temp\\Download.exe",
            { "Bricks", "Canals" }, true, { "message Notice: confirm?" } },
        { "during the upgrade's check", { Bricks, Upgrade, Canals }, "check Temp\\Download.tmp",
            { "Bricks", "Up", "Canals" }, false, { "message Notice: confirm?", "message Notice: upgrade first?" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig fresh;
        fresh.mediaFolder.names = { "Bricks.mdc" };
        testing::AddPack(fresh.engine, "Bricks.mdc", { "1|0|0", "1", "Bricks" });
        fresh.Answer("MZ-installer");
        fresh.Offer(c.offered);
        fresh.window.serverList.selected = { 0, 1, 2 };
        fresh.window.yesNoAnswers = { Answer::Yes, Answer::Yes };
        fresh.pump.arrives = [&] {
            if (fresh.journal.back() == c.after) {
                EXPECT_TRUE(CloseDuringPass(fresh.state));
            }
        };

        DownloadSelections(fresh.Services());

        EXPECT_EQ(Messages(fresh.journal), c.messages);
        EXPECT_EQ(fresh.Lines({ "start ", "wait for exit" }).size(), c.installerRan ? 2U : 0U);
        EXPECT_EQ(fresh.http.sentBodies.size(), 1U);
        EXPECT_EQ(fresh.records.Data(), c.records);
        EXPECT_TRUE(fresh.files.files.empty());
        EXPECT_EQ(fresh.Lines({ "not busy", "end dialog" }), (std::vector<std::string> { "not busy", "end dialog 0" }));
        EXPECT_FALSE(fresh.state.PassRunning);
    }
}

TEST_F(DriverTest, APressWhileAPassRunsIsIgnoredAndACloseAfterItIsNotTaken)
{
    rig.Answer("MZ-installer");
    bool pressed = false;
    rig.pump.arrives = [&] {
        if (!pressed) {
            pressed = true;
            DownloadSelections(rig.Services());
        }
    };

    Press({ Installer }, { 0 }, { Answer::Yes, Answer::No });

    EXPECT_TRUE(pressed);
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), "busy"), 1);
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), "message Notice: confirm?"), 1);
    EXPECT_THAT(rig.logLines, Contains("download button pressed while a pass runs: ignored"));
    EXPECT_THAT(rig.journal, Contains("wait for exit"));
    EXPECT_FALSE(CloseDuringPass(rig.state));
    EXPECT_THAT(rig.journal, Not(Contains(::testing::StartsWith("end dialog"))));
}

} // namespace
} // namespace gsd

#include "download/InstallDownloadedFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "download/InstalledMediaRecords.h"
#include "fakes/DownloadRig.h"
#include "fakes/FakeInstalledFiles.h"

namespace gsd {
namespace {

using testing::DownloadRig;
using testing::ProgramEnded;
using Journal = std::vector<std::string>;

// A failure no wait mends.
const FileFailure DiskFull { 112, "There is not enough space on the disk.", "C:\\Game\\Temp\\Download.tmp" };
constexpr const char* MoveDiskFull
    = "message Move File Error: There is not enough space on the disk.\r\nC:\\Game\\Temp\\Download.tmp";
constexpr const char* NoProcess = "message Error: Error Retrieving Process ID to wait on.";
constexpr const char* HoldTmp = "hold for start Temp\\Download.tmp";
constexpr const char* CheckTmp = "check Temp\\Download.tmp";
constexpr const char* DeleteTmp = "delete Temp\\Download.tmp";
constexpr const char* ReleaseExe = "release Temp\\Download.exe";
constexpr const char* CancelDisabled = "status cancel disabled";

// The file a transfer left held: `bytes` written and finished. The journal
// starts after it.
ReceivedFile Received(DownloadRig& rig, std::string_view bytes)
{
    FileFailure failure;
    ReceivedFile received { rig.files.CreateEmpty("Temp\\Download.tmp", failure), {} };
    EXPECT_EQ(received.file->Write(bytes), std::nullopt);
    EXPECT_EQ(received.file->Finish(), std::nullopt);
    received.digest = received.file->WrittenDigest();
    rig.journal.clear();
    return received;
}

TEST(InstallDownloadedFileTest, EachKindEndsInItsPlaceAndAFailedMoveInstallsNothing)
{
    enum class Outcome { Installed, Failed, ProgramEnds };
    struct Case {
        const char* name;
        std::string line;
        bool moveFails;
        bool startFails;
        Outcome outcome;
        Journal journal;
    };
    const std::vector<Case> cases = {
        { "language file", "2|Language|Language", false, false, Outcome::Installed,
            { "status Installing File.", "move Temp\\Download.tmp to Media\\Language.mdc",
                "status Installed File Successfully!", "release Media\\Language.mdc" } },
        { "object pack replaces the one installed", " 3|Bricks|Bricks", false, false, Outcome::Installed,
            { "status Installing File.", "move Temp\\Download.tmp to Media\\Bricks.mdc",
                "status Installed File Successfully!", "release Media\\Bricks.mdc" } },
        { "object pack that cannot be moved", "3|Bricks|Bricks", true, false, Outcome::Failed,
            { "status Installing File.", "move Temp\\Download.tmp to Media\\Bricks.mdc", MoveDiskFull, DeleteTmp } },
        { "object pack named outside the folder", "3|Bricks|..\\Bricks", false, false, Outcome::Failed,
            { "message Error!: The server named the file \"..\\Bricks\" for this item, which cannot be installed "
              "in the Media folder: it holds a path separator.",
                DeleteTmp } },
        { "installer, started while the checked file is held", "1|Game|Setup", false, false, Outcome::Installed,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe inheriting the folder", ReleaseExe, "wait for exit",
                "delete Temp\\Download.exe" } },
        { "installer that cannot be moved is not started", "1|Game|Setup", true, false, Outcome::Failed,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                MoveDiskFull, DeleteTmp, "delete Temp\\Download.exe" } },
        { "installer without a process", "1|Game|Setup", false, true, Outcome::Failed,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe inheriting the folder", ReleaseExe, NoProcess,
                "delete Temp\\Download.exe" } },
        { "upgrade ends the program", "4|Upgrade|Up", false, false, Outcome::ProgramEnds,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe in \"Temp\"", ReleaseExe, "exit 0" } },
        { "upgrade that cannot be moved is not started", "4|Upgrade|Up", true, false, Outcome::Failed,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                MoveDiskFull, DeleteTmp } },
        { "upgrade without a process stays in Temp", "4|Upgrade|Up", false, true, Outcome::Failed,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe in \"Temp\"", ReleaseExe, NoProcess } },
        { "retired line", "0|Old|", false, false, Outcome::Failed, { DeleteTmp } },
        { "unknown kind", "5|New|Thing", false, false, Outcome::Failed, { DeleteTmp } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        rig.files.files = { { "Media\\Bricks.mdc", "old" }, { "Temp\\Download.exe", "leftover" } };
        ReceivedFile received = Received(rig, "new");
        if (c.moveFails) {
            rig.files.moveFailure = DiskFull;
        }
        rig.processes.startFails = c.startFails;
        const std::unique_ptr<StatusDialog> status = rig.dialogs.OpenStatusDialog();
        rig.journal.clear();

        Outcome outcome = Outcome::Failed;
        try {
            outcome = InstallDownloadedFile(rig.Services(), status.get(), c.line, std::move(received))
                ? Outcome::Installed
                : Outcome::Failed;
        } catch (const ProgramEnded& ended) {
            EXPECT_EQ(ended.exitCode, 0);
            outcome = Outcome::ProgramEnds;
        }

        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(rig.journal, c.journal);
        if (c.outcome == Outcome::Installed && c.line.ends_with("|Bricks")) {
            EXPECT_EQ(rig.files.files["Media\\Bricks.mdc"], "new");
        }
        if (c.moveFails) {
            EXPECT_EQ(rig.files.files["Media\\Bricks.mdc"], "old");
        }
        if (c.outcome != Outcome::ProgramEnds) {
            EXPECT_EQ(rig.files.filesHeld, 0);
        }
        if (c.outcome == Outcome::ProgramEnds) {
            // Written before the process ends, as nothing is written after.
            EXPECT_EQ(rig.logLines,
                (std::vector<std::string> {
                    "installer Up checked: may run, signer " + std::string(64, 'a') + ", 0.000 s",
                    "installer Up started", "installer Up handed over: this program ends for it",
                    "end: handed over to a program upgrade" }));
        }
    }
}

TEST(InstallDownloadedFileTest, OnlyAnInstalledMediaFileIsRecordedWithTheDigestReceived)
{
    struct Case {
        const char* why;
        std::string line;
        bool moveFails;
        std::vector<std::string> records;
    };
    const std::vector<Case> cases = {
        { "an object pack", "3|Bricks|Bricks", false, { "Bricks.mdc=3|2|digest" } },
        { "the language file", "2|Language|Language", false, { "Language.mdc=3|2|digest" } },
        { "a pack that could not be moved", "3|Bricks|Bricks", true, {} },
        { "a game installer", "1|Game|Setup", false, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        DownloadRig rig;
        testing::FakeRecordStore installedMedia;
        testing::FakeInstalledFiles installedFiles;
        installedFiles.files = { { "Media\\Bricks.mdc", { "new", 2 } }, { "Media\\Language.mdc", { "new", 2 } } };
        DownloadServices services = rig.Services();
        services.installedMedia = &installedMedia;
        services.installedFiles = &installedFiles;
        rig.state.DamagedMediaFiles = { "BRICKS.MDC", "Stones.mdc" };
        ReceivedFile file = Received(rig, "new");
        const std::string digest = DigestHex(file.digest);
        if (c.moveFails) {
            rig.files.moveFailure = DiskFull;
        }
        InstallDownloadedFile(services, nullptr, c.line, std::move(file));
        std::vector<std::string> records;
        for (std::string pair : installedMedia.Pairs()) {
            records.push_back(pair.replace(pair.find(digest), digest.size(), "digest"));
        }
        EXPECT_EQ(records, c.records);
        EXPECT_EQ(rig.state.DamagedMediaFiles.size(), c.line == "3|Bricks|Bricks" && !c.moveFails ? 1u : 2u);
    }
}

TEST(InstallDownloadedFileTest, RefusedInstallerIsDeletedNamedAndNeverStarted)
{
    SignatureFindings unsigned_ = testing::GoodFindings();
    unsigned_.layout = SignatureLayout::NoSignature;
    const SignatureFindings stranger = testing::GoodFindings(testing::StrangerKey);
    struct Case {
        const char* name;
        std::string line;
        SignatureFindings findings;
        Journal journal;
        std::string logLine;
    };
    const std::vector<Case> cases = {
        { "unsigned game installer", "1|Game|Setup", unsigned_,
            { HoldTmp, CheckTmp, DeleteTmp,
                "message Error!: The installer \"Setup\" is not signed.  It was deleted and not started.",
                "delete Temp\\Download.exe" },
            "installer Setup checked: not signed, signer " + testing::PublisherKey + ", 0.000 s" },
        { "upgrade by another signer leaves the program running", "4|Upgrade|Up", stranger,
            { HoldTmp, CheckTmp, DeleteTmp,
                "message Error!: The installer \"Up\" is signed by someone other than the game's publisher.  It was "
                "deleted and not started." },
            "installer Up checked: other signer, signer " + testing::StrangerKey + ", 0.000 s" },
        { "installer that cannot be opened", "1|Game|Setup", {},
            { HoldTmp, CheckTmp, DeleteTmp,
                "message Error!: The signature of the installer \"Setup\" could not be checked.  It was deleted and "
                "not started.",
                "delete Temp\\Download.exe" },
            "installer Setup checked: could not be checked, signer unknown, 0.000 s" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        ReceivedFile received = Received(rig, "new");
        rig.signatures.findings = c.findings;

        EXPECT_FALSE(InstallDownloadedFile(rig.Services(), nullptr, c.line, std::move(received)));

        EXPECT_EQ(rig.journal, c.journal);
        EXPECT_TRUE(rig.files.files.empty()) << "the refused file is gone";
        EXPECT_EQ(rig.files.filesHeld, 0);
        EXPECT_EQ(rig.logLines, std::vector<std::string> { c.logLine });
        EXPECT_GT(rig.pump.calls, 0) << "the windows answered during the check";
    }
}

TEST(InstallDownloadedFileTest, OnlyTheBytesReceivedAreStarted)
{
    SignatureFindings unsigned_ = testing::GoodFindings();
    unsigned_.layout = SignatureLayout::NoSignature;
    const std::string changed
        = "message Error!: The installer \"Setup\" changed on disk between its download and its check.  It was "
          "deleted and not started.";
    struct Case {
        const char* name;
        std::optional<std::string> swappedFor; // what the file holds at its check
        SignatureFindings findings;
        bool started;
        Journal journal; // up to the start, or the end
        std::string verdict; // logged; empty: no check
    };
    const std::vector<Case> cases = {
        { "the bytes received", std::nullopt, testing::GoodFindings(), true,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                "start Temp\\Download.exe inheriting the folder" },
            "may run" },
        { "another installer of the publisher in their place", "an older build", testing::GoodFindings(), false,
            { HoldTmp, CheckTmp, DeleteTmp, changed, "delete Temp\\Download.exe" },
            std::string(ChangedSinceReceivedName) },
        { "an unsigned file in their place", "", unsigned_, false,
            { HoldTmp, CheckTmp, DeleteTmp, changed, "delete Temp\\Download.exe" },
            std::string(ChangedSinceReceivedName) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        ReceivedFile received = Received(rig, "the installer as sent");
        rig.signatures.findings = c.findings;
        if (c.swappedFor) {
            rig.signatures.beforeCheck = [&] { rig.files.files["Temp\\Download.tmp"] = *c.swappedFor; };
        }

        EXPECT_EQ(InstallDownloadedFile(rig.Services(), nullptr, "1|Game|Setup", std::move(received)), c.started);

        const Journal upToTheEnd(
            rig.journal.begin(), rig.journal.begin() + std::min(rig.journal.size(), c.journal.size()));
        EXPECT_EQ(upToTheEnd, c.journal);
        EXPECT_EQ(rig.files.filesHeld, 0);
        const std::vector<std::string> checks = c.verdict.empty()
            ? std::vector<std::string>()
            : std::vector<std::string> { "installer Setup checked: " + c.verdict + ", signer " + testing::PublisherKey
                  + ", 0.000 s" };
        const std::vector<std::string> logged(
            rig.logLines.begin(), rig.logLines.begin() + std::min(rig.logLines.size(), checks.size()));
        EXPECT_EQ(logged, checks);
    }
}

TEST(InstallDownloadedFileTest, ACancelBeforeTheInstallerStartsInstallsAndStartsNothing)
{
    struct Case {
        const char* name;
        std::string line;
        // The questions of Cancel answered No before the first Yes.
        int cancelAfterQuestions;
        Journal journal;
    };
    const std::vector<Case> cases = {
        { "object pack, before its move", "3|Bricks|Bricks", 0, { DeleteTmp } },
        { "installer, before its check", "1|Game|Setup", 0, { DeleteTmp } },
        { "installer, during its check", "1|Game|Setup", 1,
            { HoldTmp, CheckTmp, DeleteTmp, "delete Temp\\Download.exe" } },
        { "installer, before its move", "1|Game|Setup", 2,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", DeleteTmp, "delete Temp\\Download.exe" } },
        { "installer, before its start", "1|Game|Setup", 3,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                ReleaseExe, "delete Temp\\Download.exe" } },
        { "upgrade, during its check", "4|Upgrade|Up", 1,
            { HoldTmp, CheckTmp, DeleteTmp, "delete Temp\\Download.exe" } },
        { "upgrade, before its start", "4|Upgrade|Up", 3,
            { HoldTmp, CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                ReleaseExe, "delete Temp\\Download.exe" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        rig.dialogs.cancelAfterQuestions = c.cancelAfterQuestions;
        const std::unique_ptr<StatusDialog> status = rig.dialogs.OpenStatusDialog();
        ReceivedFile received = Received(rig, "new");

        EXPECT_FALSE(InstallDownloadedFile(rig.Services(), status.get(), c.line, std::move(received)));

        EXPECT_EQ(rig.journal, c.journal);
        EXPECT_FALSE(rig.files.files.contains("Temp\\Download.tmp"));
        EXPECT_FALSE(rig.files.files.contains("Temp\\Download.exe"));
        EXPECT_FALSE(rig.files.files.contains("Media\\Bricks.mdc"));
        EXPECT_EQ(rig.files.filesHeld, 0);
    }
}

TEST(InstallDownloadedFileTest, AFileHeldForAMomentIsWaitedForAndOneHeldLongerIsNamed)
{
    const FileFailure held { 5, "Access is denied.", "C:\\Game\\Temp\\Download.tmp" };
    const FileFailure sharing { 32, "The process cannot access the file because it is being used by another process.",
        "C:\\Game\\Temp\\Download.exe" };
    constexpr const char* DeleteExe = "delete Temp\\Download.exe";
    constexpr const char* RenameExe = "rename Temp\\Download.exe to Temp\\Download.exe.old";
    constexpr const char* MoveToExe = "move Temp\\Download.tmp to Temp\\Download.exe";
    constexpr const char* StartGame = "start Temp\\Download.exe inheriting the folder";
    struct Case {
        const char* name;
        std::string line;
        // Tries that fail with a hold before one succeeds (negative: every one).
        int movesFailing = 0;
        int deletesFailing = 0;
        int holdsFailing = 0;
        // Renames refused with a sharing violation, as by a holder that does
        // not share deleting.
        int renamesFailing = 0;
        // Deletes leave the file under its name while it is held.
        bool deletesPending = false;
        // Files in Temp besides the received one.
        std::map<std::string, std::string> inTemp;
        int cancelAfterQuestions = -1;
        bool installed = false;
        Journal journal;
        // Temp's files afterwards, but for the received one.
        std::map<std::string, std::string> leftInTemp;
    };
    const std::vector<Case> cases = {
        { .name = "pack held for two tries",
            .line = "3|Bricks|Bricks",
            .movesFailing = 2,
            .installed = true,
            .journal = { "status Installing File.", "move Temp\\Download.tmp to Media\\Bricks.mdc", "sleep 100",
                "move Temp\\Download.tmp to Media\\Bricks.mdc", "sleep 200",
                "move Temp\\Download.tmp to Media\\Bricks.mdc", "status Installed File Successfully!",
                "release Media\\Bricks.mdc" } },
        { .name = "language file held past the limit names the file it replaces",
            .line = "2|Language|Language",
            .movesFailing = -1,
            .journal
            = { "message Move File Error: Access is denied.\r\nMedia\\Language.mdc\r\nC:\\Game\\Temp\\Download.tmp",
                DeleteTmp } },
        { .name = "cancel while a pack is held installs nothing and says nothing",
            .line = "3|Bricks|Bricks",
            .movesFailing = -1,
            .cancelAfterQuestions = 2,
            .journal
            = { "status Installing File.", "move Temp\\Download.tmp to Media\\Bricks.mdc", "sleep 100", DeleteTmp } },
        { .name = "installer opened by another program at its hand-over, for two tries",
            .line = "1|Game|Setup",
            .holdsFailing = 2,
            .installed = true,
            .journal = { HoldTmp, "sleep 100", HoldTmp, "sleep 200", HoldTmp, CheckTmp, DeleteExe, MoveToExe,
                CancelDisabled, StartGame, ReleaseExe, "wait for exit", DeleteExe } },
        { .name = "installer opened by another program at its hand-over past the limit is deleted and named",
            .line = "1|Game|Setup",
            .holdsFailing = -1,
            .journal = { DeleteTmp, "message Error!: Access is denied.\r\nC:\\Game\\Temp\\Download.tmp", DeleteExe } },
        { .name = "cancel while the hand-over waits checks and says nothing",
            .line = "4|Upgrade|Up",
            .holdsFailing = -1,
            .cancelAfterQuestions = 2,
            .journal = { HoldTmp, "sleep 100", DeleteTmp, DeleteExe } },
        { .name = "leftover held without sharing deleting is waited for",
            .line = "1|Game|Setup",
            .deletesFailing = 1,
            .renamesFailing = -1,
            .inTemp = { { "Temp\\Download.exe", "leftover" } },
            .installed = true,
            .journal = { HoldTmp, CheckTmp, DeleteExe, RenameExe, "sleep 100", DeleteExe, MoveToExe, CancelDisabled,
                StartGame, ReleaseExe, "wait for exit", DeleteExe } },
        { .name = "leftover upgrade installer still running is renamed away at once",
            .line = "4|Upgrade|Up",
            .deletesFailing = -1,
            .inTemp = { { "Temp\\Download.exe", "leftover" } },
            .installed = true,
            .journal = { HoldTmp, CheckTmp, DeleteExe, RenameExe, "delete Temp\\Download.exe.old", MoveToExe,
                CancelDisabled, "start Temp\\Download.exe in \"Temp\"", ReleaseExe, "exit 0" },
            .leftInTemp = { { "Temp\\Download.exe", "new" }, { "Temp\\Download.exe.old", "leftover" } } },
        { .name = "leftover deleted while held keeps its name until renamed away",
            .line = "4|Upgrade|Up",
            .movesFailing = 1,
            .deletesPending = true,
            .inTemp = { { "Temp\\Download.exe", "leftover" } },
            .installed = true,
            .journal = { HoldTmp, CheckTmp, DeleteExe, MoveToExe, RenameExe, "delete Temp\\Download.exe.old", MoveToExe,
                CancelDisabled, "start Temp\\Download.exe in \"Temp\"", ReleaseExe, "exit 0" },
            .leftInTemp = { { "Temp\\Download.exe", "new" }, { "Temp\\Download.exe.old", "leftover" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        rig.files.files = c.inTemp;
        rig.files.moveFailure = held;
        rig.files.movesFailing = c.movesFailing;
        rig.files.deleteFailure = held;
        rig.files.deletesFailing = c.deletesFailing;
        rig.files.holdFailure = held;
        rig.files.holdsFailing = c.holdsFailing;
        rig.files.renameFailure = sharing;
        rig.files.renamesFailing = c.renamesFailing;
        rig.files.deletesPending = c.deletesPending;
        rig.dialogs.cancelAfterQuestions = c.cancelAfterQuestions;
        const std::unique_ptr<StatusDialog> status = rig.dialogs.OpenStatusDialog();
        ReceivedFile received = Received(rig, "new");

        bool installed = false;
        try {
            installed = InstallDownloadedFile(rig.Services(), status.get(), c.line, std::move(received));
        } catch (const ProgramEnded&) {
            installed = true;
        }

        EXPECT_EQ(installed, c.installed);
        if ((c.movesFailing < 0 || c.holdsFailing < 0) && c.cancelAfterQuestions < 0) {
            // Only the outcome: the waits themselves are the rule's own test.
            const Journal messages = rig.Lines({ "message", "delete" });
            EXPECT_EQ(messages, c.journal);
        } else {
            EXPECT_EQ(rig.journal, c.journal);
        }
        EXPECT_EQ(rig.files.files.contains("Media\\Bricks.mdc"), c.installed && c.line.starts_with("3"));
        std::map<std::string, std::string> leftInTemp = rig.files.files;
        std::erase_if(leftInTemp, [](const auto& file) { return !file.first.starts_with("Temp\\"); });
        EXPECT_EQ(leftInTemp, c.leftInTemp);
        if (!c.line.starts_with("4") || !installed) {
            EXPECT_EQ(rig.files.filesHeld, 0);
        }
    }
}

} // namespace
} // namespace gsd

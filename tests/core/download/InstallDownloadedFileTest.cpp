#include "download/InstallDownloadedFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/DownloadRig.h"

namespace gsd {
namespace {

using testing::DownloadRig;
using testing::ProgramEnded;
using Journal = std::vector<std::string>;

const FileFailure Denied { 5, "Access is denied.", "C:\\Game\\Temp\\Download.tmp" };
constexpr const char* MoveDenied = "message Move File Error: Access is denied.\r\nC:\\Game\\Temp\\Download.tmp";
constexpr const char* NoProcess = "message Error: Error Retrieving Process ID to wait on.";
constexpr const char* CheckTmp = "check Temp\\Download.tmp";
constexpr const char* ReleaseTmp = "release Temp\\Download.tmp";
constexpr const char* ReleaseExe = "release Temp\\Download.exe";
constexpr const char* CancelDisabled = "status cancel disabled";

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
                "status Installed File Successfully!" } },
        { "object pack replaces the one installed", " 3|Bricks|Bricks", false, false, Outcome::Installed,
            { "status Installing File.", "move Temp\\Download.tmp to Media\\Bricks.mdc",
                "status Installed File Successfully!" } },
        { "object pack that cannot be moved", "3|Bricks|Bricks", true, false, Outcome::Failed,
            { "status Installing File.", "move Temp\\Download.tmp to Media\\Bricks.mdc", MoveDenied } },
        { "object pack named outside the folder", "3|Bricks|..\\Bricks", false, false, Outcome::Failed,
            { "message Error!: The server named the file \"..\\Bricks\" for this item, which cannot be installed "
              "in the Media folder: it holds a path separator." } },
        { "installer, started while the checked file is held", "1|Game|Setup", false, false, Outcome::Installed,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe inheriting the folder", ReleaseExe, "wait for exit",
                "delete Temp\\Download.exe" } },
        { "installer that cannot be moved is not started", "1|Game|Setup", true, false, Outcome::Failed,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe", MoveDenied,
                ReleaseTmp, "delete Temp\\Download.exe" } },
        { "installer without a process", "1|Game|Setup", false, true, Outcome::Failed,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe inheriting the folder", NoProcess, ReleaseExe,
                "delete Temp\\Download.exe" } },
        { "upgrade ends the program", "4|Upgrade|Up", false, false, Outcome::ProgramEnds,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe in \"Temp\"", ReleaseExe, "exit 0" } },
        { "upgrade that cannot be moved is not started", "4|Upgrade|Up", true, false, Outcome::Failed,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe", MoveDenied,
                ReleaseTmp } },
        { "upgrade without a process stays in Temp", "4|Upgrade|Up", false, true, Outcome::Failed,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe",
                CancelDisabled, "start Temp\\Download.exe in \"Temp\"", NoProcess, ReleaseExe } },
        { "retired line", "0|Old|", false, false, Outcome::Failed, {} },
        { "unknown kind", "5|New|Thing", false, false, Outcome::Failed, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        rig.files.files
            = { { "Temp\\Download.tmp", "new" }, { "Media\\Bricks.mdc", "old" }, { "Temp\\Download.exe", "leftover" } };
        if (c.moveFails) {
            rig.files.moveFailure = Denied;
        }
        rig.processes.startFails = c.startFails;
        const std::unique_ptr<StatusDialog> status = rig.dialogs.OpenStatusDialog();
        rig.journal.clear();

        Outcome outcome = Outcome::Failed;
        try {
            outcome
                = InstallDownloadedFile(rig.Services(), status.get(), c.line) ? Outcome::Installed : Outcome::Failed;
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
            EXPECT_EQ(rig.files.files["Temp\\Download.tmp"], "new");
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
            { CheckTmp, ReleaseTmp, "delete Temp\\Download.tmp",
                "message Error!: The installer \"Setup\" is not signed.  It was deleted and not started.",
                "delete Temp\\Download.exe" },
            "installer Setup checked: not signed, signer " + testing::PublisherKey + ", 0.000 s" },
        { "upgrade by another signer leaves the program running", "4|Upgrade|Up", stranger,
            { CheckTmp, ReleaseTmp, "delete Temp\\Download.tmp",
                "message Error!: The installer \"Up\" is signed by someone other than the game's publisher.  It was "
                "deleted and not started." },
            "installer Up checked: other signer, signer " + testing::StrangerKey + ", 0.000 s" },
        { "installer that cannot be opened", "1|Game|Setup", {},
            { CheckTmp, "delete Temp\\Download.tmp",
                "message Error!: The signature of the installer \"Setup\" could not be checked.  It was deleted and "
                "not started.",
                "delete Temp\\Download.exe" },
            "installer Setup checked: could not be checked, signer unknown, 0.000 s" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        rig.files.files = { { "Temp\\Download.tmp", "new" } };
        rig.signatures.findings = c.findings;

        EXPECT_FALSE(InstallDownloadedFile(rig.Services(), nullptr, c.line));

        EXPECT_EQ(rig.journal, c.journal);
        EXPECT_TRUE(rig.files.files.empty()) << "the refused file is gone";
        EXPECT_EQ(rig.signatures.held, 0);
        EXPECT_EQ(rig.logLines, std::vector<std::string> { c.logLine });
        EXPECT_GT(rig.pump.calls, 0) << "the windows answered during the check";
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
        { "object pack, before its move", "3|Bricks|Bricks", 0, {} },
        { "installer, before its check", "1|Game|Setup", 0, {} },
        { "installer, during its check", "1|Game|Setup", 1, { CheckTmp, ReleaseTmp, "delete Temp\\Download.exe" } },
        { "installer, before its move", "1|Game|Setup", 2,
            { CheckTmp, "delete Temp\\Download.exe", ReleaseTmp, "delete Temp\\Download.exe" } },
        { "installer, before its start", "1|Game|Setup", 3,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe", ReleaseExe,
                "delete Temp\\Download.exe" } },
        { "upgrade, during its check", "4|Upgrade|Up", 1, { CheckTmp, ReleaseTmp, "delete Temp\\Download.exe" } },
        { "upgrade, before its start", "4|Upgrade|Up", 3,
            { CheckTmp, "delete Temp\\Download.exe", "move Temp\\Download.tmp to Temp\\Download.exe", ReleaseExe,
                "delete Temp\\Download.exe" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig rig;
        rig.files.files = { { "Temp\\Download.tmp", "new" } };
        rig.dialogs.cancelAfterQuestions = c.cancelAfterQuestions;
        const std::unique_ptr<StatusDialog> status = rig.dialogs.OpenStatusDialog();
        rig.journal.clear();

        EXPECT_FALSE(InstallDownloadedFile(rig.Services(), status.get(), c.line));

        EXPECT_EQ(rig.journal, c.journal);
        EXPECT_FALSE(rig.files.files.contains("Temp\\Download.exe"));
        EXPECT_FALSE(rig.files.files.contains("Media\\Bricks.mdc"));
        EXPECT_EQ(rig.signatures.held, 0);
    }
}

} // namespace
} // namespace gsd

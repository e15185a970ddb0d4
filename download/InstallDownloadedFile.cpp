#include "download/InstallDownloadedFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "download/DownloadTexts.h"
#include "download/HeldFileRetry.h"
#include "download/InstallerName.h"
#include "download/InstallerTrust.h"
#include "download/MediaCheck.h"
#include "download/MediaFileName.h"
#include "protocol/DownloadItem.h"
#include "protocol/FieldList.h"
#include "shell/FixedTexts.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

constexpr std::string_view MoveFileErrorCaption = "Move File Error";
constexpr std::string_view NoProcessText = "Error Retrieving Process ID to wait on.";
constexpr std::string_view NoProcessCaption = "Error";

void SetStatus(StatusDialog* status, std::string_view text)
{
    if (status != nullptr) {
        status->SetStatusLine(text);
    }
}

// Asked between the steps: every step before an installer's process exists
// can still be taken back.
bool Cancelled(const StatusDialog* status)
{
    return status != nullptr && status->CancelRequested();
}

// Deletes "Temp\Download.exe", or moves it aside when another program holds
// it. One that stays is replaced by the next installer's move, or deleted
// at the next start.
void DeleteInstaller(const DownloadServices& services, const StatusDialog* status)
{
    FreeInstallerName(services.exchange, status, services.files);
}

// Whether the received file's move to `to`, which ended in `failure`,
// succeeded; reports a failure, naming `to` too, since the file a scanner
// holds is as often the one being replaced. A cancel during the waits ends
// the move quietly.
bool MoveSucceeded(const DownloadServices& services, const StatusDialog* status,
    const std::optional<FileFailure>& failure, std::string_view to)
{
    if (!failure) {
        return true;
    }
    if (!Cancelled(status)) {
        services.window().ShowFileMessage(
            MoveFailureText(*failure, to), failure->path, MoveFileErrorCaption, MessageButtons::Ok);
    }
    return false;
}

// Moves the received file to `to` through its hold, riding out another
// program's short hold on either file.
bool MoveReceivedFile(const DownloadServices& services, StatusDialog* status, HeldFile& file, std::string_view to)
{
    return MoveSucceeded(
        services, status, RetryWhileHeld(services.exchange, status, to, [&file, to] { return file.MoveTo(to); }), to);
}

bool InstallMediaFile(const DownloadServices& services, StatusDialog* status, std::string_view fileName, HeldFile& file)
{
    if (const std::string_view problem = MediaFileNameProblem(fileName); !problem.empty()) {
        services.window().ShowMessage(
            MediaFileNameErrorText(fileName, problem), fixed_text::ErrorCaption, MessageButtons::Ok);
        return false;
    }
    SetStatus(status, "Installing File.");
    if (!MoveReceivedFile(services, status, file, MediaFilePath(fileName))) {
        return false;
    }
    SetStatus(status, "Installed File Successfully!");
    return true;
}

// The record of a media file just put in place, so later checks can tell
// whether it still holds the bytes received; installed again, it is no
// longer damaged.
void RecordInstalledMedia(const DownloadServices& services, std::string_view fileName, const FileDigest& digest)
{
    if (services.installedMedia == nullptr || services.installedFiles == nullptr) {
        return;
    }
    RecordInstalledFile(*services.installedMedia, *services.installedFiles, fileName, digest, services.exchange.log);
    std::erase_if(services.state.DamagedMediaFiles,
        [&](const std::string& name) { return SameMediaFileName(name, RecordNameOfItem(fileName)); });
}

double SecondsSince(const MonotonicClock& clock, std::int64_t start)
{
    const std::int64_t perSecond = clock.TicksPerSecond();
    return perSecond > 0 ? static_cast<double>(clock.Ticks() - start) / static_cast<double>(perSecond) : 0.0;
}

// Checks the received file once, through its hold; true when it may run.
// Each check is logged. A file whose bytes are not those received, or that
// may not run, is let go (and so deleted) and the user told why, naming
// the item's `fileName`. A scanner that opens the file just as the hold
// gives up writing is waited for; a Cancel during that wait lets the file
// go without a word.
bool CheckReceivedInstaller(
    const DownloadServices& services, const StatusDialog* status, std::string_view fileName, ReceivedFile& received)
{
    HeldFile& file = *received.file;
    if (const std::optional<FileFailure> failure
        = RetryWhileHeld(services.exchange, status, TemporaryFilePath, [&file] { return file.HoldForStart(); })) {
        received.file.reset();
        if (!Cancelled(status)) {
            services.window().ShowFileMessage(
                FileFailureText(*failure), failure->path, fixed_text::ErrorCaption, MessageButtons::Ok);
        }
        return false;
    }
    const std::int64_t start = services.exchange.clock.Ticks();
    SignatureFindings findings;
    const std::optional<FileDigest> checked
        = services.signatures.Check(*received.file, services.exchange.pump, findings);
    InstallerDecision decision = DecideInstaller(findings, services.publisherKeys);
    if (decision == InstallerDecision::MayRun && !checked) {
        decision = InstallerDecision::Unreadable;
    }
    // Bytes other than those received were checked: whatever they are, they
    // are not what the server sent, and nothing of them runs.
    const bool substituted = checked && *checked != received.digest;
    if (services.exchange.log != nullptr) {
        services.exchange.log->Write(InstallerCheckLogLine(fileName,
            substituted ? std::string(ChangedSinceReceivedName) : InstallerVerdict(decision, findings),
            findings.signerKey, SecondsSince(services.exchange.clock, start)));
    }
    if (decision == InstallerDecision::MayRun && !substituted) {
        return true;
    }
    received.file.reset();
    services.window().ShowMessage(
        substituted ? ChangedSinceReceivedText(fileName) : InstallerRefusalText(fileName, decision),
        fixed_text::ErrorCaption, MessageButtons::Ok);
    return false;
}

// Checks the received file, gives it the installer's name (a leftover of an
// earlier run deleted first, or moved aside while another program holds
// it) and starts it. Only a file signed by the game's publisher gets that
// name, and the file started is the one received and checked: it is held
// from its first byte, moved through that hold and let go only once its
// process has started. Null when it was refused, could not
// be moved or started (the user has been told), or was cancelled before its
// start (he has not). From the start on, Cancel is greyed out.
std::unique_ptr<StartedProcess> StartInstaller(const DownloadServices& services, StatusDialog* status,
    std::string_view fileName, ReceivedFile received, std::optional<std::string_view> workingFolder)
{
    if (!CheckReceivedInstaller(services, status, fileName, received) || Cancelled(status)) {
        return nullptr;
    }
    DeleteInstaller(services, status);
    if (Cancelled(status)) {
        return nullptr;
    }
    if (!MoveSucceeded(services, status, MoveToInstallerName(services.exchange, status, services.files, *received.file),
            InstallerPath)) {
        return nullptr;
    }
    if (Cancelled(status)) {
        return nullptr;
    }
    if (status != nullptr) {
        status->DisableCancel();
    }
    // Cancel is greyed out by now, so a held installer is waited for up to
    // the limit.
    std::unique_ptr<StartedProcess> process
        = StartWhileHeld(services.exchange, nullptr, services.processes, InstallerPath, workingFolder);
    received.file.reset();
    if (!process) {
        services.window().ShowMessage(NoProcessText, NoProcessCaption, MessageButtons::Ok);
    } else if (services.exchange.log != nullptr) {
        services.exchange.log->Write(InstallerStartedLogLine(fileName));
    }
    return process;
}

bool RunAwaitedInstaller(
    const DownloadServices& services, StatusDialog* status, std::string_view fileName, ReceivedFile received)
{
    const std::unique_ptr<StartedProcess> process
        = StartInstaller(services, status, fileName, std::move(received), std::nullopt);
    if (process) {
        const std::optional<std::uint32_t> exitCode = process->WaitForExit(services.exchange.pump);
        if (services.exchange.log != nullptr) {
            services.exchange.log->Write(InstallerEndedLogLine(fileName, exitCode));
        }
    }
    DeleteInstaller(services, nullptr);
    return process != nullptr;
}

bool StartProgramUpgrade(
    const DownloadServices& services, StatusDialog* status, std::string_view fileName, ReceivedFile received)
{
    if (!StartInstaller(services, status, fileName, std::move(received), InstallerFolder)) {
        // One that failed to start stays for a look; a cancelled one leaves
        // nothing behind.
        if (Cancelled(status)) {
            DeleteInstaller(services, nullptr);
        }
        return false;
    }
    // The upgrade replaces this program; the records stay for the next run.
    if (services.exchange.log != nullptr) {
        services.exchange.log->Write(InstallerHandedOverLogLine(fileName));
        services.exchange.log->Write(RunEndLogLine(HandedOverToUpgrade, false));
    }
    services.processes.ExitProgram(0);
    return true;
}

} // namespace

bool InstallDownloadedFile(
    const DownloadServices& services, StatusDialog* status, std::string_view itemLine, ReceivedFile received)
{
    if (!received.file) {
        return false;
    }
    const std::string fileName = GetField(itemLine, DownloadItemField::FileName, FieldSeparator);
    if (Cancelled(status)) {
        return false;
    }
    switch (ItemKindOf(itemLine)) {
    case ItemKind::LanguageFile:
    case ItemKind::ObjectPack: {
        const bool installed = InstallMediaFile(services, status, fileName, *received.file);
        // Let go first: the file system's size and time of a file are final
        // once nobody holds it.
        received.file.reset();
        if (installed) {
            RecordInstalledMedia(services, fileName, received.digest);
        }
        return installed;
    }
    case ItemKind::GameProgram:
        return RunAwaitedInstaller(services, status, fileName, std::move(received));
    case ItemKind::ProgramUpgrade:
        return StartProgramUpgrade(services, status, fileName, std::move(received));
    default:
        return false;
    }
}

std::string ChangedSinceReceivedText(std::string_view fileName)
{
    return "The installer \"" + std::string(fileName)
        + "\" changed on disk between its download and its check.  It was deleted and not started.";
}

} // namespace gsd

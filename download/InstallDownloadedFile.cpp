#include "download/InstallDownloadedFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "download/DownloadTexts.h"
#include "download/InstallerTrust.h"
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

// Moves the received file to `to`; reports a failure.
bool MoveReceivedFile(const DownloadServices& services, std::string_view to)
{
    if (const std::optional<FileFailure> failure = services.files.MoveReplacing(TemporaryFilePath, to)) {
        services.window().ShowFileMessage(
            FileFailureText(*failure), failure->path, MoveFileErrorCaption, MessageButtons::Ok);
        return false;
    }
    return true;
}

bool InstallMediaFile(const DownloadServices& services, StatusDialog* status, std::string_view fileName)
{
    if (const std::string_view problem = MediaFileNameProblem(fileName); !problem.empty()) {
        services.window().ShowMessage(
            MediaFileNameErrorText(fileName, problem), fixed_text::ErrorCaption, MessageButtons::Ok);
        return false;
    }
    SetStatus(status, "Installing File.");
    if (!MoveReceivedFile(services, MediaFilePath(fileName))) {
        return false;
    }
    SetStatus(status, "Installed File Successfully!");
    return true;
}

double SecondsSince(const MonotonicClock& clock, std::int64_t start)
{
    const std::int64_t perSecond = clock.TicksPerSecond();
    return perSecond > 0 ? static_cast<double>(clock.Ticks() - start) / static_cast<double>(perSecond) : 0.0;
}

// Checks the received file once; the open file when it may run. Each check
// is logged. A refused file is deleted and the user told why, naming the
// item's `fileName`.
std::unique_ptr<HeldInstaller> HoldTrustedInstaller(const DownloadServices& services, std::string_view fileName)
{
    const std::int64_t start = services.exchange.clock.Ticks();
    SignatureFindings findings;
    std::unique_ptr<HeldInstaller> held
        = services.signatures.Check(TemporaryFilePath, services.exchange.pump, findings);
    InstallerDecision decision = DecideInstaller(findings, services.publisherKeys);
    if (decision == InstallerDecision::MayRun && !held) {
        decision = InstallerDecision::Unreadable;
    }
    if (services.exchange.log != nullptr) {
        services.exchange.log->Write(InstallerCheckLogLine(fileName, InstallerDecisionName(decision),
            findings.signerKey, SecondsSince(services.exchange.clock, start)));
    }
    if (decision == InstallerDecision::MayRun) {
        return held;
    }
    // Released first: an open file cannot be deleted.
    held.reset();
    services.files.Delete(TemporaryFilePath);
    services.window().ShowMessage(
        InstallerRefusalText(fileName, decision), fixed_text::ErrorCaption, MessageButtons::Ok);
    return nullptr;
}

// Checks the received file, gives it the installer's name (a leftover of an
// earlier run deleted first) and starts it. Only a file signed by the game's
// publisher gets that name, and the file started is the one checked: it is
// held open from its check, moved through that hold and released only once
// its process has started. Null when it was refused, could not be moved or
// started; the user has been told.
std::unique_ptr<StartedProcess> StartInstaller(
    const DownloadServices& services, std::string_view fileName, std::optional<std::string_view> workingFolder)
{
    const std::unique_ptr<HeldInstaller> held = HoldTrustedInstaller(services, fileName);
    if (!held) {
        return nullptr;
    }
    services.files.Delete(InstallerPath);
    if (const std::optional<FileFailure> failure = held->MoveTo(InstallerPath)) {
        services.window().ShowFileMessage(
            FileFailureText(*failure), failure->path, MoveFileErrorCaption, MessageButtons::Ok);
        return nullptr;
    }
    std::unique_ptr<StartedProcess> process = services.processes.Start(InstallerPath, workingFolder);
    if (!process) {
        services.window().ShowMessage(NoProcessText, NoProcessCaption, MessageButtons::Ok);
    } else if (services.exchange.log != nullptr) {
        services.exchange.log->Write(InstallerStartedLogLine(fileName));
    }
    return process;
}

bool RunAwaitedInstaller(const DownloadServices& services, std::string_view fileName)
{
    const std::unique_ptr<StartedProcess> process = StartInstaller(services, fileName, std::nullopt);
    if (process) {
        const std::optional<std::uint32_t> exitCode = process->WaitForExit(services.exchange.pump);
        if (services.exchange.log != nullptr) {
            services.exchange.log->Write(InstallerEndedLogLine(fileName, exitCode));
        }
    }
    services.files.Delete(InstallerPath);
    return process != nullptr;
}

bool StartProgramUpgrade(const DownloadServices& services, std::string_view fileName)
{
    if (!StartInstaller(services, fileName, InstallerFolder)) {
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

bool InstallDownloadedFile(const DownloadServices& services, StatusDialog* status, std::string_view itemLine)
{
    const std::string fileName = GetField(itemLine, DownloadItemField::FileName, FieldSeparator);
    switch (ItemKindOf(itemLine)) {
    case ItemKind::LanguageFile:
    case ItemKind::ObjectPack:
        return InstallMediaFile(services, status, fileName);
    case ItemKind::GameProgram:
        return RunAwaitedInstaller(services, fileName);
    case ItemKind::ProgramUpgrade:
        return StartProgramUpgrade(services, fileName);
    default:
        return false;
    }
}

} // namespace gsd

#include "download/InstallDownloadedFile.h"

#include <memory>
#include <optional>
#include <string>

#include "download/DownloadTexts.h"
#include "download/MediaFileName.h"
#include "protocol/DownloadItem.h"
#include "protocol/FieldList.h"
#include "shell/FixedTexts.h"

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
        services.window().ShowMessage(FileFailureText(*failure), MoveFileErrorCaption, MessageButtons::Ok);
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

// Moves the received file to the installer's name, a leftover of an earlier
// run deleted first, and starts it. Null when it could not be moved or
// started; the user has been told.
std::unique_ptr<StartedProcess> StartInstaller(
    const DownloadServices& services, std::optional<std::string_view> workingFolder)
{
    services.files.Delete(InstallerPath);
    if (!MoveReceivedFile(services, InstallerPath)) {
        return nullptr;
    }
    std::unique_ptr<StartedProcess> process = services.processes.Start(InstallerPath, workingFolder);
    if (!process) {
        services.window().ShowMessage(NoProcessText, NoProcessCaption, MessageButtons::Ok);
    }
    return process;
}

bool RunAwaitedInstaller(const DownloadServices& services)
{
    const std::unique_ptr<StartedProcess> process = StartInstaller(services, std::nullopt);
    if (process) {
        process->WaitForExit(services.exchange.pump);
    }
    services.files.Delete(InstallerPath);
    return process != nullptr;
}

bool StartProgramUpgrade(const DownloadServices& services)
{
    if (!StartInstaller(services, InstallerFolder)) {
        return false;
    }
    // The upgrade replaces this program; the records stay for the next run.
    services.processes.ExitProgram(0);
    return true;
}

} // namespace

bool InstallDownloadedFile(const DownloadServices& services, StatusDialog* status, std::string_view itemLine)
{
    switch (ItemKindOf(itemLine)) {
    case ItemKind::LanguageFile:
    case ItemKind::ObjectPack:
        return InstallMediaFile(services, status, GetField(itemLine, DownloadItemField::FileName, FieldSeparator));
    case ItemKind::GameProgram:
        return RunAwaitedInstaller(services);
    case ItemKind::ProgramUpgrade:
        return StartProgramUpgrade(services);
    default:
        return false;
    }
}

} // namespace gsd

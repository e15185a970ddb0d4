#include "download/InstallerName.h"

#include <cstdint>

#include "download/HeldFileRetry.h"
#include "download/InstallDownloadedFile.h"

namespace gsd {
namespace {

// The system's answers when the new name is taken: "The file exists" (80)
// and "Cannot create a file when that file already exists" (183).
bool NameTaken(std::uint32_t code)
{
    constexpr std::uint32_t FileExists = 80;
    constexpr std::uint32_t AlreadyExists = 183;
    return code == FileExists || code == AlreadyExists;
}

} // namespace

std::string InstallerLeftoverPath(int index)
{
    std::string path = std::string(InstallerPath) + ".old";
    if (index > 0) {
        path += std::to_string(index + 1);
    }
    return path;
}

std::optional<FileFailure> RenameInstallerAway(GameFiles& files)
{
    std::optional<FileFailure> failure;
    for (int index = 0; index < InstallerLeftoverNames; ++index) {
        const std::string leftover = InstallerLeftoverPath(index);
        failure = files.Rename(InstallerPath, leftover);
        if (!failure) {
            files.Delete(leftover);
            return std::nullopt;
        }
        if (!NameTaken(failure->code)) {
            break;
        }
    }
    return failure;
}

void FreeInstallerName(const ExchangeServices& exchange, const StatusDialog* status, GameFiles& files)
{
    RetryWhileHeld(exchange, status, InstallerPath, [&files]() -> std::optional<FileFailure> {
        std::optional<FileFailure> failure = files.Delete(InstallerPath);
        if (failure && IsHeldFileError(failure->code) && !RenameInstallerAway(files)) {
            return std::nullopt;
        }
        // The delete's own failure decides whether it is tried again.
        return failure;
    });
}

std::optional<FileFailure> MoveToInstallerName(
    const ExchangeServices& exchange, const StatusDialog* status, GameFiles& files, HeldFile& file)
{
    return RetryWhileHeld(exchange, status, InstallerPath, [&files, &file]() -> std::optional<FileFailure> {
        std::optional<FileFailure> failure = file.MoveTo(InstallerPath);
        if (failure && IsHeldFileError(failure->code) && !RenameInstallerAway(files)) {
            failure = file.MoveTo(InstallerPath);
        }
        return failure;
    });
}

void RemoveInstallerLeftovers(GameFiles& files)
{
    files.Delete(InstallerPath);
    for (int index = 0; index < InstallerLeftoverNames; ++index) {
        files.Delete(InstallerLeftoverPath(index));
    }
}

} // namespace gsd

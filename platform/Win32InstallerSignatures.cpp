#include "platform/Win32InstallerSignatures.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "download/SignatureLayout.h"
#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "platform/SystemErrorText.h"
#include "platform/WaitOffWindowThread.h"
#include "platform/Win32SignatureFacts.h"

namespace gsd {
namespace {

FileFailure LastFileFailure(const std::string& path)
{
    const DWORD code = ::GetLastError();
    return { code, SystemErrorText(code), path };
}

class Win32HeldInstaller final : public HeldInstaller {
public:
    Win32HeldInstaller(unique_file file, std::string path)
        : file_(std::move(file))
        , path_(std::move(path))
    {
    }

    // Renamed through the handle itself: the file never stands unheld
    // between its check and its start.
    std::optional<FileFailure> MoveTo(std::string_view relative) override
    {
        const WideGamePath target = GameFolderPath(relative);
        if (!target.Problem.empty()) {
            return FileFailure { 0, target.Problem, target.ProblemPath.empty() ? path_ : target.ProblemPath };
        }
        const std::wstring& name = target.Path;
        // FILE_RENAME_INFO ends in a one-character name array.
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(WCHAR));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
        std::copy(name.begin(), name.end(), rename->FileName);
        if (!::SetFileInformationByHandle(file_.get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
            return LastFileFailure(path_);
        }
        path_ = ShownPath(target.Path);
        return std::nullopt;
    }

private:
    unique_file file_;
    std::string path_;
};

bool ReadAt(HANDLE file, std::uint64_t offset, std::string& bytes)
{
    OVERLAPPED at {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, &at)) {
        return false;
    }
    bytes.resize(read);
    return true;
}

// The layout of the signature of the open `file`; nullopt when it cannot be
// read.
std::optional<SignatureLayout> ReadLayout(HANDLE file)
{
    LARGE_INTEGER size {};
    if (!::GetFileSizeEx(file, &size)) {
        return std::nullopt;
    }
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);
    std::string headers(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, SignatureHeaderBytes)), '\0');
    if (!ReadAt(file, 0, headers)) {
        return std::nullopt;
    }
    const CertificateTablePlace place = LocateCertificateTable(headers, fileSize);
    if (place.layout != SignatureLayout::Sound) {
        return place.layout;
    }
    std::string table(place.size, '\0');
    if (!ReadAt(file, place.offset, table) || table.size() != place.size) {
        return std::nullopt;
    }
    return CheckCertificateTable(table);
}

// Reads the layout of the open `file` at `path` and, for a sound one only,
// the system's facts about its signature.
void Inspect(const std::wstring& path, HANDLE file, SignatureFindings& findings)
{
    const std::optional<SignatureLayout> layout = ReadLayout(file);
    if (layout) {
        findings.readable = true;
        findings.layout = *layout;
        // Nothing else counts for a file laid out otherwise than signed.
        if (*layout == SignatureLayout::Sound) {
            ReadSignatureFacts(path, file, findings);
        }
    }
}

} // namespace

std::unique_ptr<HeldInstaller> Win32InstallerSignatures::Check(
    std::string_view relative, MessagePump& pump, SignatureFindings& findings)
{
    findings = {};
    const WideGamePath path = GameFolderPath(relative);
    if (!path.Problem.empty()) {
        return nullptr;
    }
    // Shared for reading only: nobody may change, rename or delete the file
    // between this check and the start of its process. DELETE lets the
    // holder itself rename it.
    unique_file file(::CreateFileW(path.Path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return nullptr;
    }
    // A large installer takes a while to hash: the windows answer meanwhile.
    RunWhileHandlingMessages(pump, [&] { Inspect(path.Path, file.get(), findings); });
    return std::make_unique<Win32HeldInstaller>(std::move(file), ShownPath(path.Path));
}

} // namespace gsd

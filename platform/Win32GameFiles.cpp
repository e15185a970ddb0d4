#include "platform/Win32GameFiles.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "platform/Sha256.h"
#include "platform/SystemErrorText.h"
#include "platform/Win32FileHold.h"

namespace gsd {
namespace {

// The file functions report their failure in the thread's last error.
// The path goes into the failure as the user is shown it.
FileFailure LastFileFailure(const std::wstring& path)
{
    const DWORD code = ::GetLastError();
    FileFailure failure;
    failure.code = code;
    failure.path = ShownPath(path);
    failure.description = IsPathTooLongError(code) ? PathTooLongText() : SystemErrorText(code);
    return failure;
}

// `shownPath` as ShownPath gives it; the refused path itself when the
// refusal names one.
FileFailure Refusal(const WideGamePath& path, std::string shownPath)
{
    return { 0, path.Problem, path.ProblemPath.empty() ? std::move(shownPath) : path.ProblemPath };
}

// Pieces smaller than this are gathered before they go to WriteFile: a
// transfer arrives 1 KB at a time, and a system call for each kilobyte cost
// the window thread more than everything else it does with the piece.
constexpr std::size_t GatheredBytes = 64 * 1024;

// FILE_RENAME_INFO for `target`, which ends in a one-character name array.
std::vector<BYTE> RenameInfo(const std::wstring& target)
{
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(WCHAR));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(WCHAR));
    std::copy(target.begin(), target.end(), rename->FileName);
    return buffer;
}

class Win32HeldFile final : public HeldFile, public Win32FileHold {
public:
    Win32HeldFile(unique_file file, std::wstring path)
        : file_(std::move(file))
        , path_(std::move(path))
    {
        gathered_.reserve(GatheredBytes);
    }

    // A file that never reached its place is deleted through the hold:
    // nobody else can have opened it to keep it.
    ~Win32HeldFile() override
    {
        if (moved_ || !file_) {
            return;
        }
        if (sharedOnTheWay_) {
            // Let go on its way to the start, after another program opened it:
            // the opening left has no right to delete, and what now stands
            // under the name is refused anyway, so it goes by its name.
            file_.reset();
            ::DeleteFileW(path_.c_str());
            return;
        }
        FILE_DISPOSITION_INFO dispose {};
        dispose.DeleteFile = TRUE;
        ::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &dispose, sizeof dispose);
    }

    Win32HeldFile(const Win32HeldFile&) = delete;
    Win32HeldFile& operator=(const Win32HeldFile&) = delete;

    std::optional<FileFailure> Write(std::string_view bytes) override
    {
        if (!file_ || finished_) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return LastFileFailure(path_);
        }
        if (gathered_.size() + bytes.size() <= GatheredBytes) {
            gathered_.append(bytes);
            return std::nullopt;
        }
        if (std::optional<FileFailure> failure = WriteGathered()) {
            return failure;
        }
        if (bytes.size() >= GatheredBytes) {
            return WriteAll(bytes);
        }
        gathered_.append(bytes);
        return std::nullopt;
    }

    std::optional<FileFailure> Finish() override
    {
        if (!file_ || finished_) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return LastFileFailure(path_);
        }
        finished_ = true;
        if (std::optional<FileFailure> failure = WriteGathered()) {
            return failure;
        }
        // The file is complete on disk before anyone moves it into place.
        if (!::FlushFileBuffers(file_.get())) {
            return LastFileFailure(path_);
        }
        const std::optional<FileDigest> digest = hash_.Finish();
        if (!digest) {
            ::SetLastError(ERROR_INTERNAL_ERROR);
            return LastFileFailure(path_);
        }
        digest_ = *digest;
        return std::nullopt;
    }

    FileDigest WrittenDigest() const override { return digest_; }

    // The system shares a file by what each of its openings may do, and an
    // opening may not refuse others a right that an opening already has. So
    // the hold passes through an opening that lets others write, made from
    // the handle itself (never by name), to one that lets them only read.
    // When another program opened the file in between, the hold stays at
    // the opening between, from which a later call goes on.
    std::optional<FileFailure> HoldForStart() override
    {
        if (!file_) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return LastFileFailure(path_);
        }
        if (writable_) {
            unique_file reading(
                ::ReOpenFile(file_.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
            if (!reading) {
                return LastFileFailure(path_);
            }
            file_ = std::move(reading);
            writable_ = false;
            sharedOnTheWay_ = true;
        }
        if (!sharedOnTheWay_) {
            return std::nullopt;
        }
        unique_file held(::ReOpenFile(file_.get(), GENERIC_READ | DELETE, FILE_SHARE_READ, 0));
        if (!held) {
            return LastFileFailure(path_);
        }
        file_ = std::move(held);
        sharedOnTheWay_ = false;
        return std::nullopt;
    }

    std::optional<FileFailure> MoveTo(std::string_view relative) override
    {
        const WideGamePath target = GameFolderPath(relative);
        if (!target.Problem.empty()) {
            return FileFailure { 0, target.Problem, ShownPath(path_) };
        }
        if (!file_) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return LastFileFailure(path_);
        }
        std::vector<BYTE> rename = RenameInfo(target.Path);
        if (!::SetFileInformationByHandle(
                file_.get(), FileRenameInfo, rename.data(), static_cast<DWORD>(rename.size()))) {
            return LastFileFailure(path_);
        }
        path_ = target.Path;
        moved_ = true;
        // The new name on disk before anyone relies on it, as far as the
        // hold may still write; the rename itself has happened either way.
        if (writable_) {
            ::FlushFileBuffers(file_.get());
        }
        return std::nullopt;
    }

    HANDLE FileHandle() const override { return file_ ? file_.get() : INVALID_HANDLE_VALUE; }

    std::wstring FilePath() const override { return path_; }

private:
    // Empties the gathered bytes into the file; they are gone either way, a
    // failure is reported once.
    std::optional<FileFailure> WriteGathered()
    {
        const std::optional<FileFailure> failure = WriteAll(gathered_);
        gathered_.clear();
        return failure;
    }

    // Writes `bytes` and adds what was written to the digest.
    std::optional<FileFailure> WriteAll(std::string_view bytes)
    {
        // WriteFile takes at most a DWORD's worth and may write less.
        constexpr std::size_t LargestWrite = 1U << 30;
        while (!bytes.empty()) {
            const auto size = static_cast<DWORD>(std::min(bytes.size(), LargestWrite));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), bytes.data(), size, &written, nullptr)) {
                return LastFileFailure(path_);
            }
            if (written == 0) {
                // No progress and no error would otherwise loop for ever.
                ::SetLastError(ERROR_WRITE_FAULT);
                return LastFileFailure(path_);
            }
            hash_.Add(bytes.substr(0, written));
            bytes.remove_prefix(written);
        }
        return std::nullopt;
    }

    unique_file file_;
    std::wstring path_;
    std::string gathered_;
    Sha256 hash_;
    FileDigest digest_ {};
    bool finished_ = false;
    bool writable_ = true;
    bool moved_ = false;
    // Open for reading only, sharing everything, on the way from writing to
    // the hold for the start.
    bool sharedOnTheWay_ = false;
};

} // namespace

std::unique_ptr<HeldFile> Win32GameFiles::CreateEmpty(std::string_view relative, FileFailure& failure)
{
    const WideGamePath path = GameFolderPath(relative);
    if (!path.Problem.empty()) {
        failure = Refusal(path, ShownName(relative));
        return nullptr;
    }
    // Read and delete besides write: the hold itself reads the file for its
    // check and renames it into place. Others may only read.
    unique_file file(::CreateFileW(path.Path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        failure = LastFileFailure(path.Path);
        return nullptr;
    }
    return std::make_unique<Win32HeldFile>(std::move(file), path.Path);
}

std::optional<FileFailure> Win32GameFiles::Rename(std::string_view from, std::string_view to)
{
    const WideGamePath source = GameFolderPath(from);
    if (!source.Problem.empty()) {
        return FileFailure { 0, source.Problem, std::string(from) };
    }
    const WideGamePath target = GameFolderPath(to);
    if (!target.Problem.empty()) {
        return FileFailure { 0, target.Problem, std::string(to) };
    }
    if (!::MoveFileExW(source.Path.c_str(), target.Path.c_str(), 0)) {
        return LastFileFailure(source.Path);
    }
    return std::nullopt;
}

std::optional<FileFailure> Win32GameFiles::Delete(std::string_view relative)
{
    const WideGamePath path = GameFolderPath(relative);
    if (!path.Problem.empty()) {
        return FileFailure { 0, path.Problem, std::string(relative) };
    }
    if (!::DeleteFileW(path.Path.c_str())) {
        return LastFileFailure(path.Path);
    }
    return std::nullopt;
}

bool Win32GameFiles::CanName(std::string_view name)
{
    return WidenedName(name).has_value();
}

std::optional<std::uint64_t> Win32GameFiles::FreeBytes(std::string_view relative)
{
    // The folder's own path with a trailing backslash, as the call wants it.
    const WideGamePath path = GameFolderPath(std::string(relative) + "\\");
    ULARGE_INTEGER available {};
    if (!path.Problem.empty() || !::GetDiskFreeSpaceExW(path.Path.c_str(), &available, nullptr, nullptr)) {
        return std::nullopt;
    }
    return available.QuadPart;
}

} // namespace gsd

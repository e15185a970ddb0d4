#include "platform/Win32GameFiles.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "platform/SystemErrorText.h"

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

class Win32FileWriter final : public FileWriter {
public:
    Win32FileWriter(unique_file file, std::wstring path)
        : file_(std::move(file))
        , path_(std::move(path))
    {
        gathered_.reserve(GatheredBytes);
    }

    // What was accepted reaches the file even when nobody closes it.
    ~Win32FileWriter() override
    {
        if (file_) {
            WriteGathered();
        }
    }

    Win32FileWriter(const Win32FileWriter&) = delete;
    Win32FileWriter& operator=(const Win32FileWriter&) = delete;

    std::optional<FileFailure> Write(std::string_view bytes) override
    {
        if (!file_) {
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

    std::optional<FileFailure> Close() override
    {
        if (!file_) {
            return std::nullopt;
        }
        if (std::optional<FileFailure> failure = WriteGathered()) {
            file_.reset();
            return failure;
        }
        // The file is complete on disk before anyone moves it into place.
        if (!::FlushFileBuffers(file_.get())) {
            auto failure = LastFileFailure(path_);
            file_.reset();
            return failure;
        }
        if (!::CloseHandle(file_.release())) {
            return LastFileFailure(path_);
        }
        return std::nullopt;
    }

private:
    // Empties the gathered bytes into the file; they are gone either way, a
    // failure is reported once.
    std::optional<FileFailure> WriteGathered()
    {
        const std::optional<FileFailure> failure = WriteAll(gathered_);
        gathered_.clear();
        return failure;
    }

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
            bytes.remove_prefix(written);
        }
        return std::nullopt;
    }

    unique_file file_;
    std::wstring path_;
    std::string gathered_;
};

} // namespace

std::unique_ptr<FileWriter> Win32GameFiles::CreateEmpty(std::string_view relative, FileFailure& failure)
{
    const WideGamePath path = GameFolderPath(relative);
    if (!path.Problem.empty()) {
        failure = Refusal(path, ShownName(relative));
        return nullptr;
    }
    unique_file file(::CreateFileW(
        path.Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        failure = LastFileFailure(path.Path);
        return nullptr;
    }
    return std::make_unique<Win32FileWriter>(std::move(file), path.Path);
}

std::optional<FileFailure> Win32GameFiles::MoveReplacing(std::string_view from, std::string_view to)
{
    const WideGamePath source = GameFolderPath(from);
    if (!source.Problem.empty()) {
        return Refusal(source, ShownName(from));
    }
    const WideGamePath target = GameFolderPath(to);
    if (!target.Problem.empty()) {
        // A move's failure names its source.
        return Refusal(target, ShownPath(source.Path));
    }
    if (!::MoveFileExW(source.Path.c_str(), target.Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return LastFileFailure(source.Path);
    }
    return std::nullopt;
}

bool Win32GameFiles::Delete(std::string_view relative)
{
    const WideGamePath path = GameFolderPath(relative);
    return path.Problem.empty() && ::DeleteFileW(path.Path.c_str());
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

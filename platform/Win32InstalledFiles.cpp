#include "platform/Win32InstalledFiles.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "platform/Sha256.h"
#include "platform/WorkerThread.h"

namespace gsd {
namespace {

// Large enough that the system's read and hash, not the calls, set the pace.
constexpr DWORD PieceBytes = 1024 * 1024;
constexpr DWORD ProgressIntervalMilliseconds = 100;

struct Reading {
    std::atomic<std::uint64_t> bytes { 0 };
    std::atomic<bool> stop { false };
    std::optional<FileDigest> digest;
};

void ReadAndHash(HANDLE file, Reading& reading)
{
    Sha256 hash;
    std::vector<char> piece(PieceBytes);
    for (;;) {
        if (reading.stop.load()) {
            return;
        }
        DWORD read = 0;
        if (!::ReadFile(file, piece.data(), PieceBytes, &read, nullptr)) {
            return;
        }
        if (read == 0) {
            break;
        }
        if (!hash.Add(std::string_view(piece.data(), read))) {
            return;
        }
        reading.bytes.fetch_add(read);
    }
    reading.digest = hash.Finish();
}

} // namespace

Win32InstalledFiles::Win32InstalledFiles(MessagePump& pump)
    : pump_(pump)
{
}

FileLook Win32InstalledFiles::Look(std::string_view relative)
{
    const WideGamePath path = GameFolderPath(relative);
    if (!path.Problem.empty()) {
        return { FileState::Unreadable, {} };
    }
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!::GetFileAttributesExW(path.Path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = ::GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return { missing ? FileState::Missing : FileState::Unreadable, {} };
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return { FileState::Unreadable, {} };
    }
    const std::uint64_t size = (std::uint64_t { data.nFileSizeHigh } << 32) | data.nFileSizeLow;
    const std::uint64_t time
        = (std::uint64_t { data.ftLastWriteTime.dwHighDateTime } << 32) | data.ftLastWriteTime.dwLowDateTime;
    return { FileState::Present, { size, time } };
}

std::optional<FileDigest> Win32InstalledFiles::Digest(std::string_view relative, DigestProgress* progress)
{
    const WideGamePath path = GameFolderPath(relative);
    if (!path.Problem.empty()) {
        return std::nullopt;
    }
    const unique_file file(::CreateFileW(path.Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        return std::nullopt;
    }
    Reading reading;
    const unique_handle worker
        = StartWorkerThread([&reading, handle = file.get()] { ReadAndHash(handle, reading); });
    if (!worker) {
        // No worker to be had: read here, the windows waiting meanwhile.
        ReadAndHash(file.get(), reading);
        if (progress != nullptr && reading.digest && !progress->BytesRead(reading.bytes.load())) {
            return std::nullopt;
        }
        return reading.digest;
    }
    HANDLE thread = worker.get();
    std::uint64_t told = 0;
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, ProgressIntervalMilliseconds, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + 1) {
            pump_.HandlePendingMessages();
        }
        const std::uint64_t now = reading.bytes.load();
        if (progress != nullptr && now != told && !reading.stop.load()) {
            if (!progress->BytesRead(now - told)) {
                reading.stop.store(true);
            }
            told = now;
        }
        if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED) {
            break;
        }
    }
    // The reading uses this frame's state: it must be over before it goes.
    ::WaitForSingleObject(thread, INFINITE);
    pump_.HandlePendingMessages();
    if (reading.stop.load()) {
        return std::nullopt;
    }
    return reading.digest;
}

} // namespace gsd

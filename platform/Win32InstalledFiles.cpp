#include "platform/Win32InstalledFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "platform/MessageWait.h"
#include "platform/Sha256.h"
#include "platform/WorkerThread.h"

namespace gsd {
namespace {

// Large enough that the system's read and hash, not the calls, set the pace.
constexpr DWORD PieceBytes = 1024 * 1024;
// Beyond this the disk, not the hashing, sets the pace.
constexpr DWORD MostReaders = 4;

// What the readers share: the files, taken in turn; their digests, each
// written by the one reader that took the file; and the bytes read of all.
struct Reading {
    std::vector<std::wstring> paths;
    std::vector<std::optional<FileDigest>> digests;
    std::atomic<std::size_t> next { 0 };
    std::atomic<std::uint64_t> bytes { 0 };
    std::atomic<bool> stop { false };
};

std::optional<FileDigest> ReadAndHash(HANDLE file, Reading& reading, std::vector<char>& piece)
{
    Sha256 hash;
    for (;;) {
        if (reading.stop.load()) {
            return std::nullopt;
        }
        DWORD read = 0;
        if (!::ReadFile(file, piece.data(), PieceBytes, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            return hash.Finish();
        }
        if (!hash.Add(std::string_view(piece.data(), read))) {
            return std::nullopt;
        }
        reading.bytes.fetch_add(read);
    }
}

// One reader: takes the next file not yet taken until none is left.
void ReadFiles(Reading& reading)
{
    std::vector<char> piece(PieceBytes);
    for (std::size_t index = reading.next.fetch_add(1); index < reading.paths.size() && !reading.stop.load();
         index = reading.next.fetch_add(1)) {
        if (reading.paths[index].empty()) {
            continue;
        }
        // Shared only with other readers, so nobody changes it meanwhile.
        const unique_file file(::CreateFileW(reading.paths[index].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file) {
            reading.digests[index] = ReadAndHash(file.get(), reading, piece);
        }
    }
}

DWORD ReadersToStart(std::size_t files)
{
    SYSTEM_INFO system {};
    ::GetSystemInfo(&system);
    const DWORD processors = std::clamp<DWORD>(system.dwNumberOfProcessors, 1, MostReaders);
    return static_cast<DWORD>(std::min<std::size_t>(processors, files));
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
    return Digests({ std::string(relative) }, progress).front();
}

std::vector<std::optional<FileDigest>> Win32InstalledFiles::Digests(
    const std::vector<std::string>& relatives, DigestProgress* progress)
{
    Reading reading;
    for (const std::string& relative : relatives) {
        WideGamePath path = GameFolderPath(relative);
        // A path that cannot be made is left empty: it has no digest.
        reading.paths.push_back(path.Problem.empty() ? std::move(path.Path) : std::wstring());
    }
    reading.digests.resize(relatives.size());
    std::vector<unique_handle> readers;
    for (DWORD count = ReadersToStart(relatives.size()); count > 0; --count) {
        unique_handle reader = StartWorkerThread([&reading] { ReadFiles(reading); });
        if (reader) {
            readers.push_back(std::move(reader));
        }
    }
    if (readers.empty() && !relatives.empty()) {
        // No worker to be had: read here, the windows waiting meanwhile.
        ReadFiles(reading);
        if (progress != nullptr && !progress->BytesRead(reading.bytes.load())) {
            reading.stop.store(true);
        }
    }
    // The readers still at work; a reader that ends leaves the list, so that
    // the wait is for the others.
    std::vector<HANDLE> working;
    for (const unique_handle& reader : readers) {
        working.push_back(reader.get());
    }
    std::uint64_t told = 0;
    const auto tellProgress = [&] {
        const std::uint64_t now = reading.bytes.load();
        if (progress != nullptr && now != told && !reading.stop.load()) {
            if (!progress->BytesRead(now - told)) {
                reading.stop.store(true);
            }
            told = now;
        }
        return true;
    };
    while (!working.empty()) {
        const WaitResult waited = WaitHandlingMessages(working, &pump_, INFINITE, tellProgress);
        tellProgress();
        if (waited.end != WaitEnd::Signalled) {
            break;
        }
        working.erase(working.begin() + static_cast<std::ptrdiff_t>(waited.index));
    }
    // The readers use this frame's state: they must be over before it goes.
    for (const unique_handle& reader : readers) {
        ::WaitForSingleObject(reader.get(), INFINITE);
    }
    pump_.HandlePendingMessages();
    if (reading.stop.load()) {
        // Told to stop, even at its last report: no reading counts.
        return std::vector<std::optional<FileDigest>>(relatives.size());
    }
    return std::move(reading.digests);
}

} // namespace gsd

#include "game_folder.h"

#include "platform/Handles.h"
#include "wait.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace gsd::e2e {
namespace {

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

// Deletes path and everything below it; true if it is gone. Read-only
// attributes are cleared first, as installers may leave such files.
bool DeleteTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::string BinFolder()
{
    char module[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        Fail("GetModuleFileNameA");
    std::string path(module, n);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

GameFolder::GameFolder(Contents contents)
{
    static std::atomic<unsigned> counter { 0 };
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH)
        Fail("GetTempPathA");
    // Process id, a counter and the tick count keep folders of parallel
    // test programs and of leftovers from earlier runs apart.
    path_ = std::string(temp, n) + "gsd-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++)
        + "-" + std::to_string(GetTickCount());
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        Fail("CreateDirectoryA " + path_);
    try {
        for (const std::string& dir : { path_ + "\\Media", path_ + "\\Temp" }) {
            if (!CreateDirectoryA(dir.c_str(), nullptr))
                Fail("CreateDirectoryA " + dir);
        }
        if (contents != Contents::Empty)
            CopyFromBin("SecureDownload.exe");
        if (contents == Contents::ProgramAndEngine)
            CopyFromBin("Game.dll");
    } catch (...) {
        // No destructor runs for a half-made folder.
        DeleteTree(path_);
        throw;
    }
}

GameFolder::~GameFolder()
{
    // A program that has just ended may keep its files open a moment longer.
    WaitUntil([&] { return DeleteTree(path_); }, milliseconds(5000));
}

std::string GameFolder::PathOf(std::string_view relative) const
{
    return path_ + "\\" + std::string(relative);
}

void GameFolder::Write(std::string_view relative, std::string_view bytes) const
{
    const std::string path = PathOf(relative);
    unique_file file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        Fail("CreateFileA " + path);
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
        || written != bytes.size()) {
        Fail("WriteFile " + path);
    }
}

void GameFolder::CopyIn(const std::string& source, std::string_view relative) const
{
    const std::string target = PathOf(relative);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        Fail("CopyFileA " + source + " -> " + target);
}

void GameFolder::CopyFromBin(std::string_view name) const
{
    CopyIn(BinFolder() + std::string(name), name);
}

std::string GameFolder::Read(std::string_view relative) const
{
    const std::string path = PathOf(relative);
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        Fail("CreateFileA " + path);
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

bool GameFolder::Exists(std::string_view relative) const
{
    return GetFileAttributesA(PathOf(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace gsd::e2e

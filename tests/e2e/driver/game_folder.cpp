#include "game_folder.h"

#include "platform/Handles.h"
#include "wait.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>
#include <stdexcept>

namespace gsd::e2e {
namespace {

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

// Deletes path and everything below it; true if it is gone. Read-only
// attributes are cleared first, as installers may leave such files.
bool DeleteTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::wstring Widened(std::string_view text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::wstring SystemPath(std::string_view path)
{
    std::wstring wide = Widened(path);
    if (wide.size() >= MAX_PATH && wide.size() > 2 && wide[1] == L':')
        wide.insert(0, L"\\\\?\\");
    return wide;
}

std::string BinFolder()
{
    char module[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        Fail("GetModuleFileNameA");
    std::string path(module, n);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

GameFolder::GameFolder(Contents contents, std::string_view name, std::size_t length)
{
    static std::atomic<unsigned> counter { 0 };
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH)
        Fail("GetTempPathA");
    // Process id, a counter and the tick count keep folders of parallel
    // test programs and of leftovers from earlier runs apart.
    top_ = std::string(temp, n) + "gsd-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++)
        + "-" + std::to_string(GetTickCount());
    path_ = top_;
    if (!CreateDirectoryW(SystemPath(top_).c_str(), nullptr))
        Fail("CreateDirectoryW " + top_);
    try {
        std::vector<std::string> folders;
        for (std::size_t start = 0; !name.empty() && start <= name.size();) {
            const std::size_t end = std::min(name.find('\\', start), name.size());
            path_ += (start == 0 ? "-" : "\\") + std::string(name.substr(start, end - start));
            start = end + 1;
            if (start > name.size() && path_.size() < length)
                path_.append(length - path_.size(), 'p');
            folders.push_back(path_);
        }
        folders.push_back(path_ + "\\Media");
        folders.push_back(path_ + "\\Temp");
        for (const std::string& dir : folders) {
            if (!CreateDirectoryW(SystemPath(dir).c_str(), nullptr))
                Fail("CreateDirectoryW " + dir);
        }
        if (contents != Contents::Empty)
            CopyFromBin("SecureDownload.exe");
        if (contents == Contents::ProgramAndEngine)
            CopyFromBin("Game.dll");
    } catch (...) {
        // No destructor runs for a half-made folder.
        DeleteTree(SystemPath(top_));
        throw;
    }
}

GameFolder::~GameFolder()
{
    // A program that has just ended may keep its files open a moment longer.
    WaitUntil([&] { return DeleteTree(SystemPath(top_)); }, milliseconds(5000));
}

std::string GameFolder::PathOf(std::string_view relative) const
{
    return path_ + "\\" + std::string(relative);
}

void GameFolder::Write(std::string_view relative, std::string_view bytes) const
{
    const std::string path = PathOf(relative);
    unique_file file(
        CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    if (!CopyFileW(SystemPath(source).c_str(), SystemPath(target).c_str(), FALSE))
        Fail("CopyFileA " + source + " -> " + target);
}

void GameFolder::CopyFromBin(std::string_view name) const
{
    CopyIn(BinFolder() + std::string(name), name);
}

std::string GameFolder::Read(std::string_view relative) const
{
    const std::string path = PathOf(relative);
    unique_file file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
    return GetFileAttributesW(SystemPath(PathOf(relative)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace gsd::e2e

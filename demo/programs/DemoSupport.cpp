#include "DemoSupport.h"

#include "platform/Handles.h"

#include <cstdlib>

namespace gsd::demo {
namespace {

constexpr DWORD kMoveRetryMs = 100;

bool WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool InUse(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

std::string Utf8Of(const std::wstring& wide)
{
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(n > 0 ? n : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
}

} // namespace

std::wstring SystemPath(const std::string& path)
{
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), n);
    if (wide.size() >= MAX_PATH && wide.size() > 2 && wide[1] == L':') {
        wide.insert(0, L"\\\\?\\");
    }
    return wide;
}

std::string CurrentFolder()
{
    std::wstring buffer(::GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0 || n >= buffer.size()) {
        return std::string();
    }
    buffer.resize(n);
    std::string folder = Utf8Of(buffer);
    if (folder.size() > 3 && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

std::string ProgramFolder()
{
    std::wstring buffer(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) {
        return std::string();
    }
    buffer.resize(n);
    return ParentFolder(Utf8Of(buffer));
}

std::string ParentFolder(const std::string& path)
{
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool AppendJournalLine(const std::string& path, std::string_view line)
{
    unique_file journal(::CreateFileW(SystemPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return journal && WriteAll(journal.get(), std::string(line) + "\r\n");
}

std::string_view EmbeddedPayload(int id)
{
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (found == nullptr) {
        return {};
    }
    // Resources of the program's own image stay mapped while it runs; nothing
    // to free.
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    return bytes != nullptr ? std::string_view(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found))
                            : std::string_view();
}

DWORD ReplaceFileWith(const std::string& target, const std::string& staging, std::string_view bytes, DWORD patienceMs)
{
    {
        unique_file file(::CreateFileW(
            SystemPath(staging).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return ::GetLastError();
        }
        if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) {
            const DWORD error = ::GetLastError();
            file.reset();
            ::DeleteFileW(SystemPath(staging).c_str());
            return error;
        }
    }
    for (DWORD waited = 0;; waited += kMoveRetryMs) {
        if (::MoveFileExW(SystemPath(staging).c_str(), SystemPath(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return 0;
        }
        const DWORD error = ::GetLastError();
        if (!InUse(error) || waited >= patienceMs) {
            ::DeleteFileW(SystemPath(staging).c_str());
            return error;
        }
        ::Sleep(kMoveRetryMs);
    }
}

std::string SystemErrorText(DWORD error)
{
    char* buffer = nullptr;
    const DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n != 0 && buffer != nullptr ? std::string(buffer, n) : "error " + std::to_string(error);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

DWORD SecondsFromEnvironment(const char* name, DWORD fallback)
{
    char value[16];
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value) {
        return fallback;
    }
    char* end = nullptr;
    const long seconds = std::strtol(value, &end, 10);
    return *end == '\0' && seconds >= 0 && seconds <= 600 ? static_cast<DWORD>(seconds) : fallback;
}

} // namespace gsd::demo

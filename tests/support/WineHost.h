// The Unix side of a Windows test program running under Wine: path
// conversion between the two file systems and starting native Unix programs.
// Windows-only, header-only.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace gsd::test {

namespace wine_host_detail {

template <typename Function> Function Kernel32Export(const char* name)
{
    const FARPROC proc = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

inline std::string Narrow(const wchar_t* wide)
{
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(size - 1));
    return narrow;
}

inline std::wstring Widen(std::string_view narrow)
{
    const int size = ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), wide.data(), size);
    return wide;
}

} // namespace wine_host_detail

// The Windows name of a Unix path ("/tmp/x" -> "Z:\tmp\x"). Falls back to
// drive Z:, which maps "/" in every new prefix.
inline std::string WindowsPath(const std::string& unixPath)
{
    using ToDos = WCHAR*(CDECL*)(const char*);
    static const auto toDos = wine_host_detail::Kernel32Export<ToDos>("wine_get_dos_file_name");
    if (toDos != nullptr) {
        if (WCHAR* dos = toDos(unixPath.c_str())) {
            std::string path = wine_host_detail::Narrow(dos);
            ::HeapFree(::GetProcessHeap(), 0, dos);
            return path;
        }
    }
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// The Unix name of a Windows path; a path that already starts with "/" is
// taken as Unix. Empty for an empty path and when Wine knows no Unix name.
inline std::string UnixPath(const std::string& windowsPath)
{
    if (windowsPath.empty() || windowsPath.front() == '/')
        return windowsPath;
    using ToUnix = char*(CDECL*)(const WCHAR*);
    static const auto toUnix = wine_host_detail::Kernel32Export<ToUnix>("wine_get_unix_file_name");
    if (toUnix == nullptr)
        return {};
    char* unix = toUnix(wine_host_detail::Widen(windowsPath).c_str());
    if (unix == nullptr)
        return {};
    std::string path = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return path;
}

inline std::string EnvironmentOr(const char* name, std::string fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

// Quotes one argument for a command line the way Windows programs (and
// Wine, when it hands the line to a Unix program) split it again.
inline std::string QuoteArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    quoted.push_back('"');
    return quoted;
}

// Starts a native Unix program (an absolute Unix path) from inside Wine.
// Wine gives no process handle for it, so it cannot be waited for: the
// program must signal through files. Returns false when Wine refused.
inline bool StartUnixProgram(const std::vector<std::string>& arguments)
{
    std::string commandLine;
    for (const std::string& argument : arguments)
        commandLine += (commandLine.empty() ? "" : " ") + QuoteArgument(argument);
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!::CreateProcessA(
            nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess != nullptr)
        ::CloseHandle(process.hProcess);
    if (process.hThread != nullptr)
        ::CloseHandle(process.hThread);
    return true;
}

// Runs a Windows program and waits for it; returns its exit code, or -1
// when it could not be started or did not end within `timeoutMs`.
inline long RunWindowsProgram(const std::vector<std::string>& arguments, DWORD timeoutMs = 60000)
{
    std::string commandLine;
    for (const std::string& argument : arguments)
        commandLine += (commandLine.empty() ? "" : " ") + QuoteArgument(argument);
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!::CreateProcessA(
            nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    ::CloseHandle(process.hThread);
    DWORD exitCode = 0;
    const bool ended = ::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0
        && ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hProcess);
    return ended ? static_cast<long>(exitCode) : -1;
}

// The folder of the running program (Windows path, no trailing "\").
inline std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/"));
}

} // namespace gsd::test

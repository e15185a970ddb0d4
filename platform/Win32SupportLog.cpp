#include "platform/Win32SupportLog.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

std::string LocalTimestamp()
{
    SYSTEMTIME now {};
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay,
        now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

// Starts a new file when the current one has reached the limit.
void RotateWhenFull(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return;
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size < SupportLogLimitBytes) {
        return;
    }
    const WideGamePath old = GameFolderPath(OldSupportLogPath);
    if (old.Problem.empty()) {
        ::MoveFileExW(path.c_str(), old.Path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

} // namespace

void Win32SupportLog::Write(std::string_view event)
{
    const WideGamePath path = GameFolderPath(SupportLogPath);
    if (!path.Problem.empty()) {
        return;
    }
    RotateWhenFull(path.Path);
    const unique_file file(::CreateFileW(path.Path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    const std::string line = LocalTimestamp().append(event).append("\r\n");
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string ProgramVersion()
{
    const std::optional<std::wstring> file = ProgramFile();
    if (!file) {
        return "?";
    }
    const std::wstring& path = *file;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return "?";
    }
    std::string info(size, '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, info.data())
        || !::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr
        || fixedSize < sizeof *fixed) {
        return "?";
    }
    return ProgramVersionText(HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
        HIWORD(fixed->dwFileVersionLS));
}

} // namespace gsd

// Holds a file open for reading for a while, as a scanner does with each
// new file, so that the tests can see what the program does meanwhile.
//
//   file_holder <file> <share> <milliseconds> <trigger>
//
// <share> is "r" (others may read) or "rwd" (read, write and delete). The
// file is opened at once; the hold lasts <milliseconds> from the moment
// <trigger> first exists. Exit code 0 after the hold, 2 when the file
// cannot be opened, 3 when the trigger never appears within a minute.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5) {
        return 1;
    }
    const std::wstring share = argv[2];
    const DWORD shareMode = share == L"rwd" ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ;
    const HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, shareMode, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 2;
    }
    constexpr DWORD PollMs = 5;
    constexpr DWORD TriggerLimitMs = 60'000;
    DWORD waited = 0;
    while (::GetFileAttributesW(argv[4]) == INVALID_FILE_ATTRIBUTES) {
        if (waited >= TriggerLimitMs) {
            ::CloseHandle(file);
            return 3;
        }
        ::Sleep(PollMs);
        waited += PollMs;
    }
    ::Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    ::CloseHandle(file);
    return 0;
}

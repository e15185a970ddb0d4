// The least a start-up with the program's three server exchanges can cost:
// a bare modal dialog whose WM_INITDIALOG makes the connection check, the
// host authentication and the download-list request with plain WinINet
// calls (same agent, open flags, header and bodies as the program), each on
// a new root handle, each reply read to its end in 1024-byte reads. No
// engine, no media, no texts, no lists, no status dialogs, no pauses.
// bench_startup times it against the program.
//
//   startup_floor.exe URL AUTH_BODY_FILE LIST_BODY_FILE [--read-packs]
//
// With --read-packs it also reads, before the download-list request, the
// media files of the current directory's Media folder once through the
// Game.dll beside them: a plain loop over the exports, one reader, each
// file opened once and each text an object pack's row and report need read
// once (none of the program's code). Started in a game folder, this is the
// least the program's start-up can cost with that folder's packs.
//
// When GSD_STARTUP_MARKS names a file, the floor appends to it, in the
// support log's form, a "start" line on entering WinMain, one line per
// exchange with its seconds and a mark before and after reading the packs,
// so bench_startup can set its phases beside the program's.
//
// The body files hold the exact bodies the program sent (bench_startup takes
// them from the reference server's request log). The dialog is titled
// "Start-up floor" and shows once all three replies are in; it ends on
// WM_CLOSE with exit code 0. Exit code 2 means bad arguments, 3 an exchange
// that failed or a reply that was not what the program would accept.

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "bench/BareExchange.h"
#include "gamedll/include/GameSystem.h"
#include "protocol/ServerEndpoint.h"
#include "tests/support/WideArguments.h"

namespace {

constexpr DWORD ReadChunk = 1024;
constexpr std::size_t ChallengeLength = 100;
constexpr std::size_t LongestErrorCode = 3;
constexpr INT_PTR ExchangeFailed = 3;

struct Exchanges {
    std::string url;
    std::string authenticationBody;
    std::string downloadListBody;
    bool readPacks = false;
};

using CreateSystemFn = int(__cdecl*)(HWND, HINSTANCE);
using DestroySystemFn = int(__cdecl*)();
using CreateInterfaceFn = int(__cdecl*)(int, void**);

// Appends "<local time> <event>" to the marks file, when one is named.
void Mark(const std::string& event)
{
    char path[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("GSD_STARTUP_MARKS", path, MAX_PATH) == 0) {
        return;
    }
    SYSTEMTIME now {};
    ::GetLocalTime(&now);
    if (std::FILE* file = std::fopen(path, "ab")) {
        std::fprintf(file, "%04u-%02u-%02u %02u:%02u:%02u.%03u %s\r\n", now.wYear, now.wMonth, now.wDay, now.wHour,
            now.wMinute, now.wSecond, now.wMilliseconds, event.c_str());
        std::fclose(file);
    }
}

struct LibraryFree {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};

// Reads every media file's texts once; false when Game.dll or its reader
// cannot be had, so a broken set-up is never timed.
bool ReadPacksOnce(HWND dialog)
{
    char folder[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string game(folder, length);
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFree> library(
        ::LoadLibraryExA((game + "\\Game.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) {
        return false;
    }
    const auto createSystem = reinterpret_cast<CreateSystemFn>(::GetProcAddress(library.get(), "CreateSystem"));
    const auto destroySystem = reinterpret_cast<DestroySystemFn>(::GetProcAddress(library.get(), "DestroySystem"));
    const auto createInterface
        = reinterpret_cast<CreateInterfaceFn>(::GetProcAddress(library.get(), "CreateInterface"));
    if (createSystem == nullptr || destroySystem == nullptr || createInterface == nullptr
        || createSystem(dialog, ::GetModuleHandleA(nullptr)) != 0) {
        return false;
    }
    void* object = nullptr;
    if (createInterface(kMediaResourceReaderKind, &object) != 0 || object == nullptr) {
        destroySystem();
        return false;
    }
    auto* reader = static_cast<MediaResourceReader*>(object);
    reader->Begin();
    const auto read = [reader](const char* key) {
        const bool present = reader->ReadResourceText(key, "txt", "txt") != nullptr;
        reader->EndResourceRead();
        return present;
    };
    WIN32_FIND_DATAA entry {};
    const HANDLE search = ::FindFirstFileA((game + "\\Media\\*.mdc").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            reader->OpenMediaFile(entry.cFileName);
            if (read("Gravelpit Objects")) {
                for (const char* key : { "Gravelpit Version", "Gravelpit Languages Available",
                         "Gravelpit Object Pack Title", "Gravelpit Object Pack Author",
                         "Gravelpit Object Pack Description" }) {
                    read(key);
                }
            }
        } while (::FindNextFileA(search, &entry));
        ::FindClose(search);
    }
    reader->Release();
    destroySystem();
    return true;
}

std::optional<std::string> ExchangeUnmarked(const std::string& url, DWORD openFlags, const std::string* body);

// One exchange, its reply read whole, marked as `action`; nullopt when a
// WinINet call failed.
std::optional<std::string> Exchange(
    const char* action, const std::string& url, DWORD openFlags, const std::string* body)
{
    const auto started = std::chrono::steady_clock::now();
    std::optional<std::string> reply = ExchangeUnmarked(url, openFlags, body);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f",
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    Mark(std::string("exchange ") + action + ": floor, " + seconds + " s");
    return reply;
}

std::optional<std::string> ExchangeUnmarked(const std::string& url, DWORD openFlags, const std::string* body)
{
    gsd::bench::BareRequest opened;
    if (!gsd::bench::OpenBareRequest(url, openFlags, body, opened)) {
        return std::nullopt;
    }
    std::string reply;
    char buffer[ReadChunk];
    const bool read
        = gsd::bench::ReadToEnd(opened.request.get(), buffer, ReadChunk, [&reply](const char* bytes, DWORD size) {
              reply.append(bytes, size);
              return true;
          });
    return read ? std::optional<std::string>(std::move(reply)) : std::nullopt;
}

// The three exchanges; false as soon as one fails or brings a reply the
// program would not go on with, so a broken set-up is never timed.
bool RunExchanges(HWND dialog, const Exchanges& exchanges)
{
    const std::optional<std::string> check = Exchange("check", exchanges.url, gsd::ConnectionCheckOpenFlags, nullptr);
    if (!check || *check != "0") {
        return false;
    }
    const std::optional<std::string> challenge
        = Exchange("AUTHENTICATE+HOST", exchanges.url, gsd::BodyRequestOpenFlags, &exchanges.authenticationBody);
    if (!challenge || challenge->size() != ChallengeLength) {
        return false;
    }
    if (exchanges.readPacks) {
        Mark("mark packs: reading begins");
        if (!ReadPacksOnce(dialog)) {
            return false;
        }
        Mark("mark packs: reading ends");
    }
    const std::optional<std::string> list
        = Exchange("RETURN+DOWNLOAD+LIST", exchanges.url, gsd::BodyRequestOpenFlags, &exchanges.downloadListBody);
    return list && list->size() > LongestErrorCode;
}

INT_PTR CALLBACK FloorDialog(HWND dialog, UINT message, WPARAM, LPARAM parameter)
{
    switch (message) {
    case WM_INITDIALOG:
        if (!RunExchanges(dialog, *reinterpret_cast<const Exchanges*>(parameter))) {
            ::EndDialog(dialog, ExchangeFailed);
        }
        return TRUE;
    case WM_CLOSE:
        ::EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

// An in-memory template: a captioned, empty modal dialog with no menu, the
// default class and no font, as 16-bit words.
std::vector<WORD> EmptyDialogTemplate(const wchar_t* title)
{
    std::vector<WORD> words;
    const auto addDword = [&words](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    addDword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER);
    addDword(0); // extended style
    words.push_back(0); // controls
    for (const WORD coordinate : { 0, 0, 200, 80 }) { // x, y, width, height in dialog units
        words.push_back(coordinate);
    }
    words.push_back(0); // menu
    words.push_back(0); // class
    for (const wchar_t* c = title; *c != L'\0'; ++c) {
        words.push_back(static_cast<WORD>(*c));
    }
    words.push_back(0);
    return words;
}

// `path` in UTF-8.
bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    std::ifstream in(gsd::test::WidenedUtf8(path).c_str(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Mark("start floor");
    // Read wide: the body files may lie below a folder of any name.
    const std::vector<std::string> arguments = gsd::test::Utf8Arguments();
    const bool readPacks = arguments.size() == 4 && arguments[3] == "--read-packs";
    if (arguments.size() != 3 && !readPacks) {
        return 2;
    }
    Exchanges exchanges { arguments[0], {}, {}, readPacks };
    if (!ReadFileBytes(arguments[1], exchanges.authenticationBody)
        || !ReadFileBytes(arguments[2], exchanges.downloadListBody)) {
        return 2;
    }
    const std::vector<WORD> dialog = EmptyDialogTemplate(L"Start-up floor");
    return static_cast<int>(::DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(dialog.data()),
        nullptr, FloorDialog, reinterpret_cast<LPARAM>(&exchanges)));
}

// Measures the program's start-up under Wine: from starting the process to
// the main dialog on screen, its server list filled and its message loop
// answering, against the reference server on loopback, with 100 object
// packs in the game folder. Run once with the program as shipped and once
// with a build that leaves out the three 500 ms pauses after good replies
// (SecureDownloadNoPause.exe, built from the same sources), so the pauses'
// share shows, and that build once more without the packs, so the share of
// reading them shows. Then the floor: startup_floor.exe, an empty dialog making
// the same three exchanges with bare WinINet calls and the bodies the
// program sent, once bare and once reading the game folder's packs once
// through Game.dll (in the folder with the 100 packs and in one with none).
// The start-up without the pauses is printed as a multiple of the floor
// that reads the same packs.
//
// A program that prints figures, not a test. Run it through the test rig's
// Wine wrapper so that the test CA is trusted:
//   tests/wine/wine-run build/windows/bin/bench_startup.exe [--runs 5]

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ReferenceServer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* MainCaption = "Rubbleton: Gravelpit Secure Download";
constexpr const char* FloorCaption = "Start-up floor";
constexpr int ServerListId = 1007;
constexpr int PackCount = 100;
constexpr int OfferedItems = 25;

std::string BinFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

bool Copy(const std::string& from, const std::string& to)
{
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", from.c_str(), to.c_str());
        return false;
    }
    return true;
}

// A game folder with the program, Game.dll, the demo's language and
// version files and the first `packs` of the packs made for this benchmark.
struct GameFolder {
    std::string path;

    bool Make(const std::string& program, int packs)
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "gsd-bench-startup-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path.c_str(), nullptr);
        CreateDirectoryA((path + "\\Media").c_str(), nullptr);
        CreateDirectoryA((path + "\\Temp").c_str(), nullptr);
        const std::string bin = BinFolder();
        bool ok = Copy(bin + program, path + "\\SecureDownload.exe") && Copy(bin + "Game.dll", path + "\\Game.dll")
            && Copy(bin + "..\\media\\Language.mdc", path + "\\Media\\Language.mdc")
            && Copy(bin + "..\\media\\Version.mdc", path + "\\Media\\Version.mdc");
        for (int i = 1; ok && i <= packs; ++i) {
            const std::string name = "BenchPack" + std::to_string(i) + ".mdc";
            ok = Copy(bin + "..\\bench-media\\" + name, path + "\\Media\\" + name);
        }
        return ok;
    }

    ~GameFolder()
    {
        if (path.empty()) {
            return;
        }
        std::string from = path + std::string(1, '\0');
        SHFILEOPSTRUCTA operation {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationA(&operation);
    }
};

// What is started and how its start is known to be complete: a visible
// window of the process with `caption` for which `ready` holds.
struct StartTarget {
    std::string commandLine;
    std::string folder;
    const char* caption;
    std::function<bool(HWND)> ready;
};

struct Search {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char caption[128] = {};
    if (pid == search->pid && IsWindowVisible(window) && GetWindowTextA(window, caption, sizeof caption) > 0
        && std::string(caption) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The program's start is complete when its server list holds the offer
// (asking also proves that the dialog answers messages).
bool ServerListFilled(HWND dialog)
{
    DWORD_PTR rows = 0;
    return SendMessageTimeoutA(GetDlgItem(dialog, ServerListId), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &rows)
        && rows >= OfferedItems;
}

// The floor's dialog shows only once its exchanges are done; it must answer.
bool Answers(HWND dialog)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

// Seconds from process start until the target's window is visible and
// ready; negative on failure.
double TimeOneStart(const StartTarget& target)
{
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    std::string commandLine = target.commandLine;
    const auto start = Clock::now();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, target.folder.c_str(),
            &startup, &process)) {
        return -1;
    }
    CloseHandle(process.hThread);
    double seconds = -1;
    while (Clock::now() - start < std::chrono::seconds(60)) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            std::fprintf(stderr, "%s ended during start-up (exit code %lu)\n", target.commandLine.c_str(),
                static_cast<unsigned long>(code));
            break;
        }
        Search search { process.dwProcessId, target.caption, nullptr };
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && target.ready(search.found)) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            PostMessageA(search.found, WM_CLOSE, 0, 0);
            break;
        }
        Sleep(1);
    }
    if (seconds < 0 && WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "%s was not ready within a minute\n", target.commandLine.c_str());
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return seconds;
}

struct Figures {
    double best = 0;
    double median = 0;
};

bool TimeStarts(const StartTarget& target, int runs, Figures& figures)
{
    std::vector<double> times;
    // One start first to warm the prefix and the file cache.
    if (TimeOneStart(target) < 0) {
        return false;
    }
    for (int run = 0; run < runs; ++run) {
        const double seconds = TimeOneStart(target);
        if (seconds < 0) {
            return false;
        }
        times.push_back(seconds);
    }
    std::sort(times.begin(), times.end());
    figures.best = times.front();
    figures.median = times[times.size() / 2];
    return true;
}

bool TimeProgramStarts(const std::string& program, int packs, int runs, Figures& figures)
{
    GameFolder game;
    if (!game.Make(program, packs)) {
        return false;
    }
    const StartTarget target { gsd::test::QuoteArgument(game.path + "\\SecureDownload.exe"), game.path, MainCaption,
        ServerListFilled };
    return TimeStarts(target, runs, figures);
}

// The last body of `kind` the server received; empty when none came.
std::string LastBody(const std::vector<gsd::test::RecordedRequest>& requests, const std::string& kind)
{
    for (auto request = requests.rbegin(); request != requests.rend(); ++request) {
        if (request->kind == kind) {
            return request->body;
        }
    }
    return {};
}

// Times the floor with the bodies the program sent last; with `packs` of
// 0 or more it runs in a game folder with that many packs and reads them
// once through Game.dll, with -1 it reads nothing.
bool TimeFloorStarts(const gsd::test::ReferenceServer& server, int packs, int runs, Figures& figures)
{
    const std::vector<gsd::test::RecordedRequest> requests = server.Requests();
    const std::string bin = BinFolder();
    const std::string authentication = bin + "startup-floor-auth.body";
    const std::string downloadList = bin + "startup-floor-list.body";
    if (!gsd::test::reference_server_detail::WriteWholeFile(authentication, LastBody(requests, "auth"))
        || !gsd::test::reference_server_detail::WriteWholeFile(downloadList, LastBody(requests, "list"))) {
        std::fprintf(stderr, "cannot write the floor's bodies beside %s\n", bin.c_str());
        return false;
    }
    std::string commandLine = gsd::test::QuoteArgument(bin + "startup_floor.exe") + " "
        + gsd::test::QuoteArgument(server.Url()) + " " + gsd::test::QuoteArgument(authentication) + " "
        + gsd::test::QuoteArgument(downloadList);
    GameFolder game;
    if (packs >= 0) {
        if (!game.Make("startup_floor.exe", packs)) {
            return false;
        }
        commandLine += " --read-packs";
    }
    const bool timed
        = TimeStarts({ commandLine, packs >= 0 ? game.path : bin, FloorCaption, Answers }, runs, figures);
    DeleteFileA(authentication.c_str());
    DeleteFileA(downloadList.c_str());
    return timed;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    if (argc == 3 && std::string(argv[1]) == "--runs") {
        runs = std::max(1, std::atoi(argv[2]));
    }
    gsd::test::ReferenceServerOptions options;
    for (int i = 0; i < OfferedItems; ++i) {
        const std::string n = std::to_string(i + 1);
        options.catalogue.push_back(
            "3|New Pack " + n + "|NewPack" + n + "|Quil Studios|A pack not installed yet.|New|1|0|0|1");
    }
    gsd::test::ReferenceServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "bench_startup: %s\n", server.Error().c_str());
        return 1;
    }
    std::printf("Start-up to a filled, interactive main dialog: %d packs installed, %d items offered,\n"
                "reference server on loopback, %d timed starts each after one warm-up start\n\n",
        PackCount, OfferedItems, runs);
    Figures withPauses;
    Figures withoutPauses;
    Figures withoutPacks;
    Figures floor;
    Figures floorReading;
    Figures floorNoPacks;
    if (!TimeProgramStarts("SecureDownload.exe", PackCount, runs, withPauses)
        || !TimeProgramStarts("SecureDownloadNoPause.exe", PackCount, runs, withoutPauses)
        || !TimeProgramStarts("SecureDownloadNoPause.exe", 0, runs, withoutPacks)
        || !TimeFloorStarts(server, -1, runs, floor) || !TimeFloorStarts(server, PackCount, runs, floorReading)
        || !TimeFloorStarts(server, 0, runs, floorNoPacks)) {
        std::fprintf(stderr, "bench_startup: a start failed\n");
        return 1;
    }
    std::printf("%-42s %8s %8s\n", "", "best", "median");
    std::printf("%-42s %7.3fs %7.3fs\n", "as shipped (three 500 ms pauses)", withPauses.best, withPauses.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "without the pauses", withoutPauses.best, withoutPauses.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "difference", withPauses.best - withoutPauses.best,
        withPauses.median - withoutPauses.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "without the pauses, no packs installed", withoutPacks.best,
        withoutPacks.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "reading the packs", withoutPauses.best - withoutPacks.best,
        withoutPauses.median - withoutPacks.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "floor (empty dialog, bare WinINet)", floor.best, floor.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "floor reading the 100 packs once", floorReading.best,
        floorReading.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "floor loading Game.dll, no packs", floorNoPacks.best,
        floorNoPacks.median);
    std::printf("%-42s %7.2fx %7.2fx   (goal: 1.10x or less)\n", "without the pauses / floor reading packs",
        withoutPauses.best / floorReading.best, withoutPauses.median / floorReading.median);
    std::printf("%-42s %7.2fx %7.2fx   (goal: 1.10x or less)\n", "no packs / floor with no packs",
        withoutPacks.best / floorNoPacks.best, withoutPacks.median / floorNoPacks.median);
    std::printf("%-42s %7.2fx %7.2fx\n", "without the pauses / bare floor", withoutPauses.best / floor.best,
        withoutPauses.median / floor.median);
    return 0;
}

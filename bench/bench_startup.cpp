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
// The seven take turns (the program once more with a record of each pack, as
// if it had installed them), one start of each per round, so that the machine's
// other load falls on all of them alike. For each, the marks of every start
// (first window, each exchange from the support log or the floor's own
// marks, the list filled) are printed, then the program's phases beside the
// floor's, and what Game.dll did in one more start.
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
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/StartupPhases.h"
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

    bool Make(const std::string& program, int packs, const std::string& name)
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "gsd-bench-startup-" + std::to_string(GetCurrentProcessId()) + "-" + name;
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
    // The support log the start writes, emptied before it; empty for none.
    std::string supportLog;
    // Run before and after each start (records put in place and taken away).
    std::function<void()> before = {};
    std::function<void()> after = {};
};

constexpr const char* InstalledMediaKey = "Software\\Quil Studios\\Rubbleton Gravelpit\\Installed Media Files";

// Records of the game folder's packs as the program keeps them for the
// files it installed, each with the pack's size and time, so that the quick
// look of a start finds every one unchanged and reads none.
void RecordPacks(const std::string& folder)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, InstalledMediaKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS) {
        return;
    }
    for (int i = 1; i <= PackCount; ++i) {
        const std::string name = "BenchPack" + std::to_string(i) + ".mdc";
        WIN32_FILE_ATTRIBUTE_DATA facts {};
        if (!GetFileAttributesExA((folder + "\\Media\\" + name).c_str(), GetFileExInfoStandard, &facts)) {
            continue;
        }
        const unsigned long long size = (static_cast<unsigned long long>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
        const unsigned long long time = (static_cast<unsigned long long>(facts.ftLastWriteTime.dwHighDateTime) << 32)
            | facts.ftLastWriteTime.dwLowDateTime;
        const std::string data = std::to_string(size) + "|" + std::to_string(time) + "|" + std::string(64, '0');
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
            static_cast<DWORD>(data.size() + 1));
    }
    RegCloseKey(key);
}

void ForgetRecords()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, InstalledMediaKey);
}

struct Search {
    DWORD pid;
    const char* caption;
    HWND found;
    bool anyShown;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) {
        return TRUE;
    }
    search->anyShown = true;
    char caption[128] = {};
    if (GetWindowTextA(window, caption, sizeof caption) > 0 && std::string(caption) == search->caption) {
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
// ready; negative on failure. `marks` gets where the time went.
double TimeOneStartBare(const StartTarget& target, gsd::bench::Marks& marks);

double TimeOneStart(const StartTarget& target, gsd::bench::Marks& marks)
{
    if (target.before) {
        target.before();
    }
    const double seconds = TimeOneStartBare(target, marks);
    if (target.after) {
        target.after();
    }
    return seconds;
}

double TimeOneStartBare(const StartTarget& target, gsd::bench::Marks& marks)
{
    if (!target.supportLog.empty()) {
        DeleteFileA(target.supportLog.c_str());
    }
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    std::string commandLine = target.commandLine;
    const auto start = Clock::now();
    const double localStart = gsd::bench::LocalMillisecondsNow();
    const auto sinceStart = [&start] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
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
        Search search { process.dwProcessId, target.caption, nullptr, false };
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.anyShown && marks.count("first window shown") == 0) {
            marks["first window shown"] = sinceStart();
        }
        if (search.found != nullptr && marks.count("its main window shown") == 0) {
            marks["its main window shown"] = sinceStart();
        }
        if (search.found != nullptr && target.ready(search.found)) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            marks["ready: filled and answering"] = seconds * 1000.0;
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
    if (!target.supportLog.empty()) {
        gsd::bench::AddLogMarks(target.supportLog, localStart, marks);
    }
    return seconds;
}

struct Figures {
    double best = 0;
    double median = 0;
    std::vector<gsd::bench::Marks> starts;
    // Game.dll's work in one more, untimed start: files opened, texts read.
    int filesOpened = 0;
    int textsRead = 0;
};

// Counts what Game.dll did in one start of `target`, from its trace (which
// slows every call, so the start is not timed).
bool CountEngineCalls(const StartTarget& target, Figures& figures)
{
    const std::string trace = BinFolder() + "startup-engine-trace.txt";
    DeleteFileA(trace.c_str());
    SetEnvironmentVariableA("GAME_DLL_TRACE", trace.c_str());
    gsd::bench::Marks ignored;
    const bool started = TimeOneStart(target, ignored) >= 0;
    SetEnvironmentVariableA("GAME_DLL_TRACE", nullptr);
    std::ifstream in(trace, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        figures.filesOpened += line.rfind("OpenMediaFile ", 0) == 0 ? 1 : 0;
        figures.textsRead += line.rfind("ReadResourceText ", 0) == 0 ? 1 : 0;
    }
    in.close();
    DeleteFileA(trace.c_str());
    return started;
}

// One way of starting to time, and its figures.
struct Configuration {
    const char* title;
    StartTarget target;
    Figures* figures;
    // Run after its untimed first start (the floor's bodies are taken then).
    std::function<bool()> afterWarmUp;
};

// Times every configuration `runs` times, taking turns (one start of each
// per round) so that a change in the machine's other load falls on all of
// them alike rather than on whichever ran then; each is started once first,
// untimed, to warm the prefix and the file cache.
bool TimeInTurns(const std::vector<Configuration>& configurations, int runs)
{
    for (const Configuration& configuration : configurations) {
        gsd::bench::Marks warmUp;
        if (TimeOneStart(configuration.target, warmUp) < 0
            || (configuration.afterWarmUp && !configuration.afterWarmUp())) {
            return false;
        }
    }
    std::vector<std::vector<double>> times(configurations.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < configurations.size(); ++i) {
            gsd::bench::Marks marks;
            const double seconds = TimeOneStart(configurations[i].target, marks);
            if (seconds < 0) {
                return false;
            }
            times[i].push_back(seconds);
            configurations[i].figures->starts.push_back(std::move(marks));
        }
    }
    for (std::size_t i = 0; i < configurations.size(); ++i) {
        Figures& figures = *configurations[i].figures;
        gsd::bench::PrintPhases(configurations[i].title, figures.starts);
        if (!CountEngineCalls(configurations[i].target, figures)) {
            return false;
        }
        std::sort(times[i].begin(), times[i].end());
        figures.best = times[i].front();
        figures.median = times[i][times[i].size() / 2];
    }
    return true;
}

StartTarget ProgramTarget(const GameFolder& game)
{
    return { gsd::test::QuoteArgument(game.path + "\\SecureDownload.exe"), game.path, MainCaption, ServerListFilled,
        game.path + "\\Temp\\SecureDownload.log" };
}

// The program in `game` with a record for each of its packs.
StartTarget RecordedTarget(const GameFolder& game)
{
    StartTarget target = ProgramTarget(game);
    target.before = [path = game.path] { RecordPacks(path); };
    target.after = ForgetRecords;
    return target;
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

// The floor's two body files, named by `prefix`: what the program sent last.
struct FloorBodies {
    std::string authentication;
    std::string downloadList;

    explicit FloorBodies(const std::string& prefix)
        : authentication(BinFolder() + prefix + "-auth.body")
        , downloadList(BinFolder() + prefix + "-list.body")
    {
    }
    ~FloorBodies()
    {
        DeleteFileA(authentication.c_str());
        DeleteFileA(downloadList.c_str());
    }

    bool Take(const gsd::test::ReferenceServer& server) const
    {
        const std::vector<gsd::test::RecordedRequest> requests = server.Requests();
        if (!gsd::test::reference_server_detail::WriteWholeFile(authentication, LastBody(requests, "auth"))
            || !gsd::test::reference_server_detail::WriteWholeFile(downloadList, LastBody(requests, "list"))) {
            std::fprintf(stderr, "cannot write the floor's bodies beside %s\n", BinFolder().c_str());
            return false;
        }
        return true;
    }
};

// The floor with `bodies`; in `game` (reading its packs once through
// Game.dll) or, without one, in the bin folder reading nothing.
StartTarget FloorTarget(
    const gsd::test::ReferenceServer& server, const FloorBodies& bodies, const GameFolder* game, const std::string& marks)
{
    std::string commandLine = gsd::test::QuoteArgument(BinFolder() + "startup_floor.exe") + " "
        + gsd::test::QuoteArgument(server.Url()) + " " + gsd::test::QuoteArgument(bodies.authentication) + " "
        + gsd::test::QuoteArgument(bodies.downloadList);
    if (game != nullptr) {
        commandLine += " --read-packs";
    }
    return { commandLine, game != nullptr ? game->path : BinFolder(), FloorCaption, Answers, marks };
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
    Figures withRecords;
    Figures withoutPacks;
    Figures floor;
    Figures floorReading;
    Figures floorNoPacks;
    // Each configuration has a game folder of its own (a start changes its
    // folder only by the support log, which is read and emptied each time).
    GameFolder shipped;
    GameFolder noPause;
    GameFolder noPacks;
    GameFolder floorPacks;
    GameFolder floorNone;
    if (!shipped.Make("SecureDownload.exe", PackCount, "shipped")
        || !noPause.Make("SecureDownloadNoPause.exe", PackCount, "nopause")
        || !noPacks.Make("SecureDownloadNoPause.exe", 0, "nopacks")
        || !floorPacks.Make("startup_floor.exe", PackCount, "floor")
        || !floorNone.Make("startup_floor.exe", 0, "floornone")) {
        std::fprintf(stderr, "bench_startup: cannot make the game folders\n");
        return 1;
    }
    const FloorBodies packBodies("startup-floor-packs");
    const FloorBodies noPackBodies("startup-floor-nopacks");
    const std::string marks = BinFolder() + "startup-floor-marks.log";
    SetEnvironmentVariableA("GSD_STARTUP_MARKS", marks.c_str());
    const std::vector<Configuration> configurations {
        { "As shipped", ProgramTarget(shipped), &withPauses, {} },
        { "Without the pauses", ProgramTarget(noPause), &withoutPauses, [&] { return packBodies.Take(server); } },
        { "Without the pauses, 100 recorded packs", RecordedTarget(noPause), &withRecords, {} },
        { "Without the pauses, no packs", ProgramTarget(noPacks), &withoutPacks,
            [&] { return noPackBodies.Take(server); } },
        { "Floor", FloorTarget(server, packBodies, nullptr, marks), &floor, {} },
        { "Floor reading the packs", FloorTarget(server, packBodies, &floorPacks, marks), &floorReading, {} },
        { "Floor, no packs", FloorTarget(server, noPackBodies, &floorNone, marks), &floorNoPacks, {} },
    };
    const bool timed = TimeInTurns(configurations, runs);
    SetEnvironmentVariableA("GSD_STARTUP_MARKS", nullptr);
    DeleteFileA(marks.c_str());
    if (!timed) {
        std::fprintf(stderr, "bench_startup: a start failed\n");
        return 1;
    }
    gsd::bench::PrintComparison("Without the pauses, 100 packs, against the floor reading them",
        withoutPauses.starts, floorReading.starts);
    gsd::bench::PrintComparison("Without the pauses, no packs, against the floor with none", withoutPacks.starts,
        floorNoPacks.starts);
    std::printf("Where the program's extra time goes, and why it stays:\n"
                "- Before the first exchange: the program loads the libraries it links (common controls 6 with\n"
                "  their theme, COM, the shell, the signature checks) and starts sockets, COM and the common\n"
                "  controls; it then makes its main dialog, loads Game.dll, reads the interface texts and shows\n"
                "  the status dialog. The floor links WinINet alone and loads its TLS libraries during its first\n"
                "  exchange: read the first two rows together.\n"
                "- Between exchanges: each exchange closes its handles on a worker and shows a status dialog of\n"
                "  its own, painted before it connects; the floor shows nothing until its three replies are in.\n"
                "- Between authentication and list: the game's version and language reports and the packs.\n");
    std::printf("Game.dll in one start with 100 packs: the program opened %d files and read %d texts, the floor\n"
                "%d and %d; without packs %d and %d against %d and %d. Every text read opens and checks its file\n"
                "again. The program reads each pack's version, languages and title twice: once with no language\n"
                "chosen for the download-list request and once in the player's language for its row.\n\n",
        withoutPauses.filesOpened, withoutPauses.textsRead, floorReading.filesOpened, floorReading.textsRead,
        withoutPacks.filesOpened, withoutPacks.textsRead, floorNoPacks.filesOpened, floorNoPacks.textsRead);
    std::printf("%-42s %8s %8s\n", "", "best", "median");
    std::printf("%-42s %7.3fs %7.3fs\n", "as shipped (three 500 ms pauses)", withPauses.best, withPauses.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "without the pauses", withoutPauses.best, withoutPauses.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "difference", withPauses.best - withoutPauses.best,
        withPauses.median - withoutPauses.median);
    std::printf("%-42s %7.3fs %7.3fs\n", "without the pauses, 100 packs recorded", withRecords.best,
        withRecords.median);
    std::printf("%-42s %7.3fx %7.3fx   (goal: 1.02x or less)\n", "recorded / not recorded",
        withRecords.best / withoutPauses.best, withRecords.median / withoutPauses.median);
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

// How quickly the program's windows answer while it works, measured from
// another process as the system's "not responding" check does it: every
// 50 ms a probe sends WM_NULL (SendMessageTimeoutW, SMTO_NORMAL) to each
// visible top-level window of the program (its dialogs and message boxes
// included) and times the answer; an answer that does not come within the
// probe's limit counts as the limit. Two stages, against the reference
// server on loopback:
//   start-up  from the process start to the filled server list, with the
//             server holding each start-up reply back (--hold seconds)
//             before its headers;
//   pass      one download pass of a 200 MB signed game installer (fetched,
//             checked, moved, started and waited for) and ten object packs.
// Prints the longest and the median answer per stage and overall, and per
// status line the program showed at the time (read without a message, so
// reading it never waits for the program); the goal is 100 ms at most and
// a median of 20 ms at most.
//
// A program that prints figures, not a test. Run it through the test rig's
// Wine wrapper so that the test CA is trusted:
//   tests/wine/wine-run build/windows/bin/bench_responsiveness.exe [--hold 3]
//       [--installed-packs N]   (up to 90 more of the start-up benchmark's
//                                packs in the game folder, beside the demo's)

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver/uidriver.h"
#include "tests/support/ReferenceServer.h"

namespace {

using namespace gsd::e2e;
using Clock = std::chrono::steady_clock;

constexpr const char* MainCaption = "Rubbleton: Gravelpit Secure Download";
constexpr int DownloadButton = 1003;
constexpr int ServerList = 1007;
constexpr int FileNameColumn = 5;
constexpr const wchar_t* StatusCaption = L"Gravelpit Download Program Startup Status";
constexpr int StatusLine = 1008;
constexpr int PackCount = 10;
constexpr DWORD ProbeIntervalMs = 50;
constexpr DWORD ProbeLimitMs = 2000;

enum Stage { StartUp, Pass, StageCount };
const char* const StageNames[StageCount] = { "start-up, replies held back", "pass: 200 MB installer, 10 packs" };

// Sends WM_NULL to every visible top-level window of one process, every
// ProbeIntervalMs, from a thread of its own, and keeps each answer's time
// under the stage in force.
class Probe {
public:
    explicit Probe(DWORD pid)
        : pid_(pid)
        , thread_([this] { Run(); })
    {
    }
    ~Probe()
    {
        stop_ = true;
        thread_.join();
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    void Enter(Stage stage) { stage_ = stage; }
    void Pause() { stage_ = StageCount; }

    std::vector<double> Answers(Stage stage)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return answers_[stage];
    }

    // The answers by what the status dialog's first line said meanwhile.
    std::map<std::string, std::vector<double>> AnswersByStatus()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return byStatus_;
    }

private:
    void Run()
    {
        while (!stop_) {
            const auto round = Clock::now();
            const int stage = stage_;
            if (stage < StageCount) {
                const std::vector<HWND> windows = TopLevelWindows(pid_);
                const std::string status = StatusOf(windows);
                for (HWND window : windows) {
                    const double ms = TimeAnswer(window);
                    if (ms >= 0) {
                        const std::lock_guard<std::mutex> lock(mutex_);
                        answers_[stage].push_back(ms);
                        byStatus_[status].push_back(ms);
                    }
                }
            }
            const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - round).count();
            if (spent < ProbeIntervalMs) {
                Sleep(ProbeIntervalMs - static_cast<DWORD>(spent));
            }
        }
    }

    // Milliseconds until the window answered (the limit when it did not);
    // negative for a window that went away meanwhile.
    static double TimeAnswer(HWND window)
    {
        DWORD_PTR ignored = 0;
        const auto sent = Clock::now();
        const LRESULT answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, ProbeLimitMs, &ignored);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        if (answered != 0) {
            return ms;
        }
        return IsWindow(window) ? std::max<double>(ms, ProbeLimitMs) : -1;
    }

    // The status dialog's first line, or what else shows; the text the
    // window manager keeps (InternalGetWindowText), so no message is sent.
    static std::string StatusOf(const std::vector<HWND>& windows)
    {
        std::string shown = "(main dialog only)";
        for (HWND window : windows) {
            wchar_t text[128] = {};
            InternalGetWindowText(window, text, 128);
            if (std::wstring(text) == StatusCaption) {
                wchar_t line[64] = {};
                InternalGetWindowText(GetDlgItem(window, StatusLine), line, 64);
                std::string status(1, '"');
                for (const wchar_t* c = line; *c != 0; ++c) {
                    status += *c < 0x80 ? static_cast<char>(*c) : '?';
                }
                return status + '"';
            }
            if (IsMessageBox(window)) {
                shown = "(a message box)";
            }
        }
        return shown;
    }

    DWORD pid_;
    std::atomic<int> stage_ { StageCount };
    std::atomic<bool> stop_ { false };
    std::mutex mutex_;
    std::vector<double> answers_[StageCount];
    std::map<std::string, std::vector<double>> byStatus_;
    std::thread thread_;
};

struct Summary {
    std::size_t count = 0;
    double longest = 0;
    double median = 0;
    std::size_t over100 = 0;
};

Summary Summarise(std::vector<double> answers)
{
    Summary summary;
    summary.count = answers.size();
    if (answers.empty()) {
        return summary;
    }
    std::sort(answers.begin(), answers.end());
    summary.longest = answers.back();
    summary.median = answers[answers.size() / 2];
    summary.over100 = static_cast<std::size_t>(answers.end() - std::upper_bound(answers.begin(), answers.end(), 100.0));
    return summary;
}

void PrintRow(const std::string& name, const Summary& s)
{
    std::printf("%-44.44s %8zu %9.1f %9.1f %8zu\n", name.c_str(), s.count, s.longest, s.median, s.over100);
}

bool Copy(const std::string& from, const std::string& to)
{
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        std::fprintf(stderr, "bench_responsiveness: cannot copy %s to %s\n", from.c_str(), to.c_str());
        return false;
    }
    return true;
}

// The server's offer: the 200 MB game installer and ten new packs.
bool MakeContent(const std::string& folder)
{
    gsd::test::reference_server_detail::MakeFolders(folder + "\\files");
    std::string catalogue = "1|Rubbleton: Gravelpit|GameSetup|Quil Studios|The game, newer.|Update|1|1|0|11\r\n";
    const std::string bin = BinFolder();
    if (!Copy(bin + "..\\bench-media\\GameSetup200M.exe", folder + "\\files\\GameSetup.exe")) {
        return false;
    }
    for (int n = 1; n <= PackCount; ++n) {
        const std::string number = std::to_string(n);
        catalogue += "3|Bench Pack " + number + "|Bench" + number + "|Quil Studios|A pack for the benchmark.|New|1|0|0|9\r\n";
        if (!Copy(bin + "..\\bench-media\\BenchPack" + number + ".mdc", folder + "\\files\\Bench" + number + ".mdc")) {
            return false;
        }
    }
    return gsd::test::reference_server_detail::WriteWholeFile(folder + "\\catalogue.txt", catalogue);
}

int ServerRow(HWND list, const std::string& fileName)
{
    for (int row = 0; row < ListRowCount(list); ++row) {
        if (ListCell(list, row, FileNameColumn) == fileName) {
            return row;
        }
    }
    return -1;
}

// Answers the next message box of the program with `button`; false when
// none came within ten minutes.
bool Answer(DWORD pid, int button, std::string& said)
{
    const auto box = FindMessageBox(pid, milliseconds(600000));
    if (!box) {
        return false;
    }
    said = box->text;
    return Press(*box, button);
}

bool RunPass(DWORD pid, HWND dialog, HWND list, Probe& probe)
{
    bool first = true;
    for (int n = 0; n <= PackCount; ++n) {
        const std::string name = n == 0 ? "GameSetup" : "Bench" + std::to_string(n);
        const int row = ServerRow(list, name);
        if (row < 0 || !ClickRow(list, row, !first)) {
            std::fprintf(stderr, "bench_responsiveness: cannot select %s\n", name.c_str());
            return false;
        }
        first = false;
    }
    std::string said;
    probe.Enter(Pass);
    if (!Click(dialog, DownloadButton) || !Answer(pid, IDYES, said)) {
        std::fprintf(stderr, "bench_responsiveness: the download did not start\n");
        return false;
    }
    // Every box until the question whether to start the game, which ends
    // the pass: acknowledged, and printed when it reports a failure.
    for (;;) {
        const auto box = FindMessageBox(pid, milliseconds(600000));
        if (!box) {
            std::fprintf(stderr, "bench_responsiveness: the pass did not end within ten minutes\n");
            return false;
        }
        const bool last = box->text.find("Start ") == 0;
        if (box->text != "All selected items have been processed." && !last) {
            std::fprintf(stderr, "  (box during the pass: %s: %s)\n", box->caption.c_str(), box->text.c_str());
        }
        Press(*box, last ? IDNO : IDOK);
        if (last) {
            return true;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    int hold = 3;
    int installedPacks = 0;
    for (int arg = 1; arg + 1 < argc; arg += 2) {
        const std::string option = argv[arg];
        const int value = std::max(0, std::atoi(argv[arg + 1]));
        if (option == "--hold") {
            hold = value;
        } else if (option == "--installed-packs") {
            installedPacks = std::min(value, 100 - PackCount);
        }
    }
    // A run before this one, in the same prefix, installed its packs in
    // another game folder: their records would name them missing here.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Quil Studios\\Rubbleton Gravelpit\\Installed Media Files");
    GameFolder game;
    CopyDemoMedia(game);
    // More packs in the game folder make every reading of the media folder
    // longer: the start-up's and each refresh of the left list. The first
    // ones are offered by the server (a pack installed is not offered).
    for (int n = PackCount + 1; n <= PackCount + installedPacks; ++n) {
        const std::string name = "BenchPack" + std::to_string(n) + ".mdc";
        game.CopyIn(BinFolder() + "..\\bench-media\\" + name, "Media\\" + name);
    }
    const std::string content = game.Path() + "-content";
    if (!MakeContent(content)) {
        return 1;
    }
    gsd::test::ReferenceServerOptions options;
    options.contentDir = content;
    const std::string delay = "delay=" + std::to_string(hold);
    options.faults = { "check:" + delay, "auth:" + delay, "list:" + delay };
    gsd::test::ReferenceServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "bench_responsiveness: %s\n", server.Error().c_str());
        return 1;
    }
    std::printf("Answers to WM_NULL from another process, every %lu ms to each visible window of the program\n"
                "(%lu ms when no answer came), %d-bit build, reference server on loopback, %d more packs installed\n\n",
        static_cast<unsigned long>(ProbeIntervalMs), static_cast<unsigned long>(ProbeLimitMs),
        static_cast<int>(sizeof(void*) * 8), installedPacks);
    bool passed = false;
    std::vector<double> answers[StageCount];
    std::map<std::string, std::vector<double>> byStatus;
    {
        ProgramRun run(game, { { "GSD_INSTALLER_SECONDS", "2" } });
        Probe probe(run.Pid());
        probe.Enter(StartUp);
        HWND dialog = WaitForWindow(run.Pid(), MainCaption, milliseconds(300000));
        HWND list = dialog != nullptr ? Control(dialog, ServerList) : nullptr;
        if (list == nullptr
            || !WaitUntil([&] { return ListRowCount(list) > PackCount && IsEnabled(dialog, DownloadButton); },
                milliseconds(300000))) {
            std::fprintf(stderr, "bench_responsiveness: the main dialog did not fill its server list\n");
        } else {
            probe.Pause();
            server.SetFaults({});
            passed = RunPass(run.Pid(), dialog, list, probe);
        }
        probe.Pause();
        for (int stage = 0; stage < StageCount; ++stage) {
            answers[stage] = probe.Answers(static_cast<Stage>(stage));
        }
        byStatus = probe.AnswersByStatus();
        if (dialog != nullptr) {
            Close(dialog);
        }
        run.WaitForExit(milliseconds(30000));
    }
    std::printf("%-44s %8s %9s %9s %8s\n", "stage", "answers", "longest", "median", ">100ms");
    std::vector<double> all;
    for (int stage = 0; stage < StageCount; ++stage) {
        PrintRow(StageNames[stage], Summarise(answers[stage]));
        all.insert(all.end(), answers[stage].begin(), answers[stage].end());
    }
    PrintRow("overall", Summarise(all));
    std::printf("%-44s %8s %9s %9s\n", "goal", "", "100.0", "20.0");
    std::printf("\n%-44s %8s %9s %9s %8s\n", "by what the status dialog said", "answers", "longest", "median",
        ">100ms");
    for (const auto& [status, times] : byStatus) {
        PrintRow(status, Summarise(times));
    }
    SHFILEOPSTRUCTA remove {};
    std::string from = content + std::string(1, '\0');
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationA(&remove);
    return passed ? 0 : 1;
}

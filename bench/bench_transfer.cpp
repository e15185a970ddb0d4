// Measures fetching one item from the reference server on loopback under
// Wine, side by side in one run against one server: a bare WinINet read loop
// with 1 KB reads writing to a file (what the program's transfer does at
// least), the same with 64 KB reads, and curl on the host. Items are
// synthetic payloads of 10 MB, 200 MB and 1 GB made on the fly by the server.
// Every reader runs as a process of its own, so that its peak working set
// can be measured from outside, the same way for the program's own transfer.
//
// A program that prints figures, not a test. Run it through the test rig's
// Wine wrapper so that the test CA is trusted:
//   tests/wine/wine-run build/windows/bin/bench_transfer.exe [--runs 3] [--sizes 10M,200M,1G]
// The program's transfer, as the measuring run starts it:
//   bench_transfer.exe --child-program URL ITEM_LINE WORK_FOLDER
// One bare read loop, as the measuring run starts it:
//   bench_transfer.exe --child-read CHUNK URL BODY_FILE OUT_FILE [--flush]
// prints "BYTES SECONDS" (the bytes received and the exchange's seconds).

#include <windows.h>
#include <wininet.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BareExchange.h"
#include "bench/ProgramTransfer.h"
#include "platform/Handles.h"
#include "protocol/ActionMessage.h"
#include "protocol/ActionRequestBody.h"
#include "protocol/ServerEndpoint.h"
#include "tests/support/ReferenceServer.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace detail = gsd::test::reference_server_detail;

constexpr double MiB = 1024.0 * 1024.0;
constexpr DWORD SamplingMilliseconds = 10;
constexpr DWORD CurlTimeoutMilliseconds = 30 * 60 * 1000;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

// One bare read loop: the file request sent as the program sends it, the
// reply written to OUT_FILE in reads of at most `chunk` bytes.
int ChildRead(DWORD chunk, const std::string& url, const std::string& bodyFile, const std::string& outFile, bool flush)
{
    std::string body;
    if (chunk == 0 || !detail::ReadWholeFile(bodyFile, body)) {
        std::fprintf(stderr, "bench_transfer: bad chunk size or body file %s\n", bodyFile.c_str());
        return 2;
    }
    const gsd::unique_file out(
        CreateFileA(outFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        std::fprintf(stderr, "bench_transfer: cannot create %s\n", outFile.c_str());
        return 2;
    }
    std::vector<char> buffer(chunk);
    std::uint64_t total = 0;
    const auto start = Clock::now();
    gsd::bench::BareRequest opened;
    const bool ok = gsd::bench::OpenBareRequest(url, gsd::BodyRequestOpenFlags, &body, opened)
        && gsd::bench::ReadToEnd(opened.request.get(), buffer.data(), chunk, [&](const char* bytes, DWORD size) {
               DWORD written = 0;
               total += size;
               return WriteFile(out.get(), bytes, size, &written, nullptr) && written == size;
           })
        && (!flush || FlushFileBuffers(out.get()));
    const double seconds = SecondsSince(start);
    if (!ok) {
        std::fprintf(stderr, "bench_transfer: transfer failed (error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("%" PRIu64 " %.6f\n", total, seconds);
    return 0;
}

// What one run of a reader gave.
struct Measurement {
    bool ok = false;
    std::string error;
    double wallSeconds = 0; // process start to end
    double transferSeconds = 0; // as the reader reports it; 0 when it cannot tell
    std::uint64_t bytes = 0; // received, as the reader reports it
    std::uint64_t peakWorkingSet = 0; // bytes; 0 when unknown
    std::string output; // the reader's standard output
};

// Runs a Windows program to its end, sampling its peak working set
// (PeakWorkingSetSize) every 10 ms while it runs and once after it ended,
// and collecting its standard output. `ok` says it ran and exited with 0.
Measurement MeasureChild(const std::string& commandLine)
{
    Measurement measured;
    SECURITY_ATTRIBUTES inheritable { sizeof inheritable, nullptr, TRUE };
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        measured.error = "no pipe";
        return measured;
    }
    const gsd::unique_handle outputPipe(readEnd);
    gsd::unique_handle childOutput(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = childOutput.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started {};
    std::string line = commandLine;
    const auto start = Clock::now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
        measured.error = "cannot start " + commandLine;
        return measured;
    }
    const gsd::unique_handle process(started.hProcess);
    CloseHandle(started.hThread);
    childOutput.reset();
    const auto sample = [&] {
        PROCESS_MEMORY_COUNTERS counters {};
        if (GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) {
            measured.peakWorkingSet = std::max<std::uint64_t>(measured.peakWorkingSet, counters.PeakWorkingSetSize);
        }
    };
    // Drained while the child runs, so a talkative child never blocks on a full pipe.
    const auto drain = [&] {
        DWORD available = 0;
        while (PeekNamedPipe(outputPipe.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string piece(available, '\0');
            DWORD read = 0;
            if (!ReadFile(outputPipe.get(), piece.data(), available, &read, nullptr) || read == 0) {
                return;
            }
            measured.output.append(piece, 0, read);
        }
    };
    while (WaitForSingleObject(process.get(), SamplingMilliseconds) == WAIT_TIMEOUT) {
        sample();
        drain();
    }
    measured.wallSeconds = SecondsSince(start);
    sample();
    drain();
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    measured.ok = code == 0;
    if (!measured.ok) {
        measured.error = "exit code " + std::to_string(code) + " from " + commandLine;
    }
    return measured;
}

// One item of the run: a synthetic payload and its file request.
struct Item {
    std::string size; // as the server's .bytes file holds it: "200M"
    std::uint64_t bytes = 0;
    std::string line; // its download-list line
    std::string bodyFile; // the file request's body, for the readers
};

std::uint64_t SizeInBytes(const std::string& text)
{
    const std::uint64_t number = std::strtoull(text.c_str(), nullptr, 10);
    switch (text.empty() ? '\0' : text.back()) {
    case 'K':
        return number << 10;
    case 'M':
        return number << 20;
    case 'G':
        return number << 30;
    default:
        return number;
    }
}

// A folder of this run's own in the Windows temporary folder, removed with
// what the readers left in it.
struct WorkFolder {
    std::string path;

    WorkFolder()
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "gsd-bench-transfer-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path.c_str(), nullptr);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    ~WorkFolder()
    {
        WIN32_FIND_DATAA found {};
        const gsd::unique_hfind search(FindFirstFileA((path + "\\*").c_str(), &found));
        if (search) {
            do {
                DeleteFileA((path + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(search.get(), &found));
        }
        RemoveDirectoryA(path.c_str());
    }
};

// This program started in one of its child modes (`arguments`), which
// print "BYTES SECONDS".
Measurement MeasureChildMode(const std::string& arguments)
{
    Measurement measured = MeasureChild(gsd::test::QuoteArgument(ProgramPath()) + " " + arguments);
    std::istringstream(measured.output) >> measured.bytes >> measured.transferSeconds;
    return measured;
}

Measurement MeasureBareLoop(
    DWORD chunk, const Item& item, const std::string& url, const std::string& outFile, bool flush = false)
{
    Measurement measured = MeasureChildMode("--child-read " + std::to_string(chunk) + " "
        + gsd::test::QuoteArgument(url) + " " + gsd::test::QuoteArgument(item.bodyFile) + " "
        + gsd::test::QuoteArgument(outFile) + (flush ? " --flush" : ""));
    DeleteFileA(outFile.c_str());
    return measured;
}

// curl on the host, through a small Python wrapper that times it and takes
// its peak resident set (Wine can start a native program but not wait for
// it). The wrapper's result file is polled for.
Measurement MeasureCurl(const Item& item, const std::string& url, const std::string& workFolder)
{
    static int runs = 0;
    const std::string result = workFolder + "\\curl-" + std::to_string(++runs) + ".result";
    const std::string outFile = workFolder + "\\curl.out";
    const std::vector<std::string> command = { gsd::test::EnvironmentOr("GSD_PYTHON", "/usr/bin/python3"),
        gsd::test::SourceDir() + "/bench/time_unix_program.py", gsd::test::UnixPath(result), "/usr/bin/curl",
        "--silent", "--show-error", "--cacert", gsd::test::TestStateDir() + "/test-ca/ca.pem", "--request", "GET",
        "--header", std::string(gsd::FormBodyHeader), "--data-binary", "@" + gsd::test::UnixPath(item.bodyFile),
        "--output", gsd::test::UnixPath(outFile), "--write-out", "%{size_download} %{time_total}", url };
    Measurement measured;
    if (!gsd::test::StartUnixProgram(command)) {
        measured.error = "Wine could not start " + command[0];
        return measured;
    }
    if (!detail::WaitFor([&] { return detail::FileExists(result); }, CurlTimeoutMilliseconds)) {
        measured.error = "curl did not finish";
        return measured;
    }
    std::string text;
    detail::ReadWholeFile(result, text);
    DeleteFileA(result.c_str());
    DeleteFileA(outFile.c_str());
    int code = -1;
    std::istringstream(text) >> code >> measured.wallSeconds >> measured.peakWorkingSet >> measured.bytes
        >> measured.transferSeconds;
    measured.ok = code == 0;
    if (!measured.ok) {
        measured.error = "curl failed: " + text;
    }
    return measured;
}

// A reader measured for every item: a label and how one run of it goes.
struct Reader {
    std::string label;
    std::function<Measurement(const Item&)> measure;
};

// Best of `runs` (shortest transfer, largest peak), printed as one row;
// false when a run failed or received other than the item's size.
bool MeasureAndPrint(const Reader& reader, const Item& item, int runs)
{
    Measurement best;
    std::uint64_t peak = 0;
    for (int run = 0; run < runs; ++run) {
        Measurement measured = reader.measure(item);
        if (!measured.ok || measured.bytes != item.bytes) {
            std::fprintf(stderr, "bench_transfer: %s, %s item: %s (received %" PRIu64 " of %" PRIu64 " bytes)\n",
                reader.label.c_str(), item.size.c_str(), measured.error.c_str(), measured.bytes, item.bytes);
            return false;
        }
        if (measured.transferSeconds <= 0) { // a reader that cannot tell: its whole run
            measured.transferSeconds = measured.wallSeconds;
        }
        peak = std::max(peak, measured.peakWorkingSet);
        if (run == 0 || measured.transferSeconds < best.transferSeconds) {
            best = measured;
        }
    }
    const std::string peakText = peak == 0 ? "-" : std::to_string(static_cast<int>(peak / MiB + 0.5)) + " MB";
    std::printf("  %-34s %8.3f %10.3f %9.1f %10s\n", reader.label.c_str(), best.wallSeconds, best.transferSeconds,
        static_cast<double>(item.bytes) / MiB / best.transferSeconds, peakText.c_str());
    return true;
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        parts.push_back(part);
    }
    return parts;
}

int Measure(int runs, const std::vector<std::string>& sizes)
{
    WorkFolder work;
    gsd::test::ReferenceServerOptions options;
    std::vector<Item> items;
    for (const std::string& size : sizes) {
        Item item { size, SizeInBytes(size),
            "3|Transfer " + size + "|Transfer" + size + "|Quil Studios|A synthetic payload.||1|0|0|1",
            work.path + "\\request-" + size + ".body" };
        options.catalogue.push_back(item.line);
        options.files.push_back({ "Transfer" + size + ".bytes", size + "\n" });
        if (!detail::WriteWholeFile(item.bodyFile, gsd::FileRequestBody(gsd::BuildFileRequestMessage(item.line)))) {
            std::fprintf(stderr, "bench_transfer: cannot write %s\n", item.bodyFile.c_str());
            return 1;
        }
        items.push_back(item);
    }
    gsd::test::ReferenceServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "bench_transfer: %s\n", server.Error().c_str());
        return 1;
    }
    const std::string url = server.Url();
    const std::string bareOut = work.path + "\\bare.out";
    std::vector<Reader> readers {
        { "bare WinINet, 1 KB reads", [&](const Item& item) { return MeasureBareLoop(1024, item, url, bareOut); } },
        // The program flushes the file to disk before it takes the place of
        // the installed one; this loop does the same at its end.
        { "bare WinINet, 1 KB reads, flushed",
            [&](const Item& item) { return MeasureBareLoop(1024, item, url, bareOut, true); } },
        { "bare WinINet, 64 KB reads", [&](const Item& item) { return MeasureBareLoop(65536, item, url, bareOut); } },
        { "curl on the host", [&](const Item& item) { return MeasureCurl(item, url, work.path); } },
    };

    // The program's own transfer first: the core's FetchAndInstallItem on
    // the program's adapters, the installed file's size as its bytes.
    readers.insert(readers.begin(), { "the program (FetchAndInstallItem)", [&](const Item& item) {
        return MeasureChildMode("--child-program " + gsd::test::QuoteArgument(url) + " "
            + gsd::test::QuoteArgument(item.line) + " " + gsd::test::QuoteArgument(work.path));
    } });

    std::printf("Fetching one synthetic item from the reference server on loopback (TLS), writing it to a file;\n"
                "best of %d runs (shortest transfer), peak working set the largest of the runs.\n"
                "transfer s: the exchange as the reader times it; wall s: its process from start to end.\n"
                "curl's peak is its resident set on the host.\n",
        runs);
    for (const Item& item : items) {
        std::printf("\n%s item (%" PRIu64 " bytes)\n", item.size.c_str(), item.bytes);
        std::printf("  %-34s %8s %10s %9s %10s\n", "", "wall s", "transfer s", "MB/s", "peak WS");
        for (const Reader& reader : readers) {
            if (!MeasureAndPrint(reader, item, runs)) {
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 4 && arguments[0] == "--child-program") {
        return gsd::bench::ChildProgramTransfer(arguments[1], arguments[2], arguments[3]);
    }
    if ((arguments.size() == 5 || arguments.size() == 6) && arguments[0] == "--child-read") {
        return ChildRead(static_cast<DWORD>(std::strtoul(arguments[1].c_str(), nullptr, 10)), arguments[2],
            arguments[3], arguments[4], arguments.size() == 6 && arguments[5] == "--flush");
    }
    int runs = 3;
    std::vector<std::string> sizes { "10M", "200M", "1G" };
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        if (i + 1 < arguments.size() && arguments[i] == "--runs") {
            runs = std::max(1, std::atoi(arguments[i + 1].c_str()));
        } else if (i + 1 < arguments.size() && arguments[i] == "--sizes") {
            sizes = SplitList(arguments[i + 1]);
        } else {
            std::fprintf(stderr, "usage: bench_transfer [--runs 3] [--sizes 10M,200M,1G]\n");
            return 2;
        }
    }
    return Measure(runs, sizes);
}

// Measures fetching one item from the reference server on loopback under
// Wine, side by side in one run against one server: the program's own
// transfer, a bare WinINet read loop with 1 KB reads writing to a file (what
// the program's transfer does at least), the same loop finishing its file as
// the program does (flushed, closed, moved into place), the loop with 64 KB
// reads, and curl on the host. Items are synthetic payloads (by default of
// 10 MB and 200 MB) made on the fly by the server. Every reader is timed
// twice: by the server, from the file request's arrival to its last byte
// sent, which is the same clock for every reader, and by itself, end to end.
// Every reader runs as a process of its own, so that its peak working set
// can be measured from outside, the same way for the program's own transfer.
//
// A program that prints figures, not a test. Run it through the test rig's
// Wine wrapper so that the test CA is trusted:
//   tests/wine/wine-run build/windows/bin/bench_transfer.exe [--runs 3] [--sizes 10M,200M]
// The program's transfer, as the measuring run starts it:
//   bench_transfer.exe --child-program URL ITEM_LINE WORK_FOLDER
// One bare read loop, as the measuring run starts it:
//   bench_transfer.exe --child-read CHUNK URL BODY_FILE OUT_FILE [--flush-move]
// prints "BYTES SECONDS" (the bytes received and the exchange's seconds).
// The command line is read wide, so the files it names may lie below a
// folder of any name.

#include <windows.h>
#include <wininet.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
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
#include "tests/support/WideArguments.h"

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
// reply written to OUT_FILE in reads of at most `chunk` bytes. With
// `finish`, the file is then flushed, closed and moved in place of
// OUT_FILE.moved as the program installs what it received, inside the time.
// The files are named in UTF-8.
int ChildRead(DWORD chunk, const std::string& url, const std::string& bodyFile, const std::string& outFile, bool finish)
{
    std::ifstream bodyStream(gsd::test::WidenedUtf8(bodyFile).c_str(), std::ios::binary);
    const std::string body { std::istreambuf_iterator<char>(bodyStream), std::istreambuf_iterator<char>() };
    if (chunk == 0 || !bodyStream.is_open() || body.empty()) {
        std::fprintf(stderr, "bench_transfer: bad chunk size or body file %s\n", bodyFile.c_str());
        return 2;
    }
    const std::wstring outPath = gsd::test::WidenedUtf8(outFile);
    gsd::unique_file out(CreateFileW(
        outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
        && (!finish
            || (FlushFileBuffers(out.get()) && CloseHandle(out.release())
                && MoveFileExW(outPath.c_str(), (outPath + L".moved").c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)));
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
    double serverSeconds = 0; // the file request at the server, arrival to last byte sent
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
        measured.error = "cannot start (error " + std::to_string(GetLastError()) + ") " + commandLine;
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
    DWORD chunk, const Item& item, const std::string& url, const std::string& outFile, bool finish = false)
{
    Measurement measured = MeasureChildMode("--child-read " + std::to_string(chunk) + " "
        + gsd::test::QuoteArgument(url) + " " + gsd::test::QuoteArgument(item.bodyFile) + " "
        + gsd::test::QuoteArgument(outFile) + (finish ? " --flush-move" : ""));
    DeleteFileA(outFile.c_str());
    DeleteFileA((outFile + ".moved").c_str());
    return measured;
}

// The server's timings file (--log-timings): one JSON line per reply sent.
class ServerTimings {
public:
    explicit ServerTimings(std::string path)
        : path_(std::move(path))
    {
    }

    const std::string& Path() const { return path_; }

    // The seconds of the latest file reply of `bytes` bytes logged since the
    // previous call, waiting a moment for the server to log it (the reader
    // may see the last byte before the server has written its line); 0 when
    // there is none.
    double TakeFileReply(std::uint64_t bytes)
    {
        double seconds = 0;
        detail::WaitFor(
            [&] {
                std::string text;
                detail::ReadWholeFile(path_, text);
                for (std::size_t at = seen_; at < text.size();) {
                    const std::size_t end = std::min(text.find('\n', at), text.size());
                    const std::string line = text.substr(at, end - at);
                    if (end < text.size() && line.find("\"kind\": \"file\"") != std::string::npos
                        && Number(line, "sent") == static_cast<double>(bytes)) {
                        seconds = Number(line, "seconds");
                    }
                    if (end < text.size()) {
                        seen_ = end + 1;
                    }
                    at = end + 1;
                }
                return seconds > 0;
            },
            2000);
        return seconds;
    }

private:
    static double Number(const std::string& line, const std::string& key)
    {
        const std::size_t at = line.find("\"" + key + "\": ");
        return at == std::string::npos ? -1 : std::strtod(line.c_str() + at + key.size() + 4, nullptr);
    }

    std::string path_;
    std::size_t seen_ = 0;
};

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

// The median of the runs' figures, and the largest peak.
struct Figures {
    double wallSeconds = 0;
    double transferSeconds = 0;
    double serverSeconds = 0;
    std::uint64_t peakWorkingSet = 0;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Figures MedianOf(const std::vector<Measurement>& runs)
{
    Figures figures;
    std::vector<double> wall;
    std::vector<double> transfer;
    std::vector<double> server;
    for (const Measurement& run : runs) {
        wall.push_back(run.wallSeconds);
        // A reader that cannot tell: its whole run.
        transfer.push_back(run.transferSeconds > 0 ? run.transferSeconds : run.wallSeconds);
        server.push_back(run.serverSeconds);
        figures.peakWorkingSet = std::max(figures.peakWorkingSet, run.peakWorkingSet);
    }
    figures.wallSeconds = Median(wall);
    figures.transferSeconds = Median(transfer);
    figures.serverSeconds = Median(server);
    return figures;
}

void PrintRow(const std::string& label, const Figures& figures, std::uint64_t bytes)
{
    const std::string peakText = figures.peakWorkingSet == 0
        ? "-"
        : std::to_string(static_cast<int>(static_cast<double>(figures.peakWorkingSet) / MiB + 0.5)) + " MB";
    std::printf("  %-36s %9.3f %12.3f %8.3f %8.1f %8s\n", label.c_str(), figures.serverSeconds,
        figures.transferSeconds, figures.wallSeconds,
        figures.serverSeconds > 0 ? static_cast<double>(bytes) / MiB / figures.serverSeconds : 0.0, peakText.c_str());
}

// How many times as fast as `floor` the program is (above 1: faster).
double Speed(double program, double floor)
{
    return program > 0 ? floor / program : 0;
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
    ServerTimings timings(work.path + "\\timings.jsonl");
    options.extraArguments = { "--log-timings", gsd::test::UnixPath(timings.Path()) };
    gsd::test::ReferenceServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "bench_transfer: %s\n", server.Error().c_str());
        return 1;
    }
    const std::string url = server.Url();
    const std::string bareOut = work.path + "\\bare.out";
    // The five figures, in this order.
    enum { Program, Bare1K, Bare1KFinished, Bare64K, Curl };
    const std::vector<Reader> readers {
        // The core's FetchAndInstallItem on the program's adapters, the
        // installed file's size as its bytes.
        { "the program (FetchAndInstallItem)",
            [&](const Item& item) {
                return MeasureChildMode("--child-program " + gsd::test::QuoteArgument(url) + " "
                    + gsd::test::QuoteArgument(item.line) + " " + gsd::test::QuoteArgument(work.path));
            } },
        { "bare WinINet, 1 KB reads", [&](const Item& item) { return MeasureBareLoop(1024, item, url, bareOut); } },
        // The program flushes the file to disk before it moves it in place
        // of the installed one; this loop does the same at its end.
        { "bare WinINet, 1 KB, flush and move",
            [&](const Item& item) { return MeasureBareLoop(1024, item, url, bareOut, true); } },
        { "bare WinINet, 64 KB reads", [&](const Item& item) { return MeasureBareLoop(65536, item, url, bareOut); } },
        { "curl on the host", [&](const Item& item) { return MeasureCurl(item, url, work.path); } },
    };

    std::printf("Fetching one synthetic item from the reference server on loopback (TLS), writing it to a file;\n"
                "medians of %d runs, the readers taking turns within each run; peak working set the largest.\n"
                "server s: the file request at the server, from its arrival to its last byte sent;\n"
                "end-to-end s: the reader's own time of the exchange (the program's: the whole fetch and\n"
                "install, without the 500 ms pause after a good reply); wall s: its process from start to end.\n"
                "curl's peak is its resident set on the host.\n",
        runs);
    for (const Item& item : items) {
        std::vector<std::vector<Measurement>> measured(readers.size());
        for (int run = 0; run < runs; ++run) {
            for (std::size_t reader = 0; reader < readers.size(); ++reader) {
                Measurement one = readers[reader].measure(item);
                if (!one.ok || one.bytes != item.bytes) {
                    std::fprintf(stderr, "bench_transfer: %s, %s item: %s (received %" PRIu64 " of %" PRIu64 " bytes)\n",
                        readers[reader].label.c_str(), item.size.c_str(), one.error.c_str(), one.bytes, item.bytes);
                    return 1;
                }
                one.serverSeconds = timings.TakeFileReply(item.bytes);
                measured[reader].push_back(one);
            }
        }
        std::vector<Figures> figures;
        for (const std::vector<Measurement>& runsOfReader : measured) {
            figures.push_back(MedianOf(runsOfReader));
        }
        std::printf("\n%s item (%" PRIu64 " bytes)\n", item.size.c_str(), item.bytes);
        std::printf(
            "  %-36s %9s %12s %8s %8s %8s\n", "", "server s", "end-to-end s", "wall s", "MB/s", "peak WS");
        for (std::size_t reader = 0; reader < readers.size(); ++reader) {
            PrintRow(readers[reader].label, figures[reader], item.bytes);
        }
        std::printf("  the program against the bare 1 KB loop, at the server:          %.2fx\n",
            Speed(figures[Program].serverSeconds, figures[Bare1K].serverSeconds));
        std::printf("  the program against the flush-and-move loop, end to end:        %.2fx\n",
            Speed(figures[Program].transferSeconds, figures[Bare1KFinished].transferSeconds));
    }
    return 0;
}

} // namespace

int main()
{
    const std::vector<std::string> arguments = gsd::test::Utf8Arguments();
    if (arguments.size() == 4 && arguments[0] == "--child-program") {
        return gsd::bench::ChildProgramTransfer(arguments[1], arguments[2], arguments[3]);
    }
    if ((arguments.size() == 5 || arguments.size() == 6) && arguments[0] == "--child-read") {
        return ChildRead(static_cast<DWORD>(std::strtoul(arguments[1].c_str(), nullptr, 10)), arguments[2],
            arguments[3], arguments[4], arguments.size() == 6 && arguments[5] == "--flush-move");
    }
    int runs = 3;
    std::vector<std::string> sizes { "10M", "200M" };
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        if (i + 1 < arguments.size() && arguments[i] == "--runs") {
            runs = std::max(1, std::atoi(arguments[i + 1].c_str()));
        } else if (i + 1 < arguments.size() && arguments[i] == "--sizes") {
            sizes = SplitList(arguments[i + 1]);
        } else {
            std::fprintf(stderr, "usage: bench_transfer [--runs 3] [--sizes 10M,200M]\n");
            return 2;
        }
    }
    return Measure(runs, sizes);
}

// How fast "Verify game files..." reads: the program's own digest of every
// media file of a game folder (the system's SHA-256, several files read at
// once on workers while the calling thread handles its messages), timed per
// run, to compare with `sha256sum` over the same files on the host:
//   bench_verify.exe <game folder> [--runs 3]
// Prints the bytes, the median time and the rate, and every file's digest,
// so the host's figures can be checked against the same bytes.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "download/InstalledMediaRecords.h"
#include "platform/Win32InstalledFiles.h"
#include "platform/Win32MessagePump.h"

namespace {

std::vector<std::string> MediaFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found {};
    HANDLE search = ::FindFirstFileA("Media\\*.mdc", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !::SetCurrentDirectoryA(argv[1])) {
        std::fprintf(stderr, "usage: bench_verify <game folder> [--runs N]\n");
        return 2;
    }
    int runs = 3;
    if (argc >= 4 && std::strcmp(argv[2], "--runs") == 0) {
        runs = std::max(1, std::atoi(argv[3]));
    }
    gsd::Win32MessagePump pump;
    gsd::Win32InstalledFiles files(pump);
    const std::vector<std::string> names = MediaFiles();
    std::vector<std::string> paths;
    std::uint64_t bytes = 0;
    for (const std::string& name : names) {
        paths.push_back("Media\\" + name);
        bytes += files.Look(paths.back()).facts.size;
    }
    std::vector<double> seconds;
    std::vector<std::string> digests;
    for (int run = 0; run < runs; ++run) {
        digests.clear();
        const auto start = std::chrono::steady_clock::now();
        const std::vector<std::optional<gsd::FileDigest>> read = files.Digests(paths, nullptr);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        for (std::size_t index = 0; index < names.size(); ++index) {
            digests.push_back(gsd::DigestHex(read[index].value_or(gsd::FileDigest {})) + "  " + names[index]);
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    for (const std::string& line : digests) {
        std::printf("%s\n", line.c_str());
    }
    std::printf("files %zu, bytes %llu, runs %d, median %.3f s (least %.3f, most %.3f), %.1f MB/s\n", names.size(),
        static_cast<unsigned long long>(bytes), runs, median, seconds.front(), seconds.back(),
        static_cast<double>(bytes) / 1e6 / median);
    return 0;
}

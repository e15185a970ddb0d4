// Measures the start-up's reading of the local media: the three inventory
// reports (BuildInventoryReport) and the catalogue rows (ReadCatalogue), for
// Media folders of 10, 100 and 1000 object packs whose payload is 1 KB or
// 200 MB. The packs are made in a temporary folder, which is deleted at the
// end.
//
// The reading should grow with the number of packs only: opening a pack
// reads its header and index, a text read reads that text, and no payload
// byte is ever read. Besides the times the program prints the file bytes
// read per opened file, which show that directly.
//
// 200 MB packs are expensive to write, so at most ten distinct ones are made
// per size; larger folders hold further names (hard links) of the same
// files. Every name is opened and read like a file of its own.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "MdcMediaEngine.h"
#include "SilentWindow.h"
#include "catalogue/Catalogue.h"
#include "catalogue/InventoryReport.h"
#include "tool/Manifest.h"
#include "tool/Pack.h"

namespace fs = std::filesystem;
using namespace gsd;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    std::vector<int> packCounts { 10, 100, 1000 };
    std::vector<std::uint64_t> payloads { 1024, 200ULL * 1024 * 1024 };
    int repeat = 5;
};

// Payloads up to this size get one distinct file per pack.
constexpr std::uint64_t DistinctPayloadLimit = 1024 * 1024;
constexpr int DistinctLargePacks = 10;

// Removes the folder tree when the benchmark ends, however it ends.
struct TemporaryFolder {
    fs::path path;
    ~TemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 == argc) {
            throw std::runtime_error(name + " needs a value");
        }
        const std::string value = argv[++i];
        if (name == "--packs") {
            options.packCounts.clear();
            for (const std::string& item : SplitList(value)) {
                options.packCounts.push_back(std::stoi(item));
            }
        } else if (name == "--payloads") {
            options.payloads.clear();
            for (const std::string& item : SplitList(value)) {
                const auto bytes = mdc::tool::parseByteCount(item);
                if (!bytes) {
                    throw std::runtime_error("bad payload size " + item);
                }
                options.payloads.push_back(*bytes);
            }
        } else if (name == "--repeat") {
            options.repeat = std::max(1, std::stoi(value));
        } else {
            throw std::runtime_error(
                "unknown option " + name + " (use --packs 10,100,1000 --payloads 1K,200M --repeat 5)");
        }
    }
    return options;
}

void Pack(const fs::path& folder, const std::string& name, const std::string& manifest, std::uint64_t payload = 0)
{
    const fs::path manifestPath = folder / (name + ".manifest");
    std::ofstream(manifestPath, std::ios::binary) << manifest;
    mdc::tool::PackOptions options;
    if (payload > 0) {
        options.payloadSize = payload;
    }
    const mdc::tool::PackResult result
        = mdc::tool::packManifest(manifestPath.string(), (folder / (name + ".mdc")).string(), options);
    if (result.exitCode != mdc::tool::kExitOk) {
        throw std::runtime_error("packing " + name + ": " + result.message);
    }
    fs::remove(manifestPath);
}

std::string PackManifest(int number)
{
    const std::string n = std::to_string(number);
    return "txt * Gravelpit Objects = 1\n"
           "txt * Gravelpit Version = 1|0|"
        + n
        + "\n"
          "txt * Gravelpit Languages Available = 1|1|0|1\n"
          "txt * Gravelpit Object Pack Title = Bench Pack "
        + n
        + "\n"
          "txt Francais Gravelpit Object Pack Title = Pack d'essai "
        + n
        + "\n"
          "txt * Gravelpit Object Pack Author = Bench\n"
          "txt * Gravelpit Object Pack Description = A pack made to be measured.\n";
}

void MakeCommonFiles(const fs::path& folder)
{
    Pack(folder, "Version", "txt * Gravelpit Version = 1|0|3\n");
    Pack(folder, "Language",
        "txt * Gravelpit Version = 1|2|0\n"
        "txt * Gravelpit Languages = |English|Francais\n"
        "txt * Gravelpit Languages Available = 1|1\n");
}

std::string SizeText(std::uint64_t bytes)
{
    char text[32];
    if (bytes >= 1024ULL * 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / (1024.0 * 1024 * 1024));
    } else if (bytes >= 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / (1024.0 * 1024));
    } else {
        std::snprintf(text, sizeof text, "%.0f KB", static_cast<double>(bytes) / 1024.0);
    }
    return text;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

struct Measurement {
    double reportMs = 0;
    double catalogueMs = 0;
    bench::ReadCounts reportCounts;
    bench::ReadCounts catalogueCounts;
};

Measurement Measure(const fs::path& media, int packs, int repeat)
{
    bench::MdcMediaEngine engine(media);
    bench::DirectoryMediaFolder folder(media);
    gsd::bench::SilentWindow window;
    std::vector<double> reportTimes;
    std::vector<double> catalogueTimes;
    Measurement measurement;
    // One run more than asked, the first to warm the caches.
    for (int run = 0; run <= repeat; ++run) {
        engine.counts = {};
        const Clock::time_point start = Clock::now();
        InstalledPacks packsRead;
        const InventoryReport report = BuildInventoryReport(engine, window, folder, 1, packsRead);
        const Clock::time_point reported = Clock::now();
        measurement.reportCounts = engine.counts;
        engine.counts = {};
        const Catalogue catalogue = ReadCatalogue(engine, window, folder, 1, "", &packsRead);
        const Clock::time_point read = Clock::now();
        measurement.catalogueCounts = engine.counts;
        if (report.PackReport.rfind(std::to_string(packs) + "|", 0) != 0
            || catalogue.PackRows.size() != static_cast<std::size_t>(packs)) {
            throw std::runtime_error("the reading did not find all " + std::to_string(packs) + " packs");
        }
        if (run > 0) {
            reportTimes.push_back(Milliseconds(reported - start));
            catalogueTimes.push_back(Milliseconds(read - reported));
        }
    }
    measurement.reportMs = Median(reportTimes);
    measurement.catalogueMs = Median(catalogueTimes);
    return measurement;
}

void Run(const Options& options)
{
    TemporaryFolder root { fs::temp_directory_path() / ("gsd-bench-" + std::to_string(::getpid())) };
    fs::create_directories(root.path / "common");
    MakeCommonFiles(root.path / "common");
    const int mostPacks = *std::max_element(options.packCounts.begin(), options.packCounts.end());

    std::printf("Start-up media reading, native, against the .mdc reader (median of %d runs)\n", options.repeat);
    std::printf("reports: BuildInventoryReport (3 reading passes: version, language, packs read once)\n");
    std::printf("catalogue: ReadCatalogue (2 reading passes: program, language; the packs' rows as read)\n");
    std::printf(
        "200 MB packs: at most %d distinct files, further packs are hard links to them\n\n", DistinctLargePacks);
    std::printf("%6s %8s %10s | %11s %12s %11s | %11s %13s\n", "packs", "payload", "media", "reports ms",
        "catalogue ms", "us per pack", "file opens", "bytes/open");
    for (const std::uint64_t payload : options.payloads) {
        const fs::path sizeFolder = root.path / ("payload-" + std::to_string(payload));
        const fs::path templates = sizeFolder / "templates";
        fs::create_directories(templates);
        const int distinct = payload <= DistinctPayloadLimit ? mostPacks : std::min(mostPacks, DistinctLargePacks);
        for (int i = 0; i < distinct; ++i) {
            Pack(templates, "Pack" + std::to_string(i), PackManifest(i), payload);
        }
        for (const int packs : options.packCounts) {
            const fs::path media = sizeFolder / ("game-" + std::to_string(packs)) / "Media";
            fs::create_directories(media);
            fs::copy_file(root.path / "common" / "Version.mdc", media / "Version.mdc");
            fs::copy_file(root.path / "common" / "Language.mdc", media / "Language.mdc");
            std::uint64_t mediaBytes = 0;
            for (int i = 0; i < packs; ++i) {
                const fs::path source = templates / ("Pack" + std::to_string(i % distinct) + ".mdc");
                fs::create_hard_link(source, media / ("Pack" + std::to_string(i) + ".mdc"));
                mediaBytes += fs::file_size(source);
            }
            const Measurement m = Measure(media, packs, options.repeat);
            const std::uint64_t opens = m.reportCounts.opens + m.catalogueCounts.opens;
            const std::uint64_t bytes = m.reportCounts.bytes + m.catalogueCounts.bytes;
            std::printf("%6d %8s %10s | %11.2f %12.2f %11.1f | %11llu %13.0f\n", packs, SizeText(payload).c_str(),
                SizeText(mediaBytes).c_str(), m.reportMs, m.catalogueMs, 1000.0 * (m.reportMs + m.catalogueMs) / packs,
                static_cast<unsigned long long>(opens), static_cast<double>(bytes) / static_cast<double>(opens));
            std::fflush(stdout);
            fs::remove_all(media.parent_path());
        }
        fs::remove_all(sizeFolder);
    }
}

} // namespace

int main(int argc, char** argv)
{
    try {
        Run(ParseOptions(argc, argv));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_catalogue: %s\n", error.what());
        return 1;
    }
}

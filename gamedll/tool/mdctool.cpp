// mdctool: packs, lists and extracts .mdc media packs.

#include "mdc/MdcReader.h"
#include "tool/Manifest.h"
#include "tool/Pack.h"
#include "tool/Utf8Path.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "tests/support/WideArguments.h"
#endif

namespace {

using namespace mdc;
using namespace mdc::tool;

constexpr const char* kUsage = "usage:\n"
                               "  mdctool pack [--payload-size BYTES] [--depfile FILE] OUT.mdc MANIFEST\n"
                               "  mdctool list FILE.mdc\n"
                               "  mdctool extract FILE.mdc TYPE NAME [LANGUAGE]\n";

int usage(const std::string& problem)
{
    std::cerr << "mdctool: " << problem << "\n" << kUsage;
    return kExitUsage;
}

int report(int code, const std::string& message)
{
    std::cerr << "mdctool: " << message << "\n";
    return code;
}

std::optional<MdcReader> openPack(const std::string& path, std::string& error)
{
    std::unique_ptr<FileSource> source = FileSource::open(pathOfUtf8(path));
    if (!source) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::optional<MdcReader> reader = MdcReader::open(std::move(source));
    if (!reader) {
        error = path + ": not a readable .mdc pack (truncated, corrupt or of an unknown version)";
    }
    return reader;
}

int pack(const std::vector<std::string>& args)
{
    PackOptions options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--payload-size" || args[i] == "--depfile") {
            if (i + 1 == args.size()) {
                return usage(args[i] + " needs a value");
            }
            const std::string& value = args[++i];
            if (args[i - 1] == "--depfile") {
                options.depfile = value;
                continue;
            }
            options.payloadSize = parseByteCount(value);
            if (!options.payloadSize) {
                return usage("bad --payload-size: " + value);
            }
        } else if (args[i].size() > 1 && args[i].rfind("--", 0) == 0) {
            return usage("unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        return usage("pack needs OUT.mdc and MANIFEST");
    }
    const PackResult result = packManifest(positional[1], positional[0], options);
    return result.exitCode == kExitOk ? kExitOk : report(result.exitCode, result.message);
}

int list(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        return usage("list needs FILE.mdc");
    }
    std::string error;
    const std::optional<MdcReader> reader = openPack(args[0], error);
    if (!reader) {
        return report(kExitBadInput, error);
    }
    for (const ResourceInfo& r : reader->resources()) {
        std::cout << r.key.type << '\t' << (r.key.language.empty() ? "*" : r.key.language) << '\t' << r.key.name << '\t'
                  << r.size << '\n';
    }
    std::cout.flush();
    return std::cout ? kExitOk : report(kExitOutput, "cannot write the listing");
}

int extract(const std::vector<std::string>& args)
{
    if (args.size() < 3 || args.size() > 4) {
        return usage("extract needs FILE.mdc, TYPE, NAME and optionally LANGUAGE");
    }
    const std::string language = args.size() == 4 && args[3] != "*" ? args[3] : std::string();
    std::string error;
    std::optional<MdcReader> reader = openPack(args[0], error);
    if (!reader) {
        return report(kExitBadInput, error);
    }
    const ResourceInfo* resource = reader->find(args[1], args[2], language);
    if (resource == nullptr) {
        return report(kExitNotFound,
            args[0] + ": no resource " + args[1] + " \"" + args[2] + "\" in "
                + (language.empty() ? "language-neutral" : "language " + language));
    }
#ifdef _WIN32
    // Payloads are bytes: no CR LF translation on the way out.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    bool writeFailed = false;
    const bool ok = reader->copyTo(*resource, [&writeFailed](const char* data, std::size_t n) {
        writeFailed = std::fwrite(data, 1, n, stdout) != n;
        return !writeFailed;
    });
    if (std::fflush(stdout) != 0 || writeFailed) {
        return report(kExitOutput, "cannot write to standard output");
    }
    if (!ok) {
        return report(kExitBadInput, args[0] + ": resource data is unreadable or corrupt");
    }
    return kExitOk;
}

// `arguments` follow the program's name; file names among them are UTF-8.
int run(const std::vector<std::string>& arguments)
{
    try {
        if (arguments.empty()) {
            return usage("no command");
        }
        const std::string& command = arguments.front();
        const std::vector<std::string> args(arguments.begin() + 1, arguments.end());
        if (command == "pack") {
            return pack(args);
        }
        if (command == "list") {
            return list(args);
        }
        if (command == "extract") {
            return extract(args);
        }
        return usage("unknown command " + command);
    } catch (const std::exception& e) {
        return report(kExitOutput, std::string("unexpected failure: ") + e.what());
    }
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    return run(gsd::test::Utf8Arguments());
#else
    return run(std::vector<std::string>(argv + 1, argv + argc));
#endif
}

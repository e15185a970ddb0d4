#include "tool/Pack.h"

#include "mdc/MdcWriter.h"
#include "tool/Manifest.h"
#include "tool/Utf8Path.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace mdc::tool {
namespace {

namespace fs = std::filesystem;

std::string depfileEscape(const std::string& path)
{
    std::string out;
    for (const char c : path) {
        if (c == ' ' || c == '#' || c == '\\') {
            out.push_back('\\');
        } else if (c == '$') {
            out.push_back('$');
        }
        out.push_back(c);
    }
    return out;
}

// Converts to forward slashes first: make-style dependency files treat a
// backslash as an escape.
std::string depfilePath(const fs::path& path)
{
    const std::u8string generic = path.generic_u8string();
    return depfileEscape(std::string(generic.begin(), generic.end()));
}

PackResult failure(int code, std::string message)
{
    return PackResult { code, std::move(message) };
}

PackResult writePack(const std::vector<ManifestEntry>& entries, const fs::path& baseDir,
    const std::string& manifestPath, const std::string& outPath, std::vector<fs::path>& inputs)
{
    std::ofstream out(pathOfUtf8(outPath), std::ios::binary | std::ios::trunc);
    if (!out) {
        return failure(kExitOutput, "cannot create " + outPath);
    }
    MdcWriter writer(out);
    for (const ManifestEntry& entry : entries) {
        bool ok = false;
        switch (entry.source) {
        case ManifestEntry::Source::Text:
            ok = writer.addBytes(entry.key, entry.text);
            break;
        case ManifestEntry::Source::Zeros:
            ok = writer.addZeros(entry.key, entry.zeros);
            break;
        case ManifestEntry::Source::File: {
            const fs::path named = pathOfUtf8(entry.path);
            const fs::path path = named.is_absolute() ? named : baseDir / named;
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                return failure(kExitBadInput,
                    manifestPath + ":" + std::to_string(entry.line) + ": cannot read " + utf8OfPath(path));
            }
            inputs.push_back(path);
            ok = writer.addStream(entry.key, in);
            break;
        }
        }
        if (!ok) {
            const bool outputFailed = !out;
            return failure(outputFailed ? kExitOutput : kExitBadInput,
                manifestPath + ":" + std::to_string(entry.line) + ": resource \"" + entry.key.name
                    + "\": " + writer.error());
        }
    }
    if (!writer.finish()) {
        return failure(kExitOutput, outPath + ": " + writer.error());
    }
    out.close();
    if (!out) {
        return failure(kExitOutput, "cannot write " + outPath);
    }
    return {};
}

} // namespace

PackResult packManifest(const std::string& manifestPath, const std::string& outPath, const PackOptions& options)
{
    std::ifstream manifestFile(pathOfUtf8(manifestPath), std::ios::binary);
    if (!manifestFile) {
        return failure(kExitBadInput, "cannot read manifest " + manifestPath);
    }
    std::ostringstream manifestText;
    manifestText << manifestFile.rdbuf();

    std::string error;
    std::optional<std::vector<ManifestEntry>> entries = parseManifest(manifestText.str(), error);
    if (!entries) {
        return failure(kExitBadInput, manifestPath + ": " + error);
    }
    if (options.payloadSize) {
        ManifestEntry payload;
        payload.source = ManifestEntry::Source::Zeros;
        payload.key = ResourceKey { "bin", "Payload", "" };
        payload.zeros = *options.payloadSize;
        entries->push_back(std::move(payload));
    }

    std::vector<fs::path> inputs { pathOfUtf8(manifestPath) };
    PackResult result = writePack(*entries, inputs.front().parent_path(), manifestPath, outPath, inputs);
    if (result.exitCode == kExitOk && !options.depfile.empty()) {
        std::ofstream dep(pathOfUtf8(options.depfile), std::ios::binary | std::ios::trunc);
        dep << depfilePath(pathOfUtf8(outPath)) << ":";
        for (const fs::path& input : inputs) {
            dep << " " << depfilePath(input);
        }
        dep << "\n";
        dep.close();
        if (!dep) {
            result = failure(kExitOutput, "cannot write " + options.depfile);
        }
    }
    if (result.exitCode != kExitOk) {
        std::error_code ignored;
        fs::remove(pathOfUtf8(outPath), ignored);
    }
    return result;
}

} // namespace mdc::tool

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mdc::tool {

// Exit codes of mdctool, shared with the functions behind its commands.
enum ExitCode : int {
    kExitOk = 0,
    kExitNotFound = 1, // extract: the pack has no such resource
    kExitUsage = 2, // bad command line
    kExitBadInput = 3, // bad manifest, missing payload file, unreadable or corrupt pack
    kExitOutput = 4, // cannot write the output
};

struct PackOptions {
    // Adds a zero-filled "bin" resource named "Payload" of this many bytes,
    // for building large packs to measure against.
    std::optional<std::uint64_t> payloadSize;
    // Writes a make-style list of the files the pack was built from, so a
    // build re-packs when a payload file changes.
    std::string depfile;
};

struct PackResult {
    int exitCode = kExitOk;
    std::string message; // empty on success
};

// Packs the resources that the manifest at `manifestPath` lists into
// `outPath`. File payloads are found relative to the manifest's folder. On
// failure the partial output is removed. Every file name, those of the
// manifest's lines too, is UTF-8 (tool/Utf8Path.h).
PackResult packManifest(const std::string& manifestPath, const std::string& outPath, const PackOptions& options);

} // namespace mdc::tool

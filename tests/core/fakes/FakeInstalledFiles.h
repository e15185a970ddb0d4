// Installed files held in memory by relative path: their bytes, size and
// time; the digest is a stand-in made from the bytes (any function of the
// bytes serves a check that only compares digests), read in pieces of
// `pieceBytes` with progress after each.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ports/InstalledFiles.h"

namespace gsd::testing {

// A digest that differs for every text the tests use.
inline FileDigest DigestOf(std::string_view bytes)
{
    FileDigest digest {};
    digest[0] = static_cast<std::uint8_t>(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        digest[1 + i % 31] = static_cast<std::uint8_t>(digest[1 + i % 31] * 31 + static_cast<unsigned char>(bytes[i]));
    }
    return digest;
}

class FakeInstalledFiles : public InstalledFiles {
public:
    struct File {
        std::string bytes;
        std::uint64_t lastWrite = 0;
    };
    std::map<std::string, File> files;
    // Paths that are there but cannot be looked at or read.
    std::set<std::string> unreadable;
    // Paths that can be looked at but not read.
    std::set<std::string> failReading;
    // Called as each reading begins (a close asked meanwhile, say).
    std::function<void()> whileReading;
    std::uint64_t pieceBytes = 4;
    // The paths whose bytes were read, in order.
    std::vector<std::string> read;
    // How many paths each call of Digests asked for.
    std::vector<std::size_t> batches;

    FileLook Look(std::string_view relative) override
    {
        const std::string path(relative);
        if (unreadable.contains(path)) {
            return { FileState::Unreadable, {} };
        }
        const auto found = files.find(path);
        if (found == files.end()) {
            return { FileState::Missing, {} };
        }
        return { FileState::Present, { found->second.bytes.size(), found->second.lastWrite } };
    }

    std::optional<FileDigest> Digest(std::string_view relative, DigestProgress* progress) override
    {
        const std::string path(relative);
        read.push_back(path);
        if (whileReading) {
            whileReading();
        }
        const auto found = files.find(path);
        if (found == files.end() || unreadable.contains(path) || failReading.contains(path)) {
            return std::nullopt;
        }
        for (std::uint64_t at = 0; at < found->second.bytes.size(); at += pieceBytes) {
            const std::uint64_t piece = std::min<std::uint64_t>(pieceBytes, found->second.bytes.size() - at);
            if (progress != nullptr && !progress->BytesRead(piece)) {
                return std::nullopt;
            }
        }
        return DigestOf(found->second.bytes);
    }

    // One file after another, in the order asked; once `progress` says stop,
    // the rest are not read.
    std::vector<std::optional<FileDigest>> Digests(
        const std::vector<std::string>& relatives, DigestProgress* progress) override
    {
        batches.push_back(relatives.size());
        StopWatch watch(progress);
        std::vector<std::optional<FileDigest>> digests;
        for (const std::string& relative : relatives) {
            digests.push_back(watch.stopped ? std::nullopt : Digest(relative, &watch));
        }
        return digests;
    }

private:
    // Passes the bytes on and keeps whether it was told to stop.
    struct StopWatch final : DigestProgress {
        explicit StopWatch(DigestProgress* inner)
            : inner(inner)
        {
        }
        bool BytesRead(std::uint64_t bytes) override
        {
            stopped = stopped || (inner != nullptr && !inner->BytesRead(bytes));
            return !stopped;
        }
        DigestProgress* inner;
        bool stopped = false;
    };
};

} // namespace gsd::testing

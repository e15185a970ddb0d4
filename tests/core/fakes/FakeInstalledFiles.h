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
    // Called as each reading begins (a close asked meanwhile, say).
    std::function<void()> whileReading;
    std::uint64_t pieceBytes = 4;
    // The paths whose bytes were read, in order.
    std::vector<std::string> read;

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
        if (found == files.end() || unreadable.contains(path)) {
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
};

} // namespace gsd::testing

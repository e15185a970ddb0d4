// A MediaEngine over the .mdc reader itself, reading the packs of one game
// folder's Media folder the way the engine component does (header and index
// on open, one resource per read), and counting what it reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "ports/MediaFolder.h"
#include "ports/MediaEngine.h"

namespace gsd::bench {

struct ReadCounts {
    std::uint64_t opens = 0; // media files opened
    std::uint64_t reads = 0; // positional reads of file bytes
    std::uint64_t bytes = 0; // file bytes read
};

class MdcMediaEngine final : public MediaEngine {
public:
    explicit MdcMediaEngine(std::filesystem::path mediaFolder)
        : mediaFolder_(std::move(mediaFolder))
    {
    }

    int CreateSystem() override { return 0; }
    int DestroySystem() override { return 0; }
    void ExecuteSystem() override { }
    std::unique_ptr<MediaReader> CreateReader() override;

    ReadCounts counts;

private:
    std::filesystem::path mediaFolder_;
};

// The names of the "*.mdc" entries of a folder in the order the directory
// listing returns them, like the program's directory search.
class DirectoryMediaFolder final : public MediaFolder {
public:
    explicit DirectoryMediaFolder(std::filesystem::path folder)
        : folder_(std::move(folder))
    {
    }
    MediaListing ListMediaFiles() override;

private:
    std::filesystem::path folder_;
};

} // namespace gsd::bench

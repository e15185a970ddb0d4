#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace mdc {

// True when [offset, offset + count) lies inside [0, size), without ever
// computing offset + count (which could wrap for hostile values).
constexpr bool rangeFits(std::uint64_t offset, std::uint64_t count, std::uint64_t size)
{
    return offset <= size && count <= size - offset;
}

// Random-access bytes that a pack is parsed from. Reads are positional so that
// a reader fetches the header, the index and one resource and never touches
// the rest of a large file.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Total size in bytes, fixed for the life of the source.
    virtual std::uint64_t size() const = 0;

    // Copies exactly `count` bytes starting at `offset` into `out`. Returns
    // false, copying nothing useful, when the range is not wholly inside the
    // source or the underlying read fails.
    virtual bool read(std::uint64_t offset, void* out, std::size_t count) = 0;
};

// Bytes held in memory: tests and the fuzz target parse from here.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes)
        : bytes_(std::move(bytes))
    {
    }

    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t offset, void* out, std::size_t count) override;

private:
    std::string bytes_;
};

// A file opened for reading and kept open for the life of the source.
class FileSource final : public ByteSource {
public:
    // Opens `path` in binary mode; nullptr when it cannot be opened or sized.
    // A narrow name is taken in the system's narrow encoding (on Windows its
    // code page, as the engine component is given names); a
    // std::filesystem::path names any file exactly.
    static std::unique_ptr<FileSource> open(const std::string& path);
    static std::unique_ptr<FileSource> open(const char* path) { return open(std::string(path)); }
    static std::unique_ptr<FileSource> open(const std::filesystem::path& path);

    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, void* out, std::size_t count) override;

private:
    static std::unique_ptr<FileSource> openStream(std::ifstream file);

    FileSource(std::ifstream file, std::uint64_t size)
        : file_(std::move(file))
        , size_(size)
    {
    }

    std::ifstream file_;
    std::uint64_t size_;
};

} // namespace mdc

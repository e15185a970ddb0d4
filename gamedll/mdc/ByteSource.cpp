#include "mdc/ByteSource.h"

#include <cstring>
#include <limits>

namespace mdc {

bool MemorySource::read(std::uint64_t offset, void* out, std::size_t count)
{
    if (!rangeFits(offset, count, bytes_.size())) {
        return false;
    }
    if (count != 0) {
        std::memcpy(out, bytes_.data() + offset, count);
    }
    return true;
}

std::unique_ptr<FileSource> FileSource::open(const std::string& path)
{
    return openStream(std::ifstream(path, std::ios::binary));
}

std::unique_ptr<FileSource> FileSource::open(const std::filesystem::path& path)
{
    return openStream(std::ifstream(path, std::ios::binary));
}

std::unique_ptr<FileSource> FileSource::openStream(std::ifstream file)
{
    if (!file) {
        return nullptr;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    if (!file || end < 0) {
        return nullptr;
    }
    file.seekg(0, std::ios::beg);
    return std::unique_ptr<FileSource>(new FileSource(std::move(file), static_cast<std::uint64_t>(end)));
}

bool FileSource::read(std::uint64_t offset, void* out, std::size_t count)
{
    if (!rangeFits(offset, count, size_)) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    if (count > static_cast<std::uint64_t>(std::numeric_limits<std::streamsize>::max())) {
        return false;
    }
    // A failed earlier read leaves the stream in a failed state; every read
    // stands on its own.
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    file_.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
    return file_.gcount() == static_cast<std::streamsize>(count);
}

} // namespace mdc

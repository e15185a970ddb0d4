#include "MdcMediaEngine.h"

#include <optional>
#include <string>
#include <system_error>

#include "mdc/ByteSource.h"
#include "mdc/MdcReader.h"

namespace gsd::bench {

namespace {

class CountingSource final : public mdc::ByteSource {
public:
    CountingSource(std::unique_ptr<mdc::ByteSource> inner, ReadCounts& counts)
        : inner_(std::move(inner))
        , counts_(counts)
    {
    }

    std::uint64_t size() const override { return inner_->size(); }

    bool read(std::uint64_t offset, void* out, std::size_t count) override
    {
        ++counts_.reads;
        counts_.bytes += count;
        return inner_->read(offset, out, count);
    }

private:
    std::unique_ptr<mdc::ByteSource> inner_;
    ReadCounts& counts_;
};

class Reader final : public MediaReader {
public:
    Reader(const std::filesystem::path& folder, ReadCounts& counts)
        : folder_(folder)
        , counts_(counts)
    {
    }

    void OpenMediaFile(std::string_view fileName) override
    {
        current_.reset();
        ++counts_.opens;
        std::unique_ptr<mdc::FileSource> file = mdc::FileSource::open((folder_ / std::string(fileName)).string());
        if (file) {
            current_ = mdc::MdcReader::open(std::make_unique<CountingSource>(std::move(file), counts_));
        }
    }

    std::optional<std::string> ReadResourceText(std::string_view key) override
    {
        return current_ ? current_->readText("txt", key, language_) : std::nullopt;
    }

    void SelectLanguage(std::string_view languageName) override { language_ = std::string(languageName); }

private:
    const std::filesystem::path& folder_;
    ReadCounts& counts_;
    std::optional<mdc::MdcReader> current_;
    std::string language_;
};

} // namespace

std::unique_ptr<MediaReader> MdcMediaEngine::CreateReader()
{
    return std::make_unique<Reader>(mediaFolder_, counts);
}

MediaListing DirectoryMediaFolder::ListMediaFiles()
{
    MediaListing listing;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder_, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() > 4 && name.ends_with(".mdc")) {
            listing.Names.push_back(name);
        }
    }
    return listing;
}

} // namespace gsd::bench

#include "PackBuilder.h"

#include <filesystem>
#include <fstream>

namespace mdc::testing {
namespace {

TEST(MdcRoundTrip, ListsEveryResourceInOrderWithItsBytes)
{
    std::vector<Item> items = languagePackItems();
    items.push_back({ "txt", "", "Empty", "" });
    items.push_back({ "txt", "", "With NUL", std::string("a\0b", 3) });
    std::optional<MdcReader> reader = openBytes(packBytes(items));
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->resources().size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ResourceInfo& r = reader->resources()[i];
        EXPECT_EQ(r.key, (ResourceKey { items[i].type, items[i].name, items[i].language }));
        EXPECT_EQ(reader->read(r, kMaxTextBytes), items[i].data) << items[i].name;
    }
}

TEST(MdcRoundTrip, EmptyPackOpensWithoutResources)
{
    std::optional<MdcReader> reader = openBytes(packBytes({}));
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->resources().empty());
    EXPECT_FALSE(reader->readText("txt", "Gravelpit Version", ""));
}

struct LookupCase {
    const char* selected;
    const char* type;
    const char* name;
    std::optional<std::string> expected;
};

TEST(MdcLookup, PrefersSelectedLanguageThenNeutralAndNothingElse)
{
    const LookupCase cases[] = {
        { "English", "txt", "Gravelpit DU Main Dialog", "Download|Intro" },
        { "Francais", "txt", "Gravelpit DU Main Dialog",
            "T\xE9l\xE9"
            "charger|Intro" },
        { "Deutsch", "txt", "Gravelpit DU Main Dialog", "Neutral|Intro" },
        { "", "txt", "Gravelpit DU Main Dialog", "Neutral|Intro" },
        // A text read never returns the payload of the same name.
        { "Francais", "txt", "Gravelpit Version", "1|2|3" },
        { "", "bin", "Gravelpit Version", std::string(1000, '\x7F') },
        // Only a French resource exists: other languages must not borrow it.
        { "English", "txt", "Gravelpit Object Pack Title", std::nullopt },
        { "", "txt", "Gravelpit Object Pack Title", std::nullopt },
        // Keys are exact bytes.
        { "francais", "txt", "Gravelpit Object Pack Title", std::nullopt },
        { "English", "txt", "gravelpit version", std::nullopt },
        { "English", "txt", "Gravelpit Versio", std::nullopt },
        { "English", "TXT", "Gravelpit Version", std::nullopt },
        { "English", "txt", "Gravelpit Objects", std::nullopt },
    };
    std::optional<MdcReader> reader = openBytes(packBytes(languagePackItems()));
    ASSERT_TRUE(reader);
    for (const LookupCase& c : cases) {
        EXPECT_EQ(reader->readText(c.type, c.name, c.selected), c.expected) << c.selected << " / " << c.name;
    }
}

TEST(MdcLookup, ResourceLargerThanTheCallersCapReadsAsAbsent)
{
    std::optional<MdcReader> reader = openBytes(packBytes({ { "txt", "", "Eleven", "hello world" } }));
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->read(reader->resources()[0], 10));
    EXPECT_TRUE(reader->read(reader->resources()[0], 11));
}

TEST(MdcWriter, RejectsKeysThatCannotBeStoredOrAskedFor)
{
    const ResourceKey bad[] = {
        { "", "Name", "" },
        { "txt", "", "" },
        { std::string(256, 't'), "Name", "" },
        { "txt", "Name", std::string(256, 'l') },
        { "txt", std::string(65536, 'n'), "" },
        { "txt", std::string("Na\0me", 5), "" },
        { "txt", "Dup", "" },
    };
    for (const ResourceKey& key : bad) {
        std::ostringstream out(std::ios::binary);
        MdcWriter writer(out);
        ASSERT_TRUE(writer.addBytes({ "txt", "Dup", "" }, "first"));
        EXPECT_FALSE(writer.addBytes(key, "x")) << key.name.substr(0, 8);
        EXPECT_FALSE(writer.error().empty());
        // A failed writer never produces a pack that looks complete.
        EXPECT_FALSE(writer.finish());
    }
}

TEST(MdcWriter, SameNameInAnotherLanguageOrTypeIsNoDuplicate)
{
    std::ostringstream out(std::ios::binary);
    MdcWriter writer(out);
    EXPECT_TRUE(writer.addBytes({ "txt", "Title", "" }, "a"));
    EXPECT_TRUE(writer.addBytes({ "txt", "Title", "English" }, "b"));
    EXPECT_TRUE(writer.addBytes({ "bin", "Title", "" }, "c"));
    EXPECT_TRUE(writer.finish()) << writer.error();
}

TEST(MdcWriter, UnfinishedPackReadsAsAbsent)
{
    std::ostringstream out(std::ios::binary);
    MdcWriter writer(out);
    ASSERT_TRUE(writer.addBytes({ "txt", "Gravelpit Version", "" }, "1|2|3"));
    EXPECT_FALSE(openBytes(out.str()));
}

// Counts what a reader asks its source for.
class CountingSource final : public ByteSource {
public:
    explicit CountingSource(std::unique_ptr<ByteSource> inner, std::uint64_t& bytesRead)
        : inner_(std::move(inner))
        , bytesRead_(bytesRead)
    {
    }
    std::uint64_t size() const override { return inner_->size(); }
    bool read(std::uint64_t offset, void* out, std::size_t count) override
    {
        bytesRead_ += count;
        return inner_->read(offset, out, count);
    }

private:
    std::unique_ptr<ByteSource> inner_;
    std::uint64_t& bytesRead_;
};

std::uint64_t bytesToReadOneText(const std::string& path, std::uint64_t payloadBytes)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        MdcWriter writer(out);
        EXPECT_TRUE(writer.addZeros({ "bin", "Objects", "" }, payloadBytes));
        EXPECT_TRUE(writer.addBytes({ "txt", "Gravelpit Version", "" }, "1|2|3"));
        EXPECT_TRUE(writer.finish()) << writer.error();
    }
    std::uint64_t bytesRead = 0;
    std::optional<MdcReader> reader
        = MdcReader::open(std::make_unique<CountingSource>(FileSource::open(path), bytesRead));
    EXPECT_TRUE(reader);
    if (reader) {
        EXPECT_EQ(reader->readText("txt", "Gravelpit Version", "English"), "1|2|3");
    }
    std::filesystem::remove(path);
    return bytesRead;
}

TEST(MdcReader, ReadingOneTextCostsTheSameWhateverThePayloadSize)
{
    const std::string dir = ::testing::TempDir();
    const std::uint64_t small = bytesToReadOneText(dir + "mdc_small.mdc", 1000);
    const std::uint64_t large = bytesToReadOneText(dir + "mdc_large.mdc", 64ULL << 20);
    EXPECT_EQ(small, large);
    EXPECT_LT(large, 256U);
}

} // namespace
} // namespace mdc::testing

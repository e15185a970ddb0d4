#include "PackBuilder.h"

#include "tool/Manifest.h"
#include "tool/Pack.h"

#include <filesystem>
#include <fstream>

namespace mdc::tool {
namespace {

using Source = ManifestEntry::Source;

struct GoodLine {
    const char* line;
    Source source;
    ResourceKey key;
    std::string value; // text, path, or the decimal zero count
};

TEST(Manifest, ParsesDirectiveLines)
{
    const GoodLine cases[] = {
        { "txt * Gravelpit Version = 1|2|3", Source::Text, { "txt", "Gravelpit Version", "" }, "1|2|3" },
        { "txt English Gravelpit DU Main Dialog = A|B||C", Source::Text,
            { "txt", "Gravelpit DU Main Dialog", "English" }, "A|B||C" },
        { "  txt\tFrancais   Title   =  two  leading", Source::Text, { "txt", "Title", "Francais" }, " two  leading" },
        { "txt \"Brazilian Portuguese\" Title = T\xEDtulo", Source::Text, { "txt", "Title", "Brazilian Portuguese" },
            "T\xEDtulo" },
        { "txt * Empty =", Source::Text, { "txt", "Empty", "" }, "" },
        { "txt * A =B = c", Source::Text, { "txt", "A =B", "" }, "c" },
        { "txt * Lines = one\\r\\ntwo\\tx\\\\y\\x00\\xe9", Source::Text, { "txt", "Lines", "" },
            std::string("one\r\ntwo\tx\\y\0\xE9", 14) },
        { "txt * CRLF line = text\r", Source::Text, { "txt", "CRLF line", "" }, "text" },
        { "file bin * Object Table = data/objects one.bin", Source::File, { "bin", "Object Table", "" },
            "data/objects one.bin" },
        { "zeros bin Deutsch Terrain = 4K", Source::Zeros, { "bin", "Terrain", "Deutsch" }, "4096" },
        { "zeros raw * Big = 200M", Source::Zeros, { "raw", "Big", "" }, "209715200" },
    };
    for (const GoodLine& c : cases) {
        std::string error;
        const auto entries = parseManifest(c.line, error);
        ASSERT_TRUE(entries) << c.line << ": " << error;
        ASSERT_EQ(entries->size(), 1U) << c.line;
        const ManifestEntry& e = entries->front();
        EXPECT_EQ(e.source, c.source) << c.line;
        EXPECT_EQ(e.key, c.key) << c.line;
        const std::string value = c.source == Source::Text ? e.text
            : c.source == Source::File                     ? e.path
                                                           : std::to_string(e.zeros);
        EXPECT_EQ(value, c.value) << c.line;
    }
}

TEST(Manifest, SkipsCommentsAndBlankLinesAndCountsLines)
{
    std::string error;
    const auto entries = parseManifest("# comment\n\n   \ntxt * A = 1\r\n  # indented comment\ntxt * B = 2", error);
    ASSERT_TRUE(entries) << error;
    ASSERT_EQ(entries->size(), 2U);
    EXPECT_EQ((*entries)[0].line, 4);
    EXPECT_EQ((*entries)[1].line, 6);
}

TEST(Manifest, ReportsTheLineOfEachMistake)
{
    const char* bad[] = {
        "text * Name = x", // unknown directive
        "txt", // no language
        "txt * Name", // no " = "
        "txt * Name=x", // '=' must stand apart
        "txt * = x", // empty name
        "txt * Name = a\\qb", // unknown escape
        "txt * Name = trailing\\", // dangling backslash
        "txt * Name = \\x4", // short hex escape
        "txt * Name = \\xZZ", // bad hex digits
        "txt * Name = \\x4Z", // second hex digit bad
        "txt \"Open quote Name = x", // unterminated quote
        "file bin * Name =", // no path
        "file * Name = x.bin", // missing type shifts everything: no " = " left for the name
        "zeros bin * Name = 12Q", // bad count
        "zeros bin * Name = 99999999999999999999",
        "zeros bin * Name = 17179869184G", // overflows when scaled
    };
    for (const char* line : bad) {
        std::string error;
        EXPECT_FALSE(parseManifest(std::string("# first\n") + line, error)) << line;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0U) << line << " -> " << error;
    }
}

class PackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::path(::testing::TempDir())
            / ("mdc_pack_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "data");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& content)
    {
        const std::filesystem::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    std::filesystem::path dir_;
};

TEST_F(PackTest, PacksTextsFilesAndZerosAndWritesTheDependencies)
{
    const std::string payload("\x00\x01\xFFpayload\r\n", 12);
    write("data/objects.bin", payload);
    const std::string manifest = write("Bricks.manifest",
        "txt * Gravelpit Objects = 1\n"
        "txt English Title = Bricks\\nand more\n"
        "file bin * Object Table = data/objects.bin\n"
        "zeros bin * Terrain = 100000\n");
    const std::string out = (dir_ / "Bricks.mdc").string();
    PackOptions options;
    options.payloadSize = 5;
    options.depfile = (dir_ / "Bricks.d").string();
    const PackResult result = packManifest(manifest, out, options);
    ASSERT_EQ(result.exitCode, kExitOk) << result.message;

    std::optional<MdcReader> reader = MdcReader::open(FileSource::open(out));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->readText("txt", "Title", "English"), "Bricks\nand more");
    EXPECT_EQ(reader->readText("bin", "Object Table", ""), payload);
    EXPECT_EQ(reader->readText("bin", "Terrain", ""), std::string(100000, '\0'));
    EXPECT_EQ(reader->readText("bin", "Payload", ""), std::string(5, '\0'));

    std::ifstream dep(options.depfile);
    const std::string deps((std::istreambuf_iterator<char>(dep)), std::istreambuf_iterator<char>());
    EXPECT_NE(deps.find("Bricks.manifest"), std::string::npos) << deps;
    EXPECT_NE(deps.find("data/objects.bin"), std::string::npos) << deps;
}

TEST_F(PackTest, FailuresLeaveNoOutputBehind)
{
    struct Case {
        const char* manifest;
        int exitCode;
        const char* mentions;
    } cases[] = {
        { "txt * A = 1\nfile bin * Missing = data/missing.bin\n", kExitBadInput, ":2: cannot read" },
        { "txt * A = 1\ntxt * A = 2\n", kExitBadInput, "duplicate" },
        { "txt * A = 1\nbogus\n", kExitBadInput, "line 2" },
    };
    const std::string out = (dir_ / "Out.mdc").string();
    for (const Case& c : cases) {
        const PackResult result = packManifest(write("Out.manifest", c.manifest), out, {});
        EXPECT_EQ(result.exitCode, c.exitCode) << c.manifest;
        EXPECT_NE(result.message.find(c.mentions), std::string::npos) << result.message;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.manifest;
    }
    EXPECT_EQ(packManifest((dir_ / "none.manifest").string(), out, {}).exitCode, kExitBadInput);
}

// The sample pack, made at build time by the packing function from
// samples/Sample.manifest.
TEST(SamplePack, HoldsTheManifestsResources)
{
    std::optional<MdcReader> reader = MdcReader::open(FileSource::open(GAMEDLL_SAMPLE_MDC));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->readText("txt", "Gravelpit Version", "Francais"), "1|2|3");
    EXPECT_EQ(reader->readText("txt", "Gravelpit Object Pack Title", "Francais"), "Briques d'exemple");
    EXPECT_EQ(reader->readText("txt", "Gravelpit Object Pack Title", "English"), "Sample Bricks");
    EXPECT_EQ(reader->readText("txt", "Gravelpit Object Pack Description", ""),
        "Two bricks.\r\nA sample pack | with a bar and 8-bit bytes: caf\xE9.");
    EXPECT_EQ(reader->readText("bin", "Object Table", ""), "brick red 1x2\nbrick blue 2x2\n");
    const ResourceInfo* terrain = reader->find("bin", "Terrain", "");
    ASSERT_NE(terrain, nullptr);
    EXPECT_EQ(terrain->size, 4096U);
}

} // namespace
} // namespace mdc::tool

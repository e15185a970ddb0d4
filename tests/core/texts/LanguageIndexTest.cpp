#include "texts/LanguageIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeOptionsFile.h"

namespace gsd {
namespace {

using namespace std::string_literals;

TEST(LanguageIndexTest, ReadsFirstFourBytesAsATextModeReadDeliversThem)
{
    struct Case {
        const char* name;
        std::string stored;
        int index;
    };
    const std::vector<Case> cases = {
        { "empty file", "", 0 },
        { "one byte fills the low-order end", "\x02", 2 },
        { "three bytes", "\x01\x02\x03", 0x030201 },
        { "little-endian", "\x00\x00\x00\x01"s, 0x01000000 },
        { "bytes after the fourth are not read", "\x01\x00\x00\x00\xFF"s, 1 },
        { "all ones is minus one", "\xFF\xFF\xFF\xFF", -1 },
        { "lowest index", "\x00\x00\x00\x80"s, -2147483647 - 1 },
        { "highest index", "\xFF\xFF\xFF\x7F", 2147483647 },
        { "0x1A ends the data", "\x1A\x00\x00\x00"s, 0 },
        { "0x1A after a byte", "\x05\x1A\x07\x07", 5 },
        { "CR LF reads as LF", "\r\n\x01\x00"s, 0x010A },
        { "four CR LF pairs make four LFs", "\r\n\r\n\r\n\r\n", 0x0A0A0A0A },
        { "CR LF as the fourth byte", "\x01\x02\x03\r\n", 0x0A030201 },
        { "lone CR is kept", "\r\x05\x00\x00"s, 0x050D },
        { "CR at the end of the file is kept", "\x01\r", 0x0D01 },
        { "CR CR LF", "\r\r\n", 0x0A0D },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LanguageIndexFromBytes(c.stored), c.index);
        testing::FakeOptionsFile file;
        file.bytes = c.stored;
        EXPECT_EQ(ReadLanguageIndex(file), c.index);
    }
}

TEST(LanguageIndexTest, MissingFileIsCreatedEmptyAndGivesTheFirstLanguage)
{
    testing::FakeOptionsFile file;
    EXPECT_EQ(ReadLanguageIndex(file), 0);
    EXPECT_EQ(file.bytes, std::optional<std::string>(""));
}

TEST(LanguageIndexTest, FileThatCannotBeCreatedGivesTheFirstLanguage)
{
    testing::FakeOptionsFile file;
    file.canCreate = false;
    EXPECT_EQ(ReadLanguageIndex(file), 0);
}

TEST(LanguageIndexTest, EveryReadReadsTheFileAgain)
{
    testing::FakeOptionsFile file;
    file.bytes = "\x01";
    EXPECT_EQ(ReadLanguageIndex(file), 1);
    file.bytes = "\x02";
    EXPECT_EQ(ReadLanguageIndex(file), 2);
    EXPECT_EQ(file.reads, 2);
}

TEST(LanguageIndexTest, LanguageNameIsFieldIndexPlusOne)
{
    struct Case {
        int index;
        const char* name;
    };
    const std::vector<Case> cases = {
        { 0, "English" },
        { 2, "Deutsch" },
        { 3, "" },
        { -1, "unused" },
        { -2, "" },
        { 2147483647, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(InterfaceLanguageName("unused|English|Francais|Deutsch", c.index), c.name);
    }
}

} // namespace
} // namespace gsd

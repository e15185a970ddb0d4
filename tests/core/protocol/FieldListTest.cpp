#include "protocol/FieldList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace gsd {
namespace {

using namespace std::string_literals;

TEST(FieldListTest, GetFieldReadsFieldOrEmpty)
{
    struct Case {
        std::string text;
        int index;
        std::string separator;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "", 0, "|", "" },
        { "abc", 0, "|", "abc" },
        { "abc", 1, "|", "" },
        { "a||c", 1, "|", "" },
        { "a||c", 2, "|", "c" },
        { "a|b|", 2, "|", "" },
        { "a|b", -1, "|", "" },
        { "x\r\ny", 1, "\r\n", "y" },
        { "x\r\n", 2, "\r\n", "" },
        { "x\ry\r\nz", 0, "\r\n", "x\ry" },
        // Separators do not overlap: "|||" holds one "||", then a lone "|".
        { "|||", 1, "||", "|" },
        { "a\0b|\xE9\xFF"s, 0, "|", "a\0b"s },
        { "a\0b|\xE9\xFF"s, 1, "|", "\xE9\xFF" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text) + " #" + std::to_string(c.index));
        EXPECT_EQ(GetField(c.text, c.index, c.separator), c.expected);
    }
}

TEST(FieldListTest, SetFieldReplacesOrAppends)
{
    struct Case {
        std::string text;
        int index;
        std::string value;
        std::string separator;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "", 0, "v", "|", "v" },
        { "", 2, "v", "|", "||v" },
        { "a", 3, "X", "|", "a|||X" },
        { "a|", 2, "v", "|", "a||v" },
        { "a|b|c", 1, "X", "|", "a|X|c" },
        { "a|b", 1, "X", "|", "a|X" },
        { "x|y", 0, "v", "|", "v|y" },
        { "a|b", 1, "X|Y", "|", "a|X|Y" },
        { "a|b", -1, "X", "|", "a|b" },
        { "ab\r\ncd\r\nef", 1, "X", "\r\n", "ab\r\nX\r\nef" },
        { "ab\r\n", 3, "X", "\r\n", "ab\r\n\r\n\r\nX" },
        { "a\0|\x80"s, 1, "\xE9\0"s, "|", "a\0|\xE9\0"s },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text) + " #" + std::to_string(c.index));
        EXPECT_EQ(SetField(c.text, c.index, c.value, c.separator), c.expected);
    }
}

// Every text shape is tried with every separator; SplitFields must agree with
// GetField on the texts before and after the change.
TEST(FieldListTest, SetFieldChangesOnlyItsField)
{
    const std::vector<std::vector<std::string>> shapes
        = { { "" }, { "a" }, { "a", "b", "c" }, { "", "", "" }, { "x", "" }, { "\0\xE9"s, "q" } };
    const std::string value = "V\xE9\0z"s;
    for (const std::string separator : { "|", "\r\n", "<>" }) {
        for (const auto& shape : shapes) {
            std::string text = shape[0];
            for (std::size_t i = 1; i < shape.size(); ++i) {
                text.append(separator).append(shape[i]);
            }
            for (int index = 0; index <= 5; ++index) {
                SCOPED_TRACE(testing::Message()
                    << testing::PrintToString(separator) << ' ' << testing::PrintToString(text) << " #" << index);
                const std::string result = SetField(text, index, value, separator);
                EXPECT_EQ(GetField(result, index, separator), value);
                const std::vector<std::string_view> fields = SplitFields(result, separator);
                ASSERT_EQ(fields.size(), std::max(SplitFields(text, separator).size(), std::size_t(index) + 1));
                for (int other = 0; other <= 7; ++other) {
                    const std::string expected = other == index ? value : GetField(text, other, separator);
                    EXPECT_EQ(GetField(result, other, separator), expected) << "field " << other;
                    if (std::size_t(other) < fields.size()) {
                        EXPECT_EQ(fields[std::size_t(other)], expected) << "split field " << other;
                    }
                }
            }
        }
    }
}

TEST(FieldListTest, ListLinesStopsAtFirstEmptyLine)
{
    const std::vector<std::pair<std::string, std::vector<std::string_view>>> cases = {
        { "", {} },
        { "\r\nb", {} },
        { "a\r\nb", { "a", "b" } },
        { "a\r\nb\r\n", { "a", "b" } },
        { "a\r\n\r\nc", { "a" } },
        { "a|b\rc\r\nd", { "a|b\rc", "d" } },
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(ListLines(text), expected);
    }
}

} // namespace
} // namespace gsd

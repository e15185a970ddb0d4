#include "protocol/FormEncode.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace gsd {
namespace {

using namespace std::string_literals;

TEST(FormEncodeTest, EncodesAllButLettersAndDigits)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "", "" },
        { "a b|c", "a+b%7cc" },
        { "1.0.-_*", "1%2e0%2e%2d%5f%2a" },
        // Letters and digits pass; their neighbours do not.
        { "AZaz09/:@[`{", "AZaz09%2f%3a%40%5b%60%7b" },
        { "\0\n\r\x7F\x80\xE9\xFF"s, "%00%0a%0d%7f%80%e9%ff" },
        { "&=+%", "%26%3d%2b%25" },
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(FormEncode(text), expected);
    }
}

} // namespace
} // namespace gsd

#include "download/MediaFileName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsd {
namespace {

TEST(MediaFileNameTest, RefusesNamesThatLeaveTheFolderOrNameADevice)
{
    struct Case {
        std::string name;
        std::string problem;
    };
    const std::vector<Case> cases = {
        { "Bricks", "" },
        { "Quarry Pack 2", "" },
        { "v1.2", "" },
        { "CONSOLE", "" },
        { "LPT10", "" },
        { "xCON", "" },
        { "\xE9t\xE9", "" },
        { "", "it is empty" },
        { "..\\..\\Windows\\evil", "it holds a path separator" },
        { "Packs/Bricks", "it holds a path separator" },
        { "C:evil", "it holds a drive colon" },
        { "Bricks:stream", "it holds a drive colon" },
        { "..", "it holds \"..\"" },
        { "a..b", "it holds \"..\"" },
        { std::string("Bri\0cks", 7), "it holds a control character" },
        { "Bricks\r\n", "it holds a control character" },
        { "Bricks\x1F", "it holds a control character" },
        { "Bricks\x7F", "it holds a control character" },
        { "what?", "it holds a character that file names may not hold" },
        { "a*b", "it holds a character that file names may not hold" },
        { "<a>", "it holds a character that file names may not hold" },
        { "say \"hi\"", "it holds a character that file names may not hold" },
        { "Bricks.", "it ends in a dot or a blank" },
        { "Bricks ", "it ends in a dot or a blank" },
        { "CON", "it is the name of a device" },
        { "con", "it is the name of a device" },
        { "Nul", "it is the name of a device" },
        { "PRN.txt", "it is the name of a device" },
        { "aux.tar.gz", "it is the name of a device" },
        { "NUL .txt", "it is the name of a device" },
        { "COM1", "it is the name of a device" },
        { "com9", "it is the name of a device" },
        { "LPT1.mdc", "it is the name of a device" },
        { "lpt9", "it is the name of a device" },
        { "COM0", "it is the name of a device" },
        { "LPT0.mdc", "it is the name of a device" },
        { "COM\xB9", "it is the name of a device" },
        { "lpt\xB3.txt", "it is the name of a device" },
        { "COM\xB4", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MediaFileNameProblem(c.name), c.problem);
    }
}

} // namespace
} // namespace gsd

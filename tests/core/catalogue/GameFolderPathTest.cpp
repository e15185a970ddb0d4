#include "catalogue/GameFolderPath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsd {
namespace {

std::string Repeated(std::string_view piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

TEST(GameFolderPathTest, JoinsShortPathsAsTheyAre)
{
    struct Case {
        std::string folder;
        std::string relative;
        std::string path;
    };
    const std::vector<Case> cases = {
        { "C:\\Games\\Gravelpit", "Media\\*.mdc", "C:\\Games\\Gravelpit\\Media\\*.mdc" },
        { "C:\\", "Media\\*.mdc", "C:\\Media\\*.mdc" },
        { "\\\\server\\share\\Gravelpit", "Temp\\Download.tmp", "\\\\server\\share\\Gravelpit\\Temp\\Download.tmp" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const GamePath formed = FormGamePath(c.folder, c.relative);
        EXPECT_EQ(formed.Path, c.path);
        EXPECT_EQ(formed.Problem, "");
    }
}

TEST(GameFolderPathTest, LongPathsGetTheExtendedFormWholeNeverCut)
{
    const std::string deep(240, 'g');
    struct Case {
        std::string folder;
        std::string relative;
        std::string path;
    };
    const std::vector<Case> cases = {
        // 259 characters still fit the classic limit with their NUL.
        { "C:\\" + std::string(244, 'g'), "Media\\*.mdc", "C:\\" + std::string(244, 'g') + "\\Media\\*.mdc" },
        { "C:\\" + std::string(245, 'g'), "Media\\*.mdc", "\\\\?\\C:\\" + std::string(245, 'g') + "\\Media\\*.mdc" },
        { "D:\\" + deep + "/x/" + deep, "Media\\*.mdc", "\\\\?\\D:\\" + deep + "\\x\\" + deep + "\\Media\\*.mdc" },
        { "\\\\server\\share\\" + deep, "Media\\*.mdc", "\\\\?\\UNC\\server\\share\\" + deep + "\\Media\\*.mdc" },
        { "\\\\?\\C:\\" + deep, "Media\\*.mdc", "\\\\?\\C:\\" + deep + "\\Media\\*.mdc" },
        // The limit counts UTF-16 units, not UTF-8 bytes: 244 Cyrillic
        // letters are 488 bytes but still a classic path; each emoji is two
        // units, so 123 of them are not.
        { "C:\\" + Repeated("\xD0\x98", 244), "Media\\*.mdc", "C:\\" + Repeated("\xD0\x98", 244) + "\\Media\\*.mdc" },
        { "C:\\" + Repeated("\xF0\x9F\x98\x80", 122), "Media\\*.mdc",
            "C:\\" + Repeated("\xF0\x9F\x98\x80", 122) + "\\Media\\*.mdc" },
        { "C:\\" + Repeated("\xF0\x9F\x98\x80", 123), "Media\\*.mdc",
            "\\\\?\\C:\\" + Repeated("\xF0\x9F\x98\x80", 123) + "\\Media\\*.mdc" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.size());
        const GamePath formed = FormGamePath(c.folder, c.relative);
        EXPECT_EQ(formed.Path, c.path);
        EXPECT_EQ(formed.Problem, "");
    }
}

TEST(GameFolderPathTest, RefusesWhatCannotBeFormedWithAMessage)
{
    const std::string deep(260, 'g');
    struct Case {
        const char* name;
        std::string folder;
    };
    const std::vector<Case> cases = {
        { "relative", deep },
        { "device namespace", "\\\\.\\" + deep },
        { "dot parts", "C:\\" + deep + "\\.." },
        { "beyond the extended limit", "C:\\" + std::string(32767, 'g') },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GamePath formed = FormGamePath(c.folder, "Media\\*.mdc");
        EXPECT_EQ(formed.Path, "");
        EXPECT_EQ(formed.Problem, "The game folder's path is too long for this program to use:");
        EXPECT_EQ(formed.ProblemPath, c.folder + "\\Media\\*.mdc");
    }
    EXPECT_EQ(FormGamePath("", "Options.zss").Problem, "The game folder could not be determined.");
}

} // namespace
} // namespace gsd

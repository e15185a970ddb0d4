#include "shell/GameFolderChoice.h"

#include <gtest/gtest.h>

#include <vector>

namespace gsd {
namespace {

TEST(GameFolderChoiceTest, TheProgramsOwnFolderOnlyWhenItAloneHoldsTheEngine)
{
    struct Case {
        GameFolderFacts facts;
        GameFolder expected;
    };
    const std::vector<Case> cases = {
        { { true, true }, GameFolder::Working },
        { { true, false }, GameFolder::Working },
        { { false, true }, GameFolder::ProgramsOwn },
        { { false, false }, GameFolder::Working },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseGameFolder(c.facts), c.expected)
            << c.facts.workingFolderHoldsEngine << c.facts.programFolderHoldsEngine;
    }
}

TEST(GameFolderChoiceTest, TheMoveIsLogged)
{
    EXPECT_EQ(GameFolderMoveLogLine("C:\\Users\\p", 0),
        "working folder C:\\Users\\p holds no Game.dll: working in the program's own folder");
    EXPECT_EQ(GameFolderMoveLogLine("C:\\Users\\p", 5),
        "working folder C:\\Users\\p holds no Game.dll: moving to the program's own folder failed, error 5; "
        "staying in the working folder");
}

} // namespace
} // namespace gsd

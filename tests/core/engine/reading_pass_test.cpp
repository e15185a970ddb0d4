#include <gtest/gtest.h>

#include "engine/ReadingPass.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMediaEngine.h"

namespace gsd {
namespace {

using Journal = std::vector<std::string>;

TEST(ReadingPass, ReleasesReaderThenRunsEngineAndRepaints)
{
    Journal journal;
    testing::FakeMainWindow window(journal);
    testing::FakeMediaEngine engine(journal);
    engine.files["Version.mdc"][{"", "Gravelpit Version"}] = "1|2|3";
    {
        ReadingPass pass(engine, window);
        ASSERT_TRUE(pass);
        pass.reader().OpenMediaFile("Version.mdc");
        EXPECT_EQ(pass.reader().ReadResourceText("Gravelpit Version"), "1|2|3");
        EXPECT_EQ(engine.readersAlive, 1);
    }
    EXPECT_EQ(engine.readersAlive, 0);
    EXPECT_EQ(journal, (Journal{"CreateReader", "Release", "ExecuteSystem", "repaint"}));
}

TEST(ReadingPass, RefusedReaderIsReportedAndAbandonsThePass)
{
    Journal journal;
    testing::FakeMainWindow window(journal);
    testing::FakeMediaEngine engine(journal);
    engine.refuseReader = true;
    {
        ReadingPass pass(engine, window);
        EXPECT_FALSE(pass);
    }
    // No engine run and no repaint for a pass that never had a reader.
    EXPECT_EQ(journal, (Journal{"CreateReader", "message Error!: Error while Loading Media Resource", "post close"}));
}

} // namespace
} // namespace gsd

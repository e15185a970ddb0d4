#include <gtest/gtest.h>

#include "shell/StartupSequence.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMediaEngine.h"

namespace gsd {
namespace {

using Journal = std::vector<std::string>;

struct StartupCase {
    const char* name;
    int createSystemResult;
    bool connectionOk;
    bool authenticationOk;
    bool listOk;
    Journal expected;
};

void PrintTo(const StartupCase& c, std::ostream* os)
{
    *os << c.name;
}

class StartupSequenceTest : public ::testing::TestWithParam<StartupCase> {};

// Every stage writes its name into the same journal as the window and the
// engine, so the test sees one ordered story of the start-up.
StartupStages RecordingStages(Journal& journal, const StartupCase& c)
{
    StartupStages stages;
    stages.LoadInterfaceTexts = [&] { journal.emplace_back("LoadInterfaceTexts"); };
    stages.CheckServerConnection = [&journal, c] {
        journal.emplace_back("CheckServerConnection");
        return c.connectionOk;
    };
    stages.AuthenticateHost = [&journal, c] {
        journal.emplace_back("AuthenticateHost");
        return c.authenticationOk;
    };
    stages.RequestDownloadList = [&journal, c] {
        journal.emplace_back("RequestDownloadList");
        return c.listOk;
    };
    stages.FillLocalList = [&] { journal.emplace_back("FillLocalList"); };
    stages.FillServerList = [&] { journal.emplace_back("FillServerList"); };
    stages.ReselectRecordedItems = [&] { journal.emplace_back("ReselectRecordedItems"); };
    stages.AuthenticationFailedText = [] { return std::string("server not genuine"); };
    return stages;
}

TEST_P(StartupSequenceTest, RunsStagesInOrderAndHandlesFailures)
{
    const StartupCase& c = GetParam();
    Journal journal;
    testing::FakeMainWindow window(journal);
    testing::FakeMediaEngine engine(journal);
    engine.createSystemResult = c.createSystemResult;

    // How the run ends, as the support log will say, closes the story.
    if (const std::string ending = RunStartupSequence(window, engine, RecordingStages(journal, c)); !ending.empty()) {
        journal.push_back("ends with " + ending);
    }

    EXPECT_EQ(journal, c.expected);
}

const Journal kAllServerAndListStages = {
    "CheckServerConnection", "AuthenticateHost", "RequestDownloadList",
    "FillLocalList",         "FillServerList",   "ReselectRecordedItems",
};

Journal Concat(std::initializer_list<Journal> parts)
{
    Journal all;
    for (const Journal& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupSequenceTest,
    ::testing::Values(
        StartupCase{"AllGood", 0, true, true, true,
                    Concat({{"CreateSystem", "LoadInterfaceTexts"}, kAllServerAndListStages, {"ExecuteSystem", "repaint"}})},
        // A failed engine is reported and the close is only posted: texts and
        // server steps still run before the dialog's loop acts on it.
        StartupCase{"EngineFailsButStartupGoesOn", 3, true, true, true,
                    Concat({{"CreateSystem", "message Error!: Error while constructing System", "post close",
                             "LoadInterfaceTexts"},
                            kAllServerAndListStages,
                            {"ExecuteSystem", "repaint", "ends with failure: the game's engine (Game.dll) did not start"}})},
        StartupCase{"NegativeEngineResultIsAFailureToo", -1, true, true, true,
                    Concat({{"CreateSystem", "message Error!: Error while constructing System", "post close",
                             "LoadInterfaceTexts"},
                            kAllServerAndListStages,
                            {"ExecuteSystem", "repaint", "ends with failure: the game's engine (Game.dll) did not start"}})},
        StartupCase{"ConnectionFailsSkipsTheRest", 0, false, true, true,
                    {"CreateSystem", "LoadInterfaceTexts", "CheckServerConnection", "send close", "ExecuteSystem",
                     "repaint", "ends with failure: the connection check"}},
        StartupCase{"AuthenticationFailsIsReportedHere", 0, true, false, true,
                    {"CreateSystem", "LoadInterfaceTexts", "CheckServerConnection", "AuthenticateHost",
                     "message Error!: server not genuine", "send close", "ExecuteSystem", "repaint",
                     "ends with failure: the server did not prove who it is"}},
        StartupCase{"ListFailsLeavesListsEmpty", 0, true, true, false,
                    {"CreateSystem", "LoadInterfaceTexts", "CheckServerConnection", "AuthenticateHost",
                     "RequestDownloadList", "send close", "ExecuteSystem", "repaint",
                     "ends with failure: the download list"}}),
    [](const ::testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.name); });

// A Game.dll the program cannot load (built for the other bitness, say) gets
// its own explanation, then the usual error and close.
TEST(StartupSequence, UnreachableEngineIsExplainedBeforeTheUsualError)
{
    Journal journal;
    testing::FakeMainWindow window(journal);
    testing::FakeMediaEngine engine(journal);
    engine.createSystemResult = -1;
    engine.unavailableReason = "wrong bitness";

    RunStartupSequence(window, engine, StartupStages {});

    EXPECT_EQ(journal,
        (Journal { "CreateSystem", "message Error!: wrong bitness", "message Error!: Error while constructing System",
            "post close", "ExecuteSystem", "repaint" }));
}

TEST(StartupSequence, StagesNotYetProvidedAreLeftOut)
{
    Journal journal;
    testing::FakeMainWindow window(journal);
    testing::FakeMediaEngine engine(journal);
    StartupStages stages;
    stages.FillLocalList = [&] { journal.emplace_back("FillLocalList"); };

    RunStartupSequence(window, engine, stages);

    EXPECT_EQ(journal, (Journal{"CreateSystem", "FillLocalList", "ExecuteSystem", "repaint"}));
}

} // namespace
} // namespace gsd

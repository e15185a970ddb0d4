#include "protocol/InternetError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/ExchangeRig.h"

namespace gsd {
namespace {

using ::testing::ElementsAre;
using testing::ExchangeRig;

TEST(InternetErrorTest, DescriptionComesFromTheFirstSourceThatHasOne)
{
    struct Case {
        const char* name;
        InternetError code;
        std::string extended;
        std::string layer;
        std::string system;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "layer's table first", 12029, "", "Cannot connect", "System text", "Cannot connect" },
        { "system when the layer has none", 12029, "", "", "System text", "System text" },
        { "number when neither has one", 12029, "", "", "", "Error Code:12029" },
        { "extended error: the server's text", 12003, "550 Denied", "Extended error", "System", "550 Denied" },
        { "extended error without text: the number", 12003, "", "Extended error", "System", "Error Code:12003" },
        { "other codes ignore the server's text", 12002, "550 Denied", "Timed out", "", "Timed out" },
        { "long texts are cut", 12045, "", std::string(300, 'd'), "", std::string(255, 'd') },
        { "255 bytes stay whole", 12045, "", "", std::string(255, 's'), std::string(255, 's') },
        { "a small code", 5, "", "", "", "Error Code:5" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakeInternetErrorTexts texts;
        texts.extended = c.extended;
        if (!c.layer.empty()) {
            texts.layer[c.code] = c.layer;
        }
        if (!c.system.empty()) {
            texts.system[c.code] = c.system;
        }
        EXPECT_EQ(InternetErrorMessage(texts, c.code), c.expected);
    }
}

TEST(InternetErrorTest, OnlyCannotConnectBringsTheConnectionDialogAfterTheRelease)
{
    struct Case {
        InternetError code;
        bool answer;
        bool retry;
        std::vector<std::string> journal;
    };
    const std::string dialog = "connection dialog no connection [try again] [give up]";
    const std::vector<Case> cases = {
        { 12029, true, true, { "message Error!: Error Code:12029", "released", dialog } },
        { 12029, false, false, { "message Error!: Error Code:12029", "released", dialog } },
        { 12045, true, false, { "message Error!: Error Code:12045", "released" } },
        { 12007, true, false, { "message Error!: Error Code:12007", "released" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ExchangeRig rig;
        rig.dialogs.retryAnswers = { c.answer };
        const InternetErrorReporter reporter { rig.window, rig.dialogs, rig.errorTexts, testing::RigInfoAndErrorTexts };

        const bool retry = ReportInternetError(reporter, c.code, [&] { rig.journal.emplace_back("released"); });

        EXPECT_EQ(retry, c.retry);
        EXPECT_EQ(rig.journal, c.journal);
    }
}

TEST(InternetErrorTest, MissingTextListLeavesTheConnectionDialogEmpty)
{
    ExchangeRig rig;
    const InternetErrorReporter reporter { rig.window, rig.dialogs, rig.errorTexts, "" };

    ReportInternetError(reporter, 12029, nullptr);

    EXPECT_THAT(rig.journal, ElementsAre("message Error!: Error Code:12029", "connection dialog  [] []"));
}

} // namespace
} // namespace gsd

#include "texts/InterfaceTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMediaEngine.h"
#include "fakes/FakeOptionsFile.h"

namespace gsd {
namespace {

using Journal = std::vector<std::string>;
using Column = testing::FakeListView::Column;

// "<prefix>0|<prefix>1|...|<prefix>17": every main-dialog text names its field.
std::string MainDialogTexts(const std::string& prefix)
{
    std::string texts;
    for (int i = 0; i <= 17; ++i) {
        texts += (i ? "|" : "") + prefix + std::to_string(i);
    }
    return texts;
}

class LoadInterfaceTextsTest : public ::testing::Test {
protected:
    LoadInterfaceTextsTest()
    {
        auto& language = engine.files["Language.mdc"];
        language[{ "", "Gravelpit Languages" }] = "unused|English|Francais|Deutsch";
        language[{ "", "Gravelpit DU Main Dialog" }] = MainDialogTexts("neutral");
        language[{ "English", "Gravelpit DU Main Dialog" }] = MainDialogTexts("en");
        language[{ "Francais", "Gravelpit DU Main Dialog" }] = MainDialogTexts("fr");
        language[{ "Deutsch", "Gravelpit DU Main Dialog" }] = MainDialogTexts("de");
        language[{ "", "Gravelpit DU Info And Errors" }] = "i0|i1|i2|i3";
        language[{ "Deutsch", "Gravelpit DU On Download" }] = "d0|d1|d2";
    }

    void SetIndex(std::string bytes) { options.bytes = std::move(bytes); }

    Journal journal;
    testing::FakeMainWindow window { journal };
    testing::FakeMediaEngine engine { journal };
    testing::FakeOptionsFile options;
    MainDialogState state;
};

TEST_F(LoadInterfaceTextsTest, IndexSelectsTheLanguageOfCaptionAndControls)
{
    struct Case {
        std::string optionsBytes;
        std::string prefix;
    };
    const std::vector<Case> cases = {
        { "", "en" },
        { std::string("\x01\x00\x00\x00", 4), "fr" },
        { std::string("\x02", 1), "de" },
        // Field 0 of the language list is no language: the neutral texts.
        { "\xFF\xFF\xFF\xFF", "neutral" },
        // Beyond the list: the empty name, so the neutral texts as well.
        { std::string("\x07", 1), "neutral" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        Journal cleared;
        testing::FakeMainWindow fresh(cleared);
        SetIndex(c.optionsBytes);
        LoadInterfaceTexts(engine, fresh, options, state);
        EXPECT_EQ(fresh.caption, c.prefix + "0");
        EXPECT_EQ(fresh.texts,
            (std::map<int, std::string> {
                { 1010, c.prefix + "1" },
                { 1001, c.prefix + "2" },
                { 1002, c.prefix + "3" },
                { 1003, c.prefix + "4" },
                { 1011, c.prefix + "5" },
                { 1005, c.prefix + "6" },
                { 1006, c.prefix + "7" },
                { 9, c.prefix + "8" },
                { 1, c.prefix + "9" },
            }));
    }
}

TEST_F(LoadInterfaceTextsTest, BothListsGetFullRowSelectAndTheirColumns)
{
    LoadInterfaceTexts(engine, window, options, state);
    EXPECT_TRUE(window.localList.fullRowSelect);
    EXPECT_TRUE(window.serverList.fullRowSelect);
    EXPECT_EQ(window.localList.columns,
        (std::vector<Column> { { 0, "en10", 75 }, { 1, "en11", 80 }, { 2, "en12", 65 }, { 3, "en13", 80 },
            { 4, "en14", 110 }, { 5, "en15", 80 }, { 6, "en17", 70 } }));
    EXPECT_EQ(window.serverList.columns,
        (std::vector<Column> { { 0, "en10", 75 }, { 1, "en11", 80 }, { 2, "en12", 65 }, { 3, "en13", 80 },
            { 4, "en14", 110 }, { 5, "en15", 80 }, { 6, "en16", 95 }, { 7, "en17", 70 } }));
}

TEST_F(LoadInterfaceTextsTest, ColumnsAreAsWideAsTheDialogsDpiMakesThem)
{
    window.dpi = 144;
    LoadInterfaceTexts(engine, window, options, state);
    EXPECT_EQ(window.serverList.columns,
        (std::vector<Column> { { 0, "en10", 113 }, { 1, "en11", 120 }, { 2, "en12", 98 }, { 3, "en13", 120 },
            { 4, "en14", 165 }, { 5, "en15", 120 }, { 6, "en16", 143 }, { 7, "en17", 105 } }));
    ASSERT_EQ(window.localList.columns.size(), 7U);
    EXPECT_EQ(window.localList.columns[6], (Column { 6, "en17", 105 }));
}

TEST_F(LoadInterfaceTextsTest, KeepsBothTextListsWholeInTheChosenLanguage)
{
    SetIndex(std::string("\x02", 1));
    LoadInterfaceTexts(engine, window, options, state);
    EXPECT_EQ(state.InfoAndErrorTexts, "i0|i1|i2|i3");
    EXPECT_EQ(state.OnDownloadTexts, "d0|d1|d2");
}

TEST_F(LoadInterfaceTextsTest, IsOneReadingPass)
{
    LoadInterfaceTexts(engine, window, options, state);
    EXPECT_EQ(journal, (Journal { "CreateReader", "Release", "ExecuteSystem", "repaint" }));
    EXPECT_EQ(engine.readersAlive, 0);
}

TEST_F(LoadInterfaceTextsTest, MissingOptionsFileIsCreatedAndTheFirstLanguageUsed)
{
    LoadInterfaceTexts(engine, window, options, state);
    EXPECT_EQ(options.bytes, std::optional<std::string>(""));
    EXPECT_EQ(window.caption, "en0");
}

TEST_F(LoadInterfaceTextsTest, MissingLanguageFileLeavesEveryTextEmpty)
{
    engine.files.clear();
    state.InfoAndErrorTexts = "stale";
    LoadInterfaceTexts(engine, window, options, state);
    EXPECT_EQ(window.caption, "");
    EXPECT_EQ(window.texts.at(1010), "");
    ASSERT_EQ(window.localList.columns.size(), 7U);
    EXPECT_EQ(window.localList.columns[6], (Column { 6, "", 70 }));
    EXPECT_EQ(state.InfoAndErrorTexts, "");
    EXPECT_EQ(state.OnDownloadTexts, "");
}

TEST_F(LoadInterfaceTextsTest, RefusedReaderLeavesControlsListsAndTextsAlone)
{
    engine.refuseReader = true;
    LoadInterfaceTexts(engine, window, options, state);
    EXPECT_EQ(
        journal, (Journal { "CreateReader", "message Error!: Error while Loading Media Resource", "post close" }));
    EXPECT_TRUE(window.texts.empty());
    EXPECT_TRUE(window.localList.columns.empty());
    EXPECT_TRUE(window.serverList.columns.empty());
    EXPECT_FALSE(window.localList.fullRowSelect);
    EXPECT_EQ(state.InfoAndErrorTexts, "");
    EXPECT_EQ(state.OnDownloadTexts, "");
}

} // namespace
} // namespace gsd

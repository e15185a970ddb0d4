#include "download/DownloadRecords.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeMainWindow.h"
#include "fakes/FakeRecordStore.h"

namespace gsd {
namespace {

using ::testing::ElementsAre;
using Journal = std::vector<std::string>;

constexpr const char* KeyMissing = "message Notice: Registry key missing.";

struct RecordsTest : ::testing::Test {
    // Server rows with the given file names in column 5.
    void Rows(const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            window.serverList.rows.push_back({ "kind", "title", "", "", "", name });
        }
    }

    Journal journal;
    testing::FakeMainWindow window { journal };
    testing::FakeRecordStore store;
};

TEST_F(RecordsTest, SelectionReplacesEveryRecordAndLeavesOtherValues)
{
    struct Case {
        const char* name;
        std::vector<StoredValue> before;
        std::vector<int> selectedRows;
        std::vector<std::string> after;
    };
    const std::vector<Case> cases = {
        { "fewer rows than old records",
            { { "Secure Download Item 1", "Old1" }, { "Screen Width", "800" }, { "Secure Download Item 2", "Old2" },
                { "Secure Download Item 3", "Old3" } },
            { 1 }, { "Screen Width=800", "Secure Download Item 1=B" } },
        { "prefix anywhere in the name, and names without it",
            { { "Old Secure Download Item 9", "X" }, { "Secure Download Item", "no blank" },
                { "secure download item 1", "other case" } },
            { 0, 2 },
            { "Secure Download Item=no blank", "secure download item 1=other case", "Secure Download Item 1=A",
                "Secure Download Item 2=C" } },
        { "nothing selected clears", { { "Secure Download Item 4", "Old" } }, {}, {} },
        { "two rows with one file name give two records", {}, { 1, 3 },
            { "Secure Download Item 1=B", "Secure Download Item 2=B" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        journal.clear();
        window.serverList = testing::FakeListView(true);
        Rows({ "A", "B", "C", "B" });
        window.serverList.selected = c.selectedRows;
        store.values = c.before;

        RecordSelection(store, window);

        EXPECT_EQ(store.Pairs(), c.after);
        EXPECT_TRUE(journal.empty());
        EXPECT_EQ(store.keysOpen, 0);
    }
}

TEST_F(RecordsTest, ClearingEndsWhenDeletesAreRefusedAndSaysSoOnce)
{
    struct Case {
        std::vector<std::string> refused;
        std::string message;
    };
    const std::vector<Case> cases = {
        { { "Secure Download Item 2" },
            "message Notice: The old download record \"Secure Download Item 2\" could not be removed from the "
            "registry.  The items they name may be downloaded again." },
        { { "Secure Download Item 2", "Secure Download Item 3" },
            "message Notice: The old download record \"Secure Download Item 2\" and 1 more could not be removed "
            "from the registry.  The items they name may be downloaded again." },
    };
    for (const Case& c : cases) {
        journal.clear();
        store.values = { { "Secure Download Item 1", "Old1" }, { "Secure Download Item 2", "Old2" },
            { "Secure Download Item 3", "Old3" }, { "Secure Download Item 4", "Old4" } };
        store.undeletable = { c.refused.begin(), c.refused.end() };

        RecordSelection(store, window);

        EXPECT_EQ(store.values.size(), c.refused.size());
        EXPECT_THAT(journal, ElementsAre(c.message));
    }
}

TEST_F(RecordsTest, RecordsComeInWritingOrderAlsoFromAStoreSortedByName)
{
    for (const bool sortedByName : { false, true }) {
        SCOPED_TRACE(sortedByName ? "sorted by name" : "writing order");
        window.serverList = testing::FakeListView(false);
        std::vector<std::string> names;
        for (int i = 0; i < 12; ++i) {
            names.push_back("Pack" + std::to_string(i));
            window.serverList.selected.push_back(i);
        }
        Rows(names);
        store.values = {};
        store.sortedByName = sortedByName;
        RecordSelection(store, window);
        std::string list;

        std::vector<std::string> fetched;
        for (std::string name = NextRecordedKey(store, window); !name.empty(); name = NextRecordedKey(store, window)) {
            fetched.push_back(name);
            RetireItem(store, window, list, name);
        }

        EXPECT_EQ(fetched, names);
    }
}

TEST_F(RecordsTest, NextRecordedKeyPassesOverEmptyAndSkippedNames)
{
    store.values = { { "Secure Download Item 1", "" }, { "Secure Download Item 2", "A" },
        { "Secure Download Item 3", "B" }, { "Other", "C" } };
    EXPECT_EQ(NextRecordedKey(store, window), "A");
    EXPECT_EQ(NextRecordedKey(store, window, { "A" }), "B");
    EXPECT_EQ(NextRecordedKey(store, window, { "A", "B" }), "");
}

TEST_F(RecordsTest, RetireItemForgetsOneRecordOneLineAndOneRow)
{
    struct Case {
        const char* name;
        std::vector<StoredValue> before;
        std::vector<std::string> after;
    };
    const std::vector<Case> cases = {
        { "one of two records with the name", { { "Secure Download Item 1", "B" }, { "Secure Download Item 2", "B" } },
            { "Secure Download Item 2=B" } },
        { "no record: only the line and the row", { { "Secure Download Item 1", "A" } },
            { "Secure Download Item 1=A" } },
        { "a value that is no record keeps its data", { { "Last Pack", "B" } }, { "Last Pack=B" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.serverList = testing::FakeListView(false);
        Rows({ "A", "B", "B" });
        store.values = c.before;
        std::string list = "3|Alpha|A|Ann|a|n|1|0|0|1\r\n3|Beta|B|Bob|b|n|1|2|3|1\r\n2|Beta2|B|Bob||||||\r\n\r\n"
                           "3|Late|B\r\n";

        EXPECT_TRUE(RetireItem(store, window, list, "B"));

        EXPECT_EQ(store.Pairs(), c.after);
        EXPECT_EQ(list,
            "3|Alpha|A|Ann|a|n|1|0|0|1\r\n0|Beta||Bob|b|n|1|2|3|1\r\n2|Beta2|B|Bob||||||\r\n\r\n"
            "3|Late|B\r\n");
        EXPECT_EQ(window.serverList.RowCount(), 2);
        EXPECT_EQ(window.serverList.CellText(1, FileNameColumn), "B");
    }
}

TEST_F(RecordsTest, MissingKeyIsReportedAndRetiringStillDoesItsListWork)
{
    store.missing = true;
    Rows({ "A" });
    window.serverList.selected = { 0 };
    std::string list = "3|Alpha|A\r\n";

    RecordSelection(store, window);
    EXPECT_EQ(NextRecordedKey(store, window), "");
    ReselectRecordedItems(store, window);
    EXPECT_TRUE(RetireItem(store, window, list, "A"));

    EXPECT_EQ(journal, Journal(4, KeyMissing));
    EXPECT_EQ(list, "0|Alpha|\r\n");
    EXPECT_EQ(window.serverList.RowCount(), 0);
}

TEST_F(RecordsTest, ReselectionSelectsTheFirstRowOfEachRecord)
{
    struct Case {
        const char* name;
        std::vector<StoredValue> records;
        std::vector<int> selected;
    };
    const std::vector<Case> cases = {
        { "no records select nothing", { { "Other", "A" } }, { 0 } },
        { "first matching row, unknown names ignored",
            { { "Secure Download Item 1", "C" }, { "Secure Download Item 2", "Gone" },
                { "Secure Download Item 3", "B" } },
            { 0, 2, 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.serverList = testing::FakeListView(false);
        Rows({ "A", "B", "C", "B" });
        window.serverList.selected = { 0 };
        store.values = c.records;

        ReselectRecordedItems(store, window);

        EXPECT_EQ(window.serverList.selected, c.selected);
    }
}

} // namespace
} // namespace gsd

#include "download/InstalledMediaRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeRecordStore.h"

namespace gsd {
namespace {

const std::string Hex64 = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
const std::string Hex63 = Hex64.substr(1);

TEST(InstalledMediaRecordsTest, ValuesAreTakenOnlyWhenWhollyGood)
{
    struct Case {
        const char* why;
        std::string name;
        std::string data;
        bool taken;
    };
    const std::vector<Case> cases = {
        { "a good record", "Bricks.mdc", "1000|132000000000000000|" + Hex64, true },
        { "marked damaged", "Bricks.mdc", "1000|5|" + Hex64 + "|damaged", true },
        { "extension in capitals", "BRICKS.MDC", "1|5|" + Hex64, true },
        { "the largest size and time", "A.mdc", "17592186044416|9223372036854775807|" + Hex64, true },
        { "size beyond the bound", "A.mdc", "17592186044417|5|" + Hex64, false },
        { "time beyond the bound", "A.mdc", "1|9223372036854775808|" + Hex64, false },
        { "a number past 64 bits", "A.mdc", "1|99999999999999999999999|" + Hex64, false },
        { "a signed size", "A.mdc", "-1|5|" + Hex64, false },
        { "an empty time", "A.mdc", "1||" + Hex64, false },
        { "digest one digit short", "A.mdc", "1|5|" + Hex63, false },
        { "digest one digit long", "A.mdc", "1|5|" + Hex64 + "0", false },
        { "digest not hex", "A.mdc", "1|5|" + Hex63 + "g", false },
        { "another mark", "A.mdc", "1|5|" + Hex64 + "|sound", false },
        { "a field too many", "A.mdc", "1|5|" + Hex64 + "|damaged|", false },
        { "fields missing", "A.mdc", "1|5", false },
        { "not a media file", "Bricks.exe", "1|5|" + Hex64, false },
        { "the extension alone", ".mdc", "1|5|" + Hex64, false },
        { "a path into the game folder", "..\\Game.dll.mdc", "1|5|" + Hex64, false },
        { "a sub-folder", "Sub\\A.mdc", "1|5|" + Hex64, false },
        { "a drive", "C:A.mdc", "1|5|" + Hex64, false },
        { "a device", "NUL.mdc", "1|5|" + Hex64, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ParseInstalledRecord(c.name, c.data).has_value(), c.taken);
    }
}

TEST(InstalledMediaRecordsTest, DataIsWrittenAsItIsRead)
{
    InstalledRecord record { "Bricks.mdc", { 1000, 132000000000000000 }, {}, false };
    record.digest[0] = 0xAB;
    record.digest[31] = 0x0F;
    const std::string digest = "ab" + std::string(60, '0') + "0f";
    EXPECT_EQ(InstalledRecordData(record), "1000|132000000000000000|" + digest);
    record.damaged = true;
    EXPECT_EQ(InstalledRecordData(record), "1000|132000000000000000|" + digest + "|damaged");

    const std::optional<InstalledRecord> read = ParseInstalledRecord("Bricks.mdc", InstalledRecordData(record));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->facts.size, 1000u);
    EXPECT_EQ(read->facts.lastWrite, 132000000000000000u);
    EXPECT_EQ(read->digest, record.digest);
    EXPECT_TRUE(read->damaged);
}

TEST(InstalledMediaRecordsTest, ReadingRemovesEveryBadValue)
{
    testing::FakeRecordStore store;
    store.values = {
        { "Bricks.mdc", "1|5|" + Hex64 },
        { "Canals.mdc", "1|5|" + Hex63 },
        { "..\\..\\Windows\\evil.mdc", "1|5|" + Hex64 },
        { "Stones.mdc", "2|6|" + Hex64 + "|damaged" },
    };
    const std::vector<InstalledRecord> records = ReadInstalledRecords(store);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].fileName, "Bricks.mdc");
    EXPECT_EQ(records[1].fileName, "Stones.mdc");
    EXPECT_EQ(store.Pairs(),
        (std::vector<std::string> { "Bricks.mdc=1|5|" + Hex64, "Stones.mdc=2|6|" + Hex64 + "|damaged" }));
    EXPECT_EQ(store.keysOpen, 0);
}

TEST(InstalledMediaRecordsTest, RecordsAreBounded)
{
    testing::FakeRecordStore store;
    for (std::size_t i = 0; i <= MaxInstalledRecords; ++i) {
        store.values.push_back({ "P" + std::to_string(i) + ".mdc", "1|5|" + Hex64 });
    }
    const InstalledRecord extra { "Extra.mdc", { 1, 5 }, {}, false };
    // A full store takes no new name, but a known one is still rewritten.
    store.values.pop_back();
    EXPECT_FALSE(WriteInstalledRecord(store, extra));
    EXPECT_TRUE(WriteInstalledRecord(store, { "P0.mdc", { 2, 6 }, {}, false }));
    EXPECT_EQ(store.values.size(), MaxInstalledRecords);

    // One too many read: the one past the bound goes.
    store.values.push_back({ "Last.mdc", "1|5|" + Hex64 });
    EXPECT_EQ(ReadInstalledRecords(store).size(), MaxInstalledRecords);
    EXPECT_EQ(store.values.size(), MaxInstalledRecords);
    EXPECT_EQ(store.values.back().name, "P4095.mdc");
}

TEST(InstalledMediaRecordsTest, AStoreThatCannotBeOpenedHoldsNoRecords)
{
    testing::FakeRecordStore store;
    store.missing = true;
    EXPECT_TRUE(ReadInstalledRecords(store).empty());
    EXPECT_FALSE(WriteInstalledRecord(store, { "A.mdc", { 1, 5 }, {}, false }));
}

} // namespace
} // namespace gsd

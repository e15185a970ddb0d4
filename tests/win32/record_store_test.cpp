// The registry record store against Wine's real registry, in a scratch key
// under HKEY_CURRENT_USER that each test makes and removes. The tests read
// and write the key with the registry functions themselves, never through
// the store they check.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/Win32RecordStore.h"

namespace gsd {
namespace {

struct RawValue {
    DWORD type = REG_NONE;
    std::string bytes;

    bool operator==(const RawValue&) const = default;
};

class RecordStoreOnWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        subkey_ = "Software\\GsdTests\\RecordStore" + std::to_string(GetCurrentProcessId()) + "_"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(RegCreateKeyExA(
                      HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr),
            ERROR_SUCCESS);
    }

    void TearDown() override
    {
        key_.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str());
    }

    Win32RecordStore Store() const { return Win32RecordStore(HKEY_CURRENT_USER, subkey_); }

    void WriteRaw(const std::string& name, DWORD type, const std::string& bytes) const
    {
        ASSERT_EQ(RegSetValueExA(key_.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                      static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
    }

    // The value as stored, byte count included; nullopt when there is none.
    std::optional<RawValue> ReadRaw(const std::string& name) const
    {
        RawValue value;
        std::vector<char> buffer(4096);
        DWORD size = static_cast<DWORD>(buffer.size());
        if (RegQueryValueExA(
                key_.get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(buffer.data()), &size)
            != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.bytes.assign(buffer.data(), size);
        return value;
    }

    std::string subkey_;
    unique_hkey key_;
};

// Every value the store enumerates, by name: Wine enumerates by name, not
// in writing order, so no test here depends on the order.
std::map<std::string, std::string> AllValues(RecordStoreKey& key)
{
    std::map<std::string, std::string> values;
    for (int index = 0;; ++index) {
        const std::optional<StoredValue> value = key.ValueAt(index);
        if (!value) {
            break;
        }
        values.emplace(value->name, value->data);
    }
    return values;
}

TEST_F(RecordStoreOnWine, WrittenValueIsStoredWithItsZeroEnumeratedAndDeletedLeavingOthersAlone)
{
    const RawValue installPath { REG_SZ, std::string("C:\\Games\\Gravelpit\0", 19) };
    const RawValue version { REG_DWORD, std::string("\x04\x01\0\0", 4) };
    WriteRaw("InstallPath", installPath.type, installPath.bytes);
    WriteRaw("Version", version.type, version.bytes);

    const auto writer = Store().Open(RecordStore::Access::ReadWrite);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(writer->SetValue("Secure Download Item 1", "Bricks.mdc"));
    // Wine adds a missing terminating zero itself, so only Windows can fail
    // this check; it states what the store must write all the same.
    EXPECT_EQ(ReadRaw("Secure Download Item 1"), (RawValue { REG_SZ, std::string("Bricks.mdc\0", 11) }));

    const auto reader = Store().Open(RecordStore::Access::Read);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(AllValues(*reader),
        (std::map<std::string, std::string> { { "InstallPath", "C:\\Games\\Gravelpit" },
            { "Secure Download Item 1", "Bricks.mdc" }, { "Version", "" } }));

    EXPECT_TRUE(writer->DeleteValue("Secure Download Item 1"));
    EXPECT_EQ(ReadRaw("Secure Download Item 1"), std::nullopt);
    EXPECT_FALSE(writer->DeleteValue("Secure Download Item 1")) << "nothing left to delete";
    EXPECT_EQ(ReadRaw("InstallPath"), installPath);
    EXPECT_EQ(ReadRaw("Version"), version);
}

TEST_F(RecordStoreOnWine, OnlyStringDataIsTakenAsTextUpToItsFirstZero)
{
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
        std::string data;
    };
    const std::vector<Case> cases {
        { "String", REG_SZ, std::string("Canals.mdc\0junk\0", 16), "Canals.mdc" },
        { "Number", REG_DWORD, std::string("\x41\x42\x43\0", 4), "" },
        { "Binary", REG_BINARY, "Quarry.mdc", "" },
        { "Expandable", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9), "" },
        { "List", REG_MULTI_SZ, std::string("a\0b\0\0", 5), "" },
    };
    for (const Case& c : cases) {
        WriteRaw(c.name, c.type, c.bytes);
    }
    const auto key = Store().Open(RecordStore::Access::Read);
    ASSERT_NE(key, nullptr);
    const auto values = AllValues(*key);
    ASSERT_EQ(values.size(), cases.size());
    for (const Case& c : cases) {
        ASSERT_EQ(values.count(c.name), 1U) << c.name;
        EXPECT_EQ(values.at(c.name), c.data) << c.name;
    }
}

TEST_F(RecordStoreOnWine, LongNamesAndDataAreCutAt259Bytes)
{
    struct Case {
        std::string name;
        std::string data;
        std::string readName;
        std::string readData;
    };
    const std::string name259 = "Secure Download Item " + std::string(238, 'n');
    const std::string data259 = std::string(255, 'd') + ".mdc";
    const std::vector<Case> cases {
        { name259, data259, name259, data259 },
        { "Short", data259 + "X", "Short", data259 },
        { "Longer", data259 + std::string(1000, 'X'), "Longer", data259 },
        { name259 + "Y", "Sounds.mdc", name259, "Sounds.mdc" },
        { name259 + std::string(500, 'Z'), data259 + "X", name259, data259 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.size());
        SCOPED_TRACE(c.data.size());
        RegDeleteTreeA(key_.get(), nullptr);
        WriteRaw(c.name, REG_SZ, c.data + '\0');
        // A value before and after it: a long value must not disturb its
        // neighbours' reading.
        WriteRaw("A", REG_SZ, std::string("first\0", 6));
        WriteRaw("z", REG_SZ, std::string("last\0", 5));

        const auto key = Store().Open(RecordStore::Access::Read);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(AllValues(*key),
            (std::map<std::string, std::string> { { "A", "first" }, { c.readName, c.readData }, { "z", "last" } }));
    }
}

TEST_F(RecordStoreOnWine, MissingKeyOpensAsNullAndIsNotCreated)
{
    const std::string missing = subkey_ + "\\Missing";
    Win32RecordStore store(HKEY_CURRENT_USER, missing);

    EXPECT_EQ(store.Open(RecordStore::Access::Read), nullptr);
    EXPECT_EQ(store.Open(RecordStore::Access::ReadWrite), nullptr);
    unique_hkey probe;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, probe.put()), ERROR_FILE_NOT_FOUND);
}

TEST_F(RecordStoreOnWine, AStoreThatCreatesItsKeyDoesSoOnlyForWriting)
{
    const std::string missing = subkey_ + "\\Installed";
    Win32RecordStore store(HKEY_CURRENT_USER, missing, true);

    EXPECT_EQ(store.Open(RecordStore::Access::Read), nullptr);
    const auto key = store.Open(RecordStore::Access::ReadWrite);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->SetValue("Bricks.mdc", "1|2|3"));
    const auto again = store.Open(RecordStore::Access::Read);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(AllValues(*again), (std::map<std::string, std::string> { { "Bricks.mdc", "1|2|3" } }));
}

TEST_F(RecordStoreOnWine, KeyOpenedForReadingRefusesChanges)
{
    WriteRaw("Secure Download Item 1", REG_SZ, std::string("Bricks.mdc\0", 11));
    const auto key = Store().Open(RecordStore::Access::Read);
    ASSERT_NE(key, nullptr);

    EXPECT_FALSE(key->SetValue("Secure Download Item 2", "Canals.mdc"));
    EXPECT_FALSE(key->DeleteValue("Secure Download Item 1"));
    EXPECT_EQ(ReadRaw("Secure Download Item 2"), std::nullopt);
    EXPECT_NE(ReadRaw("Secure Download Item 1"), std::nullopt);
}

} // namespace
} // namespace gsd

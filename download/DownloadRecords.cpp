#include "download/DownloadRecords.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "download/DownloadTexts.h"
#include "protocol/DownloadItem.h"
#include "protocol/FieldList.h"

namespace gsd {
namespace {

constexpr std::string_view KeyMissingText = "Registry key missing.";

bool IsRecordName(std::string_view name)
{
    return name.find(RecordNamePrefix) != std::string_view::npos;
}

// The number written after the prefix; records without one sort last.
std::uint64_t RecordNumber(std::string_view name)
{
    constexpr std::uint64_t none = std::numeric_limits<std::uint64_t>::max();
    const std::size_t at = name.find(RecordNamePrefix) + RecordNamePrefix.size();
    std::uint64_t number = 0;
    std::size_t digits = 0;
    for (std::size_t i = at; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i, ++digits) {
        // Held below `none`, so an overlong number still sorts before no number.
        number = std::min(number * 10 + static_cast<std::uint64_t>(name[i] - '0'), none / 10);
    }
    return digits == 0 ? none : number;
}

std::unique_ptr<RecordStoreKey> OpenOrReport(RecordStore& store, RecordStore::Access access, MainWindow& window)
{
    std::unique_ptr<RecordStoreKey> key = store.Open(access);
    if (!key) {
        window.ShowMessage(KeyMissingText, NoticeCaption, MessageButtons::Ok);
    }
    return key;
}

// Every record of the key, read in one walk, in the order of their numbers.
std::vector<StoredValue> ReadRecords(RecordStoreKey& key)
{
    std::vector<StoredValue> records;
    for (int index = 0;; ++index) {
        std::optional<StoredValue> value = key.ValueAt(index);
        if (!value) {
            break;
        }
        if (IsRecordName(value->name)) {
            records.push_back(std::move(*value));
        }
    }
    std::stable_sort(records.begin(), records.end(),
        [](const StoredValue& a, const StoredValue& b) { return RecordNumber(a.name) < RecordNumber(b.name); });
    return records;
}

int FindServerRow(ListView& list, std::string_view fileName)
{
    for (int row = 0; row < list.RowCount(); ++row) {
        if (list.CellText(row, FileNameColumn) == fileName) {
            return row;
        }
    }
    return -1;
}

void RetireDownloadListLine(std::string& downloadListText, std::string_view fileName)
{
    const std::vector<std::string_view> lines = ListLines(downloadListText);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (GetField(lines[index], DownloadItemField::FileName, FieldSeparator) == fileName) {
            std::string line = SetField(lines[index], DownloadItemField::Kind, "0", FieldSeparator);
            line = SetField(line, DownloadItemField::FileName, "", FieldSeparator);
            downloadListText = SetField(downloadListText, static_cast<int>(index), line, LineSeparator);
            return;
        }
    }
}

} // namespace

int RecordSelection(RecordStore& store, MainWindow& window)
{
    ListView& list = window.ServerList();
    const std::unique_ptr<RecordStoreKey> key = OpenOrReport(store, RecordStore::Access::ReadWrite, window);
    if (!key) {
        return list.SelectedRowCount();
    }
    // Read first, delete by name afterwards: no walk over indices that the
    // deletions shift, so a refused deletion cannot keep the loop going.
    std::string firstKept;
    int kept = 0;
    for (const StoredValue& record : ReadRecords(*key)) {
        if (!key->DeleteValue(record.name)) {
            if (kept++ == 0) {
                firstKept = record.name;
            }
        }
    }
    // A row whose record is refused (no rights, a full hive) is not fetched:
    // the pass only fetches what the records name.
    std::string firstUnrecorded;
    int unrecorded = 0;
    int number = 1;
    for (int row = list.NextSelectedRow(-1); row >= 0; row = list.NextSelectedRow(row)) {
        std::string fileName = list.CellText(row, FileNameColumn);
        if (!key->SetValue(std::string(RecordNamePrefix) + std::to_string(number++), fileName)) {
            if (unrecorded++ == 0) {
                firstUnrecorded = std::move(fileName);
            }
        }
    }
    if (kept > 0) {
        window.ShowMessage("The old download record \"" + firstKept + "\""
                + (kept > 1 ? " and " + std::to_string(kept - 1) + " more" : std::string())
                + " could not be removed from the registry.  The items they name may be downloaded again.",
            NoticeCaption, MessageButtons::Ok);
    }
    if (unrecorded > 0) {
        window.ShowMessage("The download of \"" + firstUnrecorded + "\""
                + (unrecorded > 1 ? " and " + std::to_string(unrecorded - 1) + " more" : std::string())
                + " could not be recorded in the registry, so it is not done now.  Select it again later.",
            NoticeCaption, MessageButtons::Ok);
    }
    return unrecorded;
}

std::string NextRecordedKey(RecordStore& store, MainWindow& window, const std::set<std::string>& skipped)
{
    const std::unique_ptr<RecordStoreKey> key = OpenOrReport(store, RecordStore::Access::Read, window);
    if (!key) {
        return {};
    }
    for (StoredValue& record : ReadRecords(*key)) {
        // An empty name would read as "no record left" and end the download.
        if (!record.data.empty() && !skipped.contains(record.data)) {
            return std::move(record.data);
        }
    }
    return {};
}

bool RetireItem(RecordStore& store, MainWindow& window, std::string& downloadListText, std::string_view fileName)
{
    bool removed = true;
    if (const std::unique_ptr<RecordStoreKey> key = OpenOrReport(store, RecordStore::Access::ReadWrite, window)) {
        const std::vector<StoredValue> records = ReadRecords(*key);
        const auto record = std::find_if(
            records.begin(), records.end(), [&](const StoredValue& value) { return value.data == fileName; });
        if (record != records.end()) {
            removed = key->DeleteValue(record->name);
        }
    }
    RetireDownloadListLine(downloadListText, fileName);
    ListView& list = window.ServerList();
    if (const int row = FindServerRow(list, fileName); row >= 0) {
        list.DeleteRow(row);
    }
    return removed;
}

void ReselectRecordedItems(RecordStore& store, MainWindow& window)
{
    const std::unique_ptr<RecordStoreKey> key = OpenOrReport(store, RecordStore::Access::Read, window);
    if (!key) {
        return;
    }
    ListView& list = window.ServerList();
    for (const StoredValue& record : ReadRecords(*key)) {
        if (list.RowCount() == 0) {
            break;
        }
        if (const int row = FindServerRow(list, record.data); row >= 0) {
            list.SelectRow(row);
        }
    }
}

} // namespace gsd

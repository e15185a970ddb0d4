// Feeds arbitrary reply bytes to everything that reads the download list as
// the program keeps it: its lines, the server's list filled from them, the
// program upgrade looked for, and every item retired in turn the way a
// download pass retires it. Besides not crashing, the list keeps its shape:
// one row per line, a retired line stays in its place with only its kind and
// file name changed, and the upgrade pass always ends.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ServerListRows.h"
#include "download/DownloadRecords.h"
#include "download/DownloadSelections.h"
#include "download/Selection.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeRecordStore.h"
#include "protocol/DecimalNumber.h"
#include "protocol/DownloadItem.h"
#include "protocol/FieldList.h"
#include "res/resource.h"
#include "FuzzRequire.h"

namespace {

using gsd::testing::FakeMainWindow;
using gsd::testing::FakeRecordStore;

constexpr std::string_view OnDownloadTexts
    = "Nothing here|Nothing to fetch|Program|Language file|Object pack|Upgrade|Unknown";

// Retiring is checked against the whole list each time; beyond this many
// items a run only gets slower, not more thorough.
constexpr std::size_t MostItemsRetired = 64;

using gsd::fuzz::Require;

std::vector<std::string> Copies(const std::vector<std::string_view>& views)
{
    return { views.begin(), views.end() };
}

std::string FileNameOf(std::string_view line)
{
    return gsd::GetField(line, gsd::DownloadItemField::FileName, gsd::FieldSeparator);
}

// What follows the listed lines: the first empty line and everything after it.
std::string_view Tail(std::string_view text, const std::vector<std::string_view>& lines)
{
    std::size_t listed = 0;
    for (const std::string_view line : lines) {
        listed += line.size() + gsd::LineSeparator.size();
    }
    return listed < text.size() ? text.substr(listed) : std::string_view();
}

void CheckLines(const std::vector<std::string_view>& lines)
{
    for (const std::string_view line : lines) {
        Require(!line.empty());
        Require(line.find(gsd::LineSeparator) == std::string_view::npos);
    }
}

// Every line becomes one row of eight texts, but for a line whose file name
// an earlier line has, and the list holds exactly those rows (in its own
// order).
void CheckServerList(const FakeMainWindow& window, const std::vector<std::string_view>& lines, int listed)
{
    std::multiset<std::vector<std::string>> expected;
    std::set<std::string> names;
    for (const std::string_view line : lines) {
        std::vector<std::string> row = gsd::ServerListRow(line, OnDownloadTexts);
        Require(row.size() == static_cast<std::size_t>(gsd::ServerListColumnCount));
        Require(row[gsd::FileNameColumn] == FileNameOf(line));
        // The language column always says something, "N/A" at least.
        Require(!row[4].empty());
        if (FileNameOf(line).empty() || names.insert(FileNameOf(line)).second) {
            expected.insert(std::move(row));
        }
    }
    Require(listed == static_cast<int>(expected.size()));
    Require(window.enabledControls.at(IDC_DOWNLOAD_SELECTIONS) == !lines.empty());
    const auto& rows = window.serverList.rows;
    if (lines.empty()) {
        Require(rows.size() == 1);
        return;
    }
    Require(std::multiset<std::vector<std::string>>(rows.begin(), rows.end()) == expected);
}

// A found upgrade is the file name of a kind-4 line.
void CheckUpgradeSearch(std::string_view text, const std::vector<std::string_view>& lines)
{
    const std::string key = gsd::FindProgramUpgradeKey(text);
    const bool offered = gsd::HasProgramUpgrade(text);
    Require(offered == !key.empty());
    if (offered) {
        Require(std::any_of(lines.begin(), lines.end(), [&](std::string_view line) {
            return gsd::ItemKindOf(line) == gsd::ItemKind::ProgramUpgrade && FileNameOf(line) == key;
        }));
    }
}

// Retires `name`, which some listed line names and one record holds, and
// checks what changed.
void RetireAndCheck(FakeRecordStore& store, FakeMainWindow& window, std::string& text, const std::string& name)
{
    const std::vector<std::string> before = Copies(gsd::ListLines(text));
    const std::string tailBefore(Tail(text, gsd::ListLines(text)));
    const std::size_t rowsBefore = window.serverList.rows.size();
    // A later line of a name already listed has no row of its own.
    const bool listed = std::any_of(window.serverList.rows.begin(), window.serverList.rows.end(),
        [&](const std::vector<std::string>& row) { return row[gsd::FileNameColumn] == name; });
    const std::size_t recordsBefore = store.values.size();
    const auto retired
        = std::find_if(before.begin(), before.end(), [&](const std::string& line) { return FileNameOf(line) == name; });
    Require(retired != before.end());

    Require(gsd::RetireItem(store, window, text, name));

    const std::vector<std::string_view> afterViews = gsd::ListLines(text);
    const std::vector<std::string> after = Copies(afterViews);
    Require(after.size() == before.size());
    Require(Tail(text, afterViews) == tailBefore);
    const auto at = static_cast<std::size_t>(retired - before.begin());
    for (std::size_t index = 0; index < after.size(); ++index) {
        if (index != at) {
            Require(after[index] == before[index]);
        }
    }
    const std::string& line = after[at];
    Require(gsd::ItemKindOf(line) == gsd::ItemKind::Retired);
    Require(FileNameOf(line).empty());
    const std::size_t fields
        = std::max(gsd::FieldCount(line, gsd::FieldSeparator), gsd::FieldCount(*retired, gsd::FieldSeparator));
    for (int field = 0; field < static_cast<int>(fields); ++field) {
        if (field != gsd::DownloadItemField::Kind && field != gsd::DownloadItemField::FileName) {
            Require(
                gsd::GetField(line, field, gsd::FieldSeparator) == gsd::GetField(*retired, field, gsd::FieldSeparator));
        }
    }
    Require(window.serverList.rows.size() == rowsBefore - (listed ? 1 : 0));
    Require(store.values.size() == recordsBefore - 1);
}

// The download pass: every listed item retired in list order, each with its
// record; afterwards nothing is offered and only rows without a file name
// are left. The store holds one record at a time: what the records hold
// does not change the list's rewriting, and a full store makes every
// retirement read all of it.
void CheckRetiringEverything(std::string_view reply, const std::vector<std::string_view>& lines, FakeMainWindow& window)
{
    std::vector<std::string> names;
    for (const std::string_view line : lines) {
        if (std::string name = FileNameOf(line); !name.empty() && names.size() < MostItemsRetired) {
            names.push_back(std::move(name));
        }
    }
    FakeRecordStore store;
    std::string text(reply);
    for (const std::string& name : names) {
        store.values.push_back({ std::string(gsd::RecordNamePrefix) + "1", name });
        RetireAndCheck(store, window, text, name);
        Require(store.values.empty());
    }
    if (names.size() < MostItemsRetired) {
        Require(!gsd::HasProgramUpgrade(text));
        Require(std::all_of(window.serverList.rows.begin(), window.serverList.rows.end(),
            [](const std::vector<std::string>& row) { return row[gsd::FileNameColumn].empty(); }));
    }
}

// The upgrade pass retires the upgrade it found until none is left; each
// round must retire a line, so it ends within one round per line.
void CheckUpgradePassEnds(std::string_view reply, std::size_t lineCount)
{
    std::vector<std::string> journal;
    FakeMainWindow window(journal);
    FakeRecordStore store;
    std::string text(reply);
    std::size_t rounds = 0;
    for (std::string name = gsd::FindProgramUpgradeKey(text); !name.empty(); name = gsd::FindProgramUpgradeKey(text)) {
        Require(++rounds <= lineCount);
        gsd::RetireItem(store, window, text, name);
    }
    Require(!gsd::HasProgramUpgrade(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> lines = gsd::ListLines(reply);
    CheckLines(lines);

    std::vector<std::string> journal;
    FakeMainWindow window(journal);
    CheckServerList(window, lines, gsd::FillServerList(window, reply, OnDownloadTexts));
    CheckUpgradeSearch(reply, lines);
    for (const std::string_view line : lines) {
        // Any number is a kind; the sign and the digits decide which.
        Require(static_cast<int>(gsd::ItemKindOf(line))
            == gsd::ReadDecimal(gsd::GetField(line, gsd::DownloadItemField::Kind, gsd::FieldSeparator)));
    }
    CheckRetiringEverything(reply, lines, window);
    CheckUpgradePassEnds(reply, lines.size());
    // Nothing in a list is worth a message box.
    Require(journal.empty());
    return 0;
}

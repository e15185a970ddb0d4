#include "catalogue/ServerListRows.h"

#include <cstddef>
#include <unordered_set>

#include "catalogue/DisplayNames.h"
#include "protocol/DecimalNumber.h"
#include "protocol/DownloadItem.h"
#include "protocol/FieldList.h"
#include "res/resource.h"

namespace gsd {
namespace {

constexpr int PlaceholderTitleText = 0;
constexpr int PlaceholderDescriptionText = 1;

} // namespace

std::vector<std::string> ServerListRow(std::string_view line, std::string_view onDownloadTexts)
{
    std::vector<std::string_view> fields = SplitFields(line, FieldSeparator);
    if (fields.size() < DownloadItemFieldCount) {
        fields.resize(DownloadItemFieldCount);
    }
    std::string version;
    version.append(fields[Version1]).append(".").append(fields[Version2]).append(".").append(fields[Version3]);
    return {
        KindName(ReadDecimal(fields[Kind]), onDownloadTexts),
        std::string(fields[Title]),
        std::string(fields[Description]),
        std::string(fields[Author]),
        LanguageNames(ReadDecimal(fields[Languages])),
        std::string(fields[FileName]),
        std::string(fields[ColumnNote]),
        std::move(version),
    };
}

void ShowEmptyServerList(MainWindow& window, std::string_view onDownloadTexts)
{
    std::vector<std::string> row(ServerListColumnCount);
    row[0] = GetField(onDownloadTexts, PlaceholderTitleText, FieldSeparator);
    row[DescriptionColumn] = GetField(onDownloadTexts, PlaceholderDescriptionText, FieldSeparator);
    window.EnableControl(IDC_DOWNLOAD_SELECTIONS, false);
    window.ServerList().InsertRow(row);
}

int FillServerList(MainWindow& window, std::string_view downloadListText, std::string_view onDownloadTexts)
{
    std::vector<std::vector<std::string>> rows;
    // A row is known by its file name everywhere (records, look-up), so a
    // later line with a name already listed would stand for the earlier one.
    // A line without a name stands for nothing that could be fetched.
    std::unordered_set<std::string> listedNames;
    FieldCursor lines(downloadListText, LineSeparator);
    std::string_view line;
    while (lines.Next(line) && !line.empty()) {
        std::vector<std::string> row = ServerListRow(line, onDownloadTexts);
        if (row[FileNameColumn].empty() || listedNames.insert(row[FileNameColumn]).second) {
            rows.push_back(std::move(row));
        }
    }
    window.ServerList().InsertRows(rows);
    const int listed = static_cast<int>(rows.size());
    if (listed > 0) {
        window.EnableControl(IDC_DOWNLOAD_SELECTIONS, true);
    } else {
        ShowEmptyServerList(window, onDownloadTexts);
    }
    return listed;
}

} // namespace gsd

#include "download/Selection.h"

#include "protocol/DownloadItem.h"
#include "protocol/FieldList.h"
#include "res/resource.h"

namespace gsd {

int ShowDescriptionOfSelection(MainWindow& window, ListView& list)
{
    const int row = list.NextSelectedRow(-1);
    window.SetControlText(IDC_DESCRIPTION, row < 0 ? std::string() : list.CellText(row, DescriptionColumn));
    return 0;
}

void ShowDescriptionOfFocusedRow(MainWindow& window, const RowStateChange& change)
{
    const bool gotTheFocus = change.StateChanged && change.IsFocused && !change.WasFocused;
    if (!gotTheFocus || change.ByTheProgram || change.Row < 0) {
        return;
    }
    ListView* list = nullptr;
    if (change.ListId == IDC_LOCAL_LIST) {
        list = &window.LocalList();
    } else if (change.ListId == IDC_SERVER_LIST) {
        list = &window.ServerList();
    }
    if (list == nullptr || change.Row >= list->RowCount()) {
        return;
    }
    window.SetControlText(IDC_DESCRIPTION, list->CellText(change.Row, DescriptionColumn));
}

int SelectedServerItemCount(MainWindow& window)
{
    return window.ServerList().SelectedRowCount();
}

std::string FindProgramUpgradeKey(std::string_view downloadListText)
{
    for (const std::string_view line : ListLines(downloadListText)) {
        if (ItemKindOf(line) == ItemKind::ProgramUpgrade) {
            return GetField(line, DownloadItemField::FileName, FieldSeparator);
        }
    }
    return {};
}

} // namespace gsd

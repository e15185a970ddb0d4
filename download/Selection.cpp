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

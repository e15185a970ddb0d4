#include "texts/ListColumns.h"

namespace gsd {

void SetUpListColumns(
    ListView& list, std::span<const ListColumn> columns, const std::vector<std::string_view>& mainDialogTexts)
{
    list.SetFullRowSelect();
    int index = 0;
    for (const ListColumn& column : columns) {
        const auto field = static_cast<std::size_t>(column.HeadingText);
        const std::string_view heading = field < mainDialogTexts.size() ? mainDialogTexts[field] : std::string_view();
        list.AddColumn(index++, heading, column.Width);
    }
}

} // namespace gsd

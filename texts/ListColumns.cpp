#include "texts/ListColumns.h"

namespace gsd {

int ScaledWidth(int width, int toDpi, int fromDpi)
{
    if (toDpi <= 0 || fromDpi <= 0 || toDpi == fromDpi) {
        return width;
    }
    const long long product = static_cast<long long>(width) * toDpi;
    const long long half = fromDpi / 2;
    const long long rounded = product >= 0 ? (product + half) / fromDpi : -((-product + half) / fromDpi);
    return static_cast<int>(rounded);
}

void SetUpListColumns(ListView& list, std::span<const ListColumn> columns,
    const std::vector<std::string_view>& mainDialogTexts, int dpi)
{
    list.SetFullRowSelect();
    int index = 0;
    for (const ListColumn& column : columns) {
        const auto field = static_cast<std::size_t>(column.HeadingText);
        const std::string_view heading = field < mainDialogTexts.size() ? mainDialogTexts[field] : std::string_view();
        list.AddColumn(index++, heading, ScaledWidth(column.Width, dpi));
    }
}

} // namespace gsd

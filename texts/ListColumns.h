// The columns of the two lists of the main dialog. Their headings are fields
// of the main-dialog text list; both lists share the first six columns and
// end with the version column, which the server's list has after its column
// note.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "ports/ListView.h"

namespace gsd {

struct ListColumn {
    int HeadingText; // field of the main-dialog text list
    int Width; // pixels at 96 DPI
};

// The dots per inch at which the column widths are given (100 %).
inline constexpr int DesignDpi = 96;

// `width` pixels drawn at `fromDpi` as pixels at `toDpi`, rounded to the
// nearest pixel (halves away from zero). A DPI that is not positive (a
// failed query) leaves the width as it is.
int ScaledWidth(int width, int toDpi, int fromDpi = DesignDpi);

// Columns of both lists, by index.
inline constexpr int DescriptionColumn = 2;
inline constexpr int FileNameColumn = 5;
// The server's list only, between the file name and the version.
inline constexpr int ColumnNoteColumn = 6;
inline constexpr int ServerListColumnCount = 8;

// The server's list (1007): kind, title, description, author, languages,
// file name, column note, version.
inline constexpr std::array<ListColumn, ServerListColumnCount> ServerListColumns = { {
    { 10, 75 },
    { 11, 80 },
    { 12, 65 },
    { 13, 80 },
    { 14, 110 },
    { 15, 80 },
    { 16, 95 },
    { 17, 70 },
} };

// "My Computer" (1008): the server's list's columns but the column note.
inline constexpr std::array<ListColumn, ServerListColumnCount - 1> LocalListColumns = [] {
    std::array<ListColumn, ServerListColumnCount - 1> columns {};
    std::size_t to = 0;
    for (std::size_t from = 0; from < ServerListColumns.size(); ++from) {
        if (from != static_cast<std::size_t>(ColumnNoteColumn)) {
            columns[to++] = ServerListColumns[from];
        }
    }
    return columns;
}();

// Switches on full-row selection of `list` and adds `columns` in order,
// left-aligned, headed by the main-dialog texts they name (empty when the
// list lacks that field), their widths scaled to the list's `dpi`, so that
// bigger fonts show as much of each text as 96 DPI does.
void SetUpListColumns(ListView& list, std::span<const ListColumn> columns,
    const std::vector<std::string_view>& mainDialogTexts, int dpi);

} // namespace gsd

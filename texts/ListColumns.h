// The columns of the two lists of the main dialog. Their headings are fields
// of the main-dialog text list; both lists share the first six columns and
// end with the version column.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "ports/ListView.h"

namespace gsd {

struct ListColumn {
    int HeadingText; // field of the main-dialog text list
    int Width; // pixels
};

// "My Computer" (1008): kind, title, description, author, languages, file
// name, version.
inline constexpr std::array<ListColumn, 7> LocalListColumns = { {
    { 10, 75 },
    { 11, 80 },
    { 12, 65 },
    { 13, 80 },
    { 14, 110 },
    { 15, 80 },
    { 17, 70 },
} };

// The server's list (1007): the same, then the column note, then the version.
inline constexpr std::array<ListColumn, 8> ServerListColumns = { {
    { 10, 75 },
    { 11, 80 },
    { 12, 65 },
    { 13, 80 },
    { 14, 110 },
    { 15, 80 },
    { 16, 95 },
    { 17, 70 },
} };

// Switches on full-row selection of `list` and adds `columns` in order,
// left-aligned, headed by the main-dialog texts they name (empty when the
// list lacks that field).
void SetUpListColumns(
    ListView& list, std::span<const ListColumn> columns, const std::vector<std::string_view>& mainDialogTexts);

} // namespace gsd

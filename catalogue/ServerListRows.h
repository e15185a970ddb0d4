// The server's list (1007): one row per download-list line, the placeholder
// row of an empty list, and the state of the download button that goes with
// them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ports/MainWindow.h"
#include "texts/ListColumns.h"

namespace gsd {

// Returns the eight column texts of one download-list line: kind name,
// title, description, author, language names, file name, column note and
// "version1.version2.version3". Missing fields read as empty; kind and
// language mask are read as decimal numbers.
std::vector<std::string> ServerListRow(std::string_view line, std::string_view onDownloadTexts);

// Adds the placeholder row of an empty server list (on-download text 0 in
// column 0, text 1 in column 2, the rest empty) and disables the download
// button.
void ShowEmptyServerList(MainWindow& window, std::string_view onDownloadTexts);

// Adds one row to the server list per download-list line, from line 0 up to
// the first empty line, leaving out a line whose (non-empty) FileName an
// earlier line already has; the control keeps them sorted. With at least one
// row the download button is enabled; otherwise the list gets its
// placeholder row and the button is disabled. Returns the number of lines
// listed. Linear in the length of the list.
int FillServerList(MainWindow& window, std::string_view downloadListText, std::string_view onDownloadTexts);

} // namespace gsd

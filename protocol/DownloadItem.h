// One line of the server's download list: ten "|"-separated fields that name
// an item the server offers. `FileName` identifies the item everywhere.
#pragma once

#include <string_view>

namespace gsd {

// Fields of a download-list line.
enum DownloadItemField : int {
    Kind = 0,
    Title = 1,
    FileName = 2,
    Author = 3,
    Description = 4,
    ColumnNote = 5,
    Version1 = 6,
    Version2 = 7,
    Version3 = 8,
    Languages = 9,
    DownloadItemFieldCount = 10,
};

// What an item is, and so how it is installed. Any other value is an item
// that is transferred but cannot be installed; 0 marks a retired line.
enum class ItemKind : int {
    Retired = 0,
    GameProgram = 1,
    LanguageFile = 2,
    ObjectPack = 3,
    ProgramUpgrade = 4,
};

// The kind of a download-list line: its field 0 read as a decimal number
// (leading white space, an optional sign, the digits up to the first
// non-digit; 0 when no digit follows).
ItemKind ItemKindOf(std::string_view line);

} // namespace gsd

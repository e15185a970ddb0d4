#include "catalogue/DisplayNames.h"

#include <array>

#include "protocol/FieldList.h"

namespace gsd {

namespace {

// Bit i of a language mask stands for LanguageTable[i].
constexpr std::array<std::string_view, 7> LanguageTable = {
    "English",
    "Francais",
    "Portugues",
    "Deutsch",
    "Espanol",
    "Italiano",
    "Russki",
};

// On-download text of kinds 1 to 4, and of every other kind.
constexpr std::array<int, 4> KindTexts = { 2, 3, 4, 5 };
constexpr int OtherKindText = 6;

} // namespace

std::string KindName(int kind, std::string_view onDownloadTexts)
{
    const bool known = kind >= 1 && kind <= static_cast<int>(KindTexts.size());
    return GetField(onDownloadTexts, known ? KindTexts[kind - 1] : OtherKindText, FieldSeparator);
}

std::string LanguageNames(int mask)
{
    std::string names;
    for (std::size_t bit = 0; bit < LanguageTable.size(); ++bit) {
        if ((mask & (1 << bit)) == 0) {
            continue;
        }
        if (!names.empty()) {
            names.append(", ");
        }
        names.append(LanguageTable[bit]);
    }
    return names.empty() ? std::string("N/A") : names;
}

} // namespace gsd

#include "catalogue/LanguageMask.h"

#include "protocol/FieldList.h"

namespace gsd {

namespace {

// Bits 0 to 30: the mask is a signed 32-bit number that stays positive.
constexpr int MaskFlagCount = 31;

} // namespace

int LanguageMaskOf(std::string_view flagsText)
{
    FieldCursor flags(flagsText, FieldSeparator);
    int mask = 0;
    std::string_view flag;
    for (int bit = 0; flags.Next(flag) && !flag.empty(); ++bit) {
        if (flag == "1" && bit < MaskFlagCount) {
            mask |= 1 << bit;
        }
    }
    return mask;
}

std::string LanguageFlagsToMask(std::string_view flagsText)
{
    return std::to_string(LanguageMaskOf(flagsText));
}

} // namespace gsd

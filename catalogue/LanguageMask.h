// Language availability: the flags of "Gravelpit Languages Available" and
// the LanguageMask made from them, bit i for language i of the fixed
// language table (bit 0 English).
#pragma once

#include <string>
#include <string_view>

namespace gsd {

// The mask of a "|"-separated flags text: bit i is set when field i is
// exactly "1". The first empty field ends the flags; an empty text gives 0.
// Only flags 0 to 30 fit the mask; later ones are ignored, so the mask is
// never negative.
int LanguageMaskOf(std::string_view flagsText);

// LanguageMaskOf as decimal text, the form the mask travels in.
std::string LanguageFlagsToMask(std::string_view flagsText);

} // namespace gsd

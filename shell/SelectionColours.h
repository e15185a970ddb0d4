// The colours of selected rows in a list that does not have the focus. The
// list's own choice there is a grey so close to its white background that a
// player cannot see which rows are chosen, a selection restored at start-up
// included.
#pragma once

#include <cstdint>

namespace gsd {

struct Rgb {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    bool operator==(const Rgb&) const = default;
};

// How far apart two colours look, from 1 (the same) to 21 (black on white):
// the ratio of their relative luminances, each plus 0.05, lighter over
// darker, with the sRGB channels made linear first.
double ContrastRatio(Rgb first, Rgb second);

// The least contrast an unfocused selection keeps against its list.
inline constexpr double UnfocusedSelectionContrast = 1.6;

struct RowColours {
    Rgb Text;
    Rgb Background;
    bool operator==(const RowColours&) const = default;
};

// The system's colours of a list and of its selection while focused.
struct ListColours {
    Rgb Background;
    Rgb Text;
    Rgb Highlight;
    Rgb HighlightText;
};

// A background for selected rows of an unfocused list: the highlight mixed
// into the list's background, no further than needed to stand out by
// UnfocusedSelectionContrast, so it reads as a paler form of the focused
// selection and never as the focused selection itself. Where the highlight
// cannot stand out (a scheme whose highlight is as light as the list), the
// list's text colour is mixed in instead, and as a last resort the row is
// drawn inverted. The text is whichever of the list's text and highlight
// text stands out more from that background.
RowColours UnfocusedSelectionColours(const ListColours& list);

} // namespace gsd

#include "shell/SelectionColours.h"

#include <algorithm>
#include <cmath>

namespace gsd {

namespace {

double LinearChannel(std::uint8_t value)
{
    const double channel = value / 255.0;
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(Rgb colour)
{
    return 0.2126 * LinearChannel(colour.Red) + 0.7152 * LinearChannel(colour.Green)
        + 0.0722 * LinearChannel(colour.Blue);
}

std::uint8_t MixChannel(std::uint8_t from, std::uint8_t to, int sixteenths)
{
    return static_cast<std::uint8_t>((from * (16 - sixteenths) + to * sixteenths + 8) / 16);
}

// `sixteenths` of `to` mixed into `from`.
Rgb Mix(Rgb from, Rgb to, int sixteenths)
{
    return { MixChannel(from.Red, to.Red, sixteenths), MixChannel(from.Green, to.Green, sixteenths),
        MixChannel(from.Blue, to.Blue, sixteenths) };
}

// The palest mix of `towards` into `background` that stands out enough, at
// most three quarters of the way: beyond that it would look like `towards`.
bool StandingOutMix(Rgb background, Rgb towards, Rgb& mixed)
{
    for (int sixteenths = 4; sixteenths <= 12; ++sixteenths) {
        const Rgb candidate = Mix(background, towards, sixteenths);
        if (ContrastRatio(candidate, background) >= UnfocusedSelectionContrast) {
            mixed = candidate;
            return true;
        }
    }
    return false;
}

Rgb BetterTextOn(Rgb background, Rgb text, Rgb otherText)
{
    return ContrastRatio(text, background) >= ContrastRatio(otherText, background) ? text : otherText;
}

} // namespace

double ContrastRatio(Rgb first, Rgb second)
{
    const double a = RelativeLuminance(first) + 0.05;
    const double b = RelativeLuminance(second) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

RowColours UnfocusedSelectionColours(const ListColours& list)
{
    Rgb background;
    if (StandingOutMix(list.Background, list.Highlight, background)
        || StandingOutMix(list.Background, list.Text, background)) {
        return { BetterTextOn(background, list.Text, list.HighlightText), background };
    }
    return { list.Background, list.Text };
}

} // namespace gsd

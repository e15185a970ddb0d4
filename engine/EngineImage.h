// Which processor the engine component's file is built for, read from its
// executable-image headers, and the words that tell the user when it does not
// match this program. A program can only load a component of its own
// bitness, and the game ships one Game.dll: the user has to pick the build of
// the program that matches it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gsd {

enum class ImageBitness {
    Unknown, // not an executable image, cut short, or another processor
    Bits32, // machine 0x014C (x86)
    Bits64, // machine 0x8664 (x86-64)
};

// How many leading bytes of a file ImageBitnessOf needs at most for the
// images linkers make: their file header follows the DOS stub well within it.
inline constexpr std::size_t ImageHeaderBytes = 64 * 1024;

// The bitness of the image whose leading bytes are `leadingBytes`: an "MZ"
// header whose offset at 0x3C (little-endian 32-bit) points to "PE\0\0"
// followed by the machine field. Unknown when any of that is missing or lies
// beyond the bytes given.
ImageBitness ImageBitnessOf(std::string_view leadingBytes);

// The message shown when the engine component `component` cannot be loaded
// by this program (`program`) because the two differ: which each is and that
// the program's other build is needed. Empty when they do not differ or the
// component's bitness is unknown.
std::string EngineBitnessMismatchText(ImageBitness component, ImageBitness program);

} // namespace gsd

#include "engine/EngineImage.h"

#include <cstdint>

namespace gsd {

namespace {

constexpr std::size_t NewHeaderOffsetField = 0x3C;
constexpr std::uint16_t MachineX86 = 0x014C;
constexpr std::uint16_t MachineX64 = 0x8664;

std::uint32_t LittleEndian(std::string_view bytes, std::size_t offset, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

std::string_view BitsName(ImageBitness bitness)
{
    return bitness == ImageBitness::Bits32 ? "32-bit" : "64-bit";
}

} // namespace

ImageBitness ImageBitnessOf(std::string_view leadingBytes)
{
    if (leadingBytes.size() < NewHeaderOffsetField + 4 || !leadingBytes.starts_with("MZ")) {
        return ImageBitness::Unknown;
    }
    const std::size_t signature = LittleEndian(leadingBytes, NewHeaderOffsetField, 4);
    // The signature's four bytes and the two of the machine field.
    if (signature > leadingBytes.size() || leadingBytes.size() - signature < 6
        || leadingBytes.substr(signature, 4) != std::string_view("PE\0\0", 4)) {
        return ImageBitness::Unknown;
    }
    switch (LittleEndian(leadingBytes, signature + 4, 2)) {
    case MachineX86:
        return ImageBitness::Bits32;
    case MachineX64:
        return ImageBitness::Bits64;
    default:
        return ImageBitness::Unknown;
    }
}

std::string EngineBitnessMismatchText(ImageBitness component, ImageBitness program)
{
    if (component == ImageBitness::Unknown || program == ImageBitness::Unknown || component == program) {
        return {};
    }
    std::string text = "The game's engine component Game.dll is ";
    text += BitsName(component);
    text += ", but this program is the ";
    text += BitsName(program);
    text += " build of Gravelpit Secure Download, which cannot load it.\r\n\r\nUse the ";
    text += BitsName(component);
    text += " build of Gravelpit Secure Download with this game.";
    return text;
}

} // namespace gsd

#include <gtest/gtest.h>

#include "engine/EngineImage.h"

#include <string>

namespace gsd {
namespace {

// Leading bytes of an image: "MZ", the file header's offset at 0x3C, and at
// that offset `signature` followed by the machine field, little-endian.
std::string Image(std::uint32_t headerOffset, std::string_view signature, std::uint16_t machine)
{
    std::string bytes(0x40, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i) {
        bytes[0x3C + i] = static_cast<char>(headerOffset >> (8 * i));
    }
    if (bytes.size() < headerOffset) {
        bytes.resize(headerOffset, '\0');
    }
    bytes.replace(headerOffset, signature.size(), signature);
    bytes += static_cast<char>(machine & 0xFF);
    bytes += static_cast<char>(machine >> 8);
    return bytes;
}

const std::string_view Pe("PE\0\0", 4);

struct BitnessCase {
    const char* name;
    std::string bytes;
    ImageBitness expected;
};

void PrintTo(const BitnessCase& c, std::ostream* os)
{
    *os << c.name;
}

class ImageBitnessTest : public ::testing::TestWithParam<BitnessCase> {};

TEST_P(ImageBitnessTest, ReadsTheMachineField)
{
    EXPECT_EQ(ImageBitnessOf(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ImageBitnessTest,
    ::testing::Values(BitnessCase { "X86Is32Bit", Image(0x80, Pe, 0x014C), ImageBitness::Bits32 },
        BitnessCase { "X64Is64Bit", Image(0x80, Pe, 0x8664), ImageBitness::Bits64 },
        BitnessCase { "HeaderRightAfterTheDosHeader", Image(0x40, Pe, 0x8664), ImageBitness::Bits64 },
        BitnessCase { "OtherProcessorIsUnknown", Image(0x80, Pe, 0xAA64), ImageBitness::Unknown },
        BitnessCase { "NoMzIsUnknown", "ZM" + Image(0x80, Pe, 0x014C).substr(2), ImageBitness::Unknown },
        BitnessCase { "NoPeSignatureIsUnknown", Image(0x80, std::string_view("NE\0\0", 4), 0x014C),
            ImageBitness::Unknown },
        BitnessCase { "MachineFieldCutShortIsUnknown", Image(0x80, Pe, 0x014C).substr(0, 0x85),
            ImageBitness::Unknown },
        BitnessCase { "HeaderOffsetPastTheBytesIsUnknown", Image(0x80, Pe, 0x014C).substr(0, 0x80),
            ImageBitness::Unknown },
        BitnessCase { "HugeHeaderOffsetIsUnknown",
            Image(0x80, Pe, 0x014C).replace(0x3C, 4, std::string(4, '\xFF')), ImageBitness::Unknown },
        BitnessCase { "DosHeaderCutShortIsUnknown", std::string("MZ\x90\0", 4), ImageBitness::Unknown },
        BitnessCase { "EmptyIsUnknown", std::string(), ImageBitness::Unknown }),
    [](const ::testing::TestParamInfo<BitnessCase>& info) { return std::string(info.param.name); });

TEST(EngineBitnessMismatchText, NamesBothBitnessesAndTheBuildToUse)
{
    EXPECT_EQ(EngineBitnessMismatchText(ImageBitness::Bits32, ImageBitness::Bits64),
        "The game's engine component Game.dll is 32-bit, but this program is the 64-bit build of Gravelpit "
        "Secure Download, which cannot load it.\r\n\r\nUse the 32-bit build of Gravelpit Secure Download with "
        "this game.");
    EXPECT_EQ(EngineBitnessMismatchText(ImageBitness::Bits64, ImageBitness::Bits32),
        "The game's engine component Game.dll is 64-bit, but this program is the 32-bit build of Gravelpit "
        "Secure Download, which cannot load it.\r\n\r\nUse the 64-bit build of Gravelpit Secure Download with "
        "this game.");
}

TEST(EngineBitnessMismatchText, NothingToSayWhenTheyMatchOrTheComponentIsUnknown)
{
    EXPECT_EQ(EngineBitnessMismatchText(ImageBitness::Bits64, ImageBitness::Bits64), "");
    EXPECT_EQ(EngineBitnessMismatchText(ImageBitness::Bits32, ImageBitness::Bits32), "");
    EXPECT_EQ(EngineBitnessMismatchText(ImageBitness::Unknown, ImageBitness::Bits64), "");
}

} // namespace
} // namespace gsd

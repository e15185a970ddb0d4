#include "protocol/Challenge.h"

#include <gtest/gtest.h>

#include <string>

#include "protocol/MessageScrambler.h"

namespace gsd {
namespace {

using namespace std::string_literals;

TEST(ChallengeTest, ChallengeIsHundredLettersAToYAndRepeatable)
{
    // From state 1 the values are 41, 18467, 6334, 26500, 19169, which mod 25
    // are 16, 17, 9, 0, 19: "QRJAT".
    ChallengeGenerator first;
    const std::string challenge = first.MakeChallenge();
    EXPECT_EQ(challenge.substr(0, 5), "QRJAT");
    ASSERT_EQ(challenge.size(), 100u);
    for (const char letter : challenge) {
        EXPECT_GE(letter, 'A');
        EXPECT_LE(letter, 'Y');
    }
    EXPECT_EQ(ChallengeGenerator().MakeChallenge(), challenge);
    // A second challenge continues the sequence instead of restarting it.
    EXPECT_NE(first.MakeChallenge(), challenge);
}

TEST(MessageScramblerTest, UsesKeyByteIModFour)
{
    const auto& key = ScramblerKey;
    const std::string expected = { char(key[0]), char(key[1]), char(key[2]), char(key[3]), char(key[0]) };
    EXPECT_EQ(Scramble(std::string(5, '\0')), expected);
}

TEST(MessageScramblerTest, IsItsOwnInverse)
{
    for (const std::string& text : { ""s, "A"s, "ABCDE"s, "\0\xE9\xFF|\r\n"s, ChallengeGenerator().MakeChallenge() }) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(Scramble(text).size(), text.size());
        EXPECT_EQ(Scramble(Scramble(text)), text);
    }
}

TEST(MessageScramblerTest, ScrambledLettersAreSafeInARawFormBody)
{
    // The scrambled challenge travels unencoded, so no key byte may turn a
    // challenge letter into a form delimiter, a field separator, an
    // unprintable byte, or into itself.
    const std::string forbidden = "&=+%|";
    for (std::size_t k = 0; k < ScramblerKey.size(); ++k) {
        for (char letter = 'A'; letter <= 'Y'; ++letter) {
            SCOPED_TRACE(std::string("key byte ") + std::to_string(k) + ", letter " + letter);
            const int scrambled = static_cast<unsigned char>(letter) ^ ScramblerKey[k];
            EXPECT_NE(scrambled, letter);
            EXPECT_GE(scrambled, 0x21);
            EXPECT_LE(scrambled, 0x7E);
            EXPECT_EQ(forbidden.find(static_cast<char>(scrambled)), std::string::npos);
        }
    }
}

} // namespace
} // namespace gsd

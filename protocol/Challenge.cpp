#include "protocol/Challenge.h"

namespace gsd {

int ChallengeGenerator::Next()
{
    // Unsigned arithmetic wraps modulo 2^32 as the generator requires.
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

std::string ChallengeGenerator::MakeChallenge()
{
    std::string challenge(ChallengeLength, ' ');
    for (char& letter : challenge) {
        letter = static_cast<char>('A' + Next() % 25);
    }
    return challenge;
}

ChallengeGenerator& ProcessChallengeGenerator()
{
    static ChallengeGenerator generator;
    return generator;
}

} // namespace gsd

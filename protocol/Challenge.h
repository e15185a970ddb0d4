#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gsd {

// Length of the host-authentication challenge in bytes.
inline constexpr std::size_t ChallengeLength = 100;

// The pseudo-random source of the challenge: a linear congruential generator,
// state = state * 214013 + 2531011 (mod 2^32), value = (state >> 16) & 0x7FFF.
// It starts at state 1 and is never seeded, so every run of the program sends
// the same challenge; the server relies on nothing else.
class ChallengeGenerator {
public:
    // Advances the state and returns the next value, 0 to 0x7FFF.
    int Next();

    // Returns ChallengeLength bytes, byte i being 'A' + (value i mod 25): the
    // letters "A" to "Y", never "Z".
    std::string MakeChallenge();

private:
    std::uint32_t state_ = 1;
};

// The process-wide generator of the authentication challenges; nothing else
// draws from it.
ChallengeGenerator& ProcessChallengeGenerator();

} // namespace gsd

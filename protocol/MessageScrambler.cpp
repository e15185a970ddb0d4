#include "protocol/MessageScrambler.h"

#include <cstddef>

namespace gsd {

std::string Scramble(std::string_view text)
{
    std::string scrambled(text);
    for (std::size_t i = 0; i < scrambled.size(); ++i) {
        scrambled[i]
            = static_cast<char>(static_cast<unsigned char>(scrambled[i]) ^ ScramblerKey[i % ScramblerKey.size()]);
    }
    return scrambled;
}

} // namespace gsd

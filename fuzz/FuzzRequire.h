// What a fuzz target checks beyond the sanitizers: a property that must hold
// for every input. A failed one aborts, so libFuzzer keeps the input.
#pragma once

#include <cstdlib>

namespace gsd::fuzz {

inline void Require(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

} // namespace gsd::fuzz

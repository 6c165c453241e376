// The program's only source of randomness: a linear congruential generator
// that starts from the same state in every process.
#pragma once

#include <cstdint>

#include "run/limits.h"

namespace basetrim {

struct rng {
    uint32_t rand_seed = rng_start;  // the whole state of the generator
};

// One step of the generator; the result is bits 16 to 30 of the new state.
inline int32_t rand15(rng& r) {
    r.rand_seed = r.rand_seed * rng_mul + rng_add;
    return static_cast<int32_t>((r.rand_seed >> 16) & 0x7FFF);
}

// Advances the generator by `count` steps at once, as that many rand15 calls.
void rng_skip(rng& r, uint64_t count);

// Discards seed_skip + 1 draws for an answer of 0 or more, none for a
// negative one. The count is taken in 64 bits, so 2147483647 ends too.
void discard_draws(rng& r, int32_t seed_skip);

}  // namespace basetrim

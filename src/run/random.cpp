#include "run/random.h"

namespace basetrim {

void rng_skip(rng& r, uint64_t count) {
    // Compose the affine step s -> a*s + c with itself by repeated squaring.
    uint32_t mul = 1, add = 0;             // the composed step so far
    uint32_t step_mul = rng_mul, step_add = rng_add;  // the step applied 2^k times
    while (count) {
        if (count & 1) {
            mul = mul * step_mul;
            add = add * step_mul + step_add;
        }
        step_add = step_add * step_mul + step_add;
        step_mul = step_mul * step_mul;
        count >>= 1;
    }
    r.rand_seed = r.rand_seed * mul + add;
}

void discard_draws(rng& r, int32_t seed_skip) {
    if (seed_skip < 0) return;
    rng_skip(r, static_cast<uint64_t>(seed_skip) + 1);
}

}  // namespace basetrim

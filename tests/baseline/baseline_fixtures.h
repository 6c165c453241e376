// Helpers shared by the baseline tests: records built in memory, trial
// workspaces, generator states that produce chosen draws, and exact
// comparison of doubles.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "baseline/baseline.h"
#include "run/limits.h"
#include "run/output.h"
#include "run/random.h"
#include "run/run_state.h"

namespace baseline_test {

using namespace basetrim;

// A record with the given columns and sample interval.
inline time_history make_history(std::vector<double> t, std::vector<double> amp, double dt) {
    time_history th;
    th.n = static_cast<int32_t>(t.size());
    th.xone = t.empty() ? 0.0 : t.front();
    th.xlast = t.empty() ? 0.0 : t.back();
    th.dt = dt;
    th.sr = 1.0 / dt;
    th.ascending = std::is_sorted(t.begin(), t.end());
    th.xa = std::move(t);
    th.amp_in = std::move(amp);
    return th;
}

// A trial workspace sized for `n` samples. Knot values, baseline and
// residual start as `fill`, so that entries a step must not touch can be
// recognised afterwards.
inline std::unique_ptr<trial_state> make_trial(int32_t n, double fill = 777.0) {
    auto ts = std::make_unique<trial_state>();
    ts->residual.assign(n, fill);
    ts->baseline.assign(n, fill);
    std::fill(std::begin(ts->knot_y), std::end(ts->knot_y), fill);
    return ts;
}

inline void set_knots(trial_state& ts, const std::vector<double>& t, const std::vector<double>& y = {}) {
    ts.nn = static_cast<int32_t>(t.size());
    std::copy(t.begin(), t.end(), ts.knot_t);
    std::copy(y.begin(), y.end(), ts.knot_y);
}

inline uint64_t bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Equal in every bit: tells -0 from +0 and compares NaNs by their pattern.
#define EXPECT_SAME_BITS(expected, actual) \
    EXPECT_EQ(baseline_test::bits(expected), baseline_test::bits(actual)) << "expected " << (expected) << ", got " << (actual)

// Range of one draw, both ends included.
struct draw_range {
    int32_t lo, hi;
};
inline draw_range exactly(int32_t v) { return {v, v}; }
inline constexpr draw_range any_draw{0, 32767};

// A generator state whose next draws fall into `want`, one range per draw.
// want[anchor] must be a single value: the search runs through the 2^17
// states that yield it and steps back from each to the state before the
// first draw. False when no state fits.
inline bool state_for_draws(const std::vector<draw_range>& want, size_t anchor, rng& out) {
    uint32_t inverse = rng_mul;  // inverse of the multiplier modulo 2^32, by Newton steps
    for (int k = 0; k < 5; ++k) inverse *= 2u - rng_mul * inverse;
    const uint32_t value = static_cast<uint32_t>(want[anchor].lo);
    for (uint32_t free = 0; free < (1u << 17); ++free) {
        uint32_t s = ((free >> 16) << 31) | (value << 16) | (free & 0xFFFFu);
        for (size_t k = 0; k <= anchor; ++k) s = (s - rng_add) * inverse;
        rng probe{s};
        bool fits = true;
        for (const draw_range& w : want) {
            int32_t d = rand15(probe);
            if (d < w.lo || d > w.hi) {
                fits = false;
                break;
            }
        }
        if (fits) {
            out.rand_seed = s;
            return true;
        }
    }
    return false;
}

// The next `count` draws of a copy of `r`.
inline std::vector<int32_t> peek_draws(rng r, int count) {
    std::vector<int32_t> d;
    for (int k = 0; k < count; ++k) d.push_back(rand15(r));
    return d;
}

// The state of `r` after `count` more draws.
inline uint32_t state_after(rng r, int count) {
    for (int k = 0; k < count; ++k) rand15(r);
    return r.rand_seed;
}

}  // namespace baseline_test

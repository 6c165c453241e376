// Capacities and fixed constants of a run, in one place.
#pragma once

#include <cstdint>

namespace basetrim {

// A build with -DBASETRIM_STRAIGHTFORWARD=ON runs the plain reference paths
// only: one thread, the scalar filter loop, the scans over all samples and
// all knot intervals, the quadratic sorts and printf formatting. It is the
// yardstick of the speed-ups.
#ifdef BASETRIM_STRAIGHTFORWARD
inline constexpr bool straightforward = true;
#else
inline constexpr bool straightforward = false;
#endif

// Capacities.
inline constexpr int32_t max_samples = 1000000;   // samples: most sample lines taken from the input file
inline constexpr int32_t max_knots = 1000;        // knots: largest knot count of a trial baseline
inline constexpr int32_t min_points = 22;         // knots: a smaller answer for the maximum knot count is raised to this
inline constexpr int32_t min_knots = 20;          // knots: smallest knot count a trial draws
inline constexpr int32_t fixed_knots = 15;        // knots: first, last and the thirteen at fractions of the first time
inline constexpr int32_t max_grid = 125;          // frequencies: capacity of the per-frequency arrays
inline constexpr int32_t max_ref = 101;           // frequencies: capacity of the reference-line array
inline constexpr int32_t max_trials = 100000;     // trials: most trials of one run
inline constexpr int32_t name_capacity = 260;     // characters: file-name buffer, so names hold at most 259
inline constexpr int32_t line_capacity = 300;     // characters: line buffer, so a read takes at most 299

// Random draws.
inline constexpr uint32_t rng_start = 1;          // generator state at process start
inline constexpr uint32_t rng_mul = 214013;       // linear congruential multiplier, modulo 2^32
inline constexpr uint32_t rng_add = 2531011;      // linear congruential increment, modulo 2^32
inline constexpr double draw_scale = 32767.0;     // a 15-bit draw divided by this becomes a real in [0, 1]

// Shock response spectrum.
inline constexpr double damping = 0.05;           // ratio: viscous damping of every oscillator
inline constexpr double grid_start = 10.0;        // Hz: first natural frequency
inline constexpr double grid_cap = 10600.0;       // Hz: highest upper limit of the grid
inline constexpr double grid_fraction = 0.1;      // ratio: upper grid limit as a fraction of the sample rate
inline constexpr double tail_time = 0.05;         // s: free-decay time after the record, before the 0.75 factor
inline constexpr double tail_factor = 0.75;       // ratio: share of tail_time that is run
inline constexpr double diverge_bound = 1e8;      // signal unit: a response this large stops the run
inline constexpr double tiny = 1e-90;             // signal unit: spectrum values not above this count as zero
inline constexpr double one_sided_db = 100000.0;  // dB: difference taken for a one-sided spectrum

// Trial checks and selection.
inline constexpr double rms_low = 1e-20;          // signal unit: smallest rms a trial residual may have
inline constexpr double rms_high = 1e20;          // signal unit: largest rms a trial residual may have
inline constexpr double slope_limit = 100000.0;   // dB: largest ave_slope a trial may have to be recorded
inline constexpr uint32_t sum_start = 100000;     // score: starting value of the running minimum of the choice

}  // namespace basetrim

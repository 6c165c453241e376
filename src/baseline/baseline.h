// Trial baselines: random knots, their values by local averaging, and the
// piecewise-linear baseline with the residual it leaves.
#pragma once

#include <cstdint>

#include "run/random.h"
#include "run/run_state.h"

namespace basetrim {

// Draws the knot count, the exponent and the random knot times of a trial
// and sorts the knots. Every random number of a trial is drawn here, in a
// fixed order. An order check that fails prints "warning 2" into ts.console
// and draws the trial again.
void draw_knots(trial_state& ts, rng& r, const answers& ans, const time_history& th);

// The exchange sort of the knot times: for i < j, entries j and i are
// exchanged when entry j is less (or either is not a number).
void exchange_sort(double* v, int32_t count);

// Gives every interior knot the mean of amp_in over a window about it (0 for
// fewer than 3 samples); the first two knots get 0, the last the last input
// amplitude.
void set_knot_values(trial_state& ts, const time_history& th);

// Evaluates the baseline through the knots at every sample, sets residual to
// input minus baseline where a knot interval holds the sample, and measures
// the residual's extremes and sum of squares.
void eval_baseline(trial_state& ts, const time_history& th);

// True when knot_t[0 .. nn-1] never decreases (and holds no NaN).
bool knots_sorted(const double* knot_t, int32_t nn);

// The sample times that some knot interval of ts holds. The knots of a drawn
// trial are sorted, so the (widened) intervals join into one range, [lo, hi].
void knot_coverage(const trial_state& ts, double dt, double& lo, double& hi);

// Sets the trial's peak-symmetry measure and the rms; stops the run, listing
// the knots, when the rms lies outside [1e-20, 1e20].
void check_residual(trial_state& ts, int32_t n);

}  // namespace basetrim

// The absolute-acceleration shock response spectrum: the natural-frequency
// grid, the reference line, the recursive filters and the two measures.
#pragma once

#include <cstdint>

#include "run/dialogue.h"
#include "run/run_state.h"

namespace basetrim {

// Asks the two reference coordinates, sets up the one-sixth-octave grid from
// 10 Hz, the reference line and the filter coefficients, and prints the grid.
// Computed once; read-only for every spectrum run. Stops the run when the
// reference band lies wholly above the grid.
void spectrum_setup(spectrum_plan& plan, answers& ans, dialogue& d, const time_history& th);

// The set-up after the dialogue, from the reference coordinates in `ans`
// and the time base; prints the slope line, the grid and the summary line.
void plan_spectrum(spectrum_plan& plan, const answers& ans, const time_history& th, out_text& con);

// Filters ts.residual[0 .. n-1], then tail_steps zeros, at every grid
// frequency, and leaves the two spectra, dmax and ave_slope in ts. Prints
// the one-sided-spectrum warnings into ts.console. Stops the run on
// divergence and on a reference or positive-spectrum value in the reference
// band that is not above 1e-90.
void spectrum_run(trial_state& ts, const spectrum_plan& plan, int32_t n);

// The filter bank alone, the plain reference loop: runs from rest over the
// steps and leaves xmax, xmin and the filter state in ts. Returns the step
// at which a response first reached the divergence bound, or -1; `div_j`
// then holds the lowest frequency index that reached it at that step.
int64_t filter_bank_scalar(trial_state& ts, const spectrum_plan& plan, int32_t n, int32_t& div_j);

// The filter bank on one of the vector kernels: the same xmax and xmin bit
// for bit. The divergence test is made on the extremes after the run; when
// a response reached the bound, the scalar loop is run again to find the
// step and the frequency, and to leave the filter state as it stood then.
int64_t filter_bank(trial_state& ts, const spectrum_plan& plan, int32_t n, bank_target target, int32_t& div_j);

// Whether this machine runs a target's instructions, and the widest one it runs.
bool bank_target_available(bank_target target);
bank_target best_bank_target();
const char* bank_target_name(bank_target target);

}  // namespace basetrim

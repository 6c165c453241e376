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

}  // namespace basetrim

// The trial loop: every trial's knots drawn in program order, the trials
// computed side by side on the workers' workspaces, and each trial's console
// lines and trial-file block written in trial order from one place.
#pragma once

#include <ctime>
#include <memory>
#include <vector>

#include "run/dialogue.h"
#include "run/files.h"
#include "run/random.h"
#include "run/run_state.h"

namespace basetrim {

// Workspaces of the trial loop, one per worker; the first one is handed to
// the result phase afterwards.
struct trial_workers {
    std::vector<std::unique_ptr<trial_state>> ws;
};

// Number of workers: OMP_NUM_THREADS when it is set, all cores otherwise
// (one in the straightforward build).
int worker_count();

// Runs trials 0 .. ntrials-1. Prints the progress lines, gathers each
// trial's peak-symmetry value into sel.peak_sym and appends each trial's
// block to the trial file. A fatal condition in trial k stops the run after
// the output of trials 0 .. k-1 and trial k's message: exactly what a run
// of one trial after the other leaves.
void run_trials(trial_workers& workers, selection& sel, rng& r, const run_data& rd, run_files& f, dialogue& d,
                time_t start_time, int threads);

}  // namespace basetrim

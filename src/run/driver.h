// The run sequence: banner, dialogue, input, set-up, trials, selection and
// results, in one fixed order.
#pragma once

#include "run/run_state.h"

namespace basetrim {

// How a run uses the machine; neither choice changes a byte of its output.
struct run_options {
    int threads = 1;                            // workers of the trial loop
    bank_target target = bank_target::scalar;   // filter-bank kernel
};

// The machine's defaults: OMP_NUM_THREADS or all cores, the widest kernel
// the processor runs (one thread and the scalar loop in the straightforward
// build).
run_options default_options();

// Runs the whole program on standard input and output. Returns the exit
// status: the final key's code after a complete run, 1 after a stop.
int run_basetrim(const run_options& opt);

}  // namespace basetrim

// Trial selection: the trial record file, the ranking and the result files.
#pragma once

#include <cstdint>

#include "run/dialogue.h"
#include "run/exchange.h"
#include "run/files.h"
#include "run/run_state.h"

namespace basetrim {

// Appends the trial's block to ts.block: marker, record line and knot lines
// for a trial whose ave_slope is at most 100000, the knot lines alone (and a
// warning in ts.console) otherwise.
void write_trial_record(trial_state& ts);

// Closes the trial file, reopens it and reads every record back into the
// slots of `sel`, in file order. Stops the run when the file cannot be
// written, reopened or read, or a record does not parse.
void read_trial_records(selection& sel, run_files& f, int32_t ntrials, out_text& con);

// Ranks the slots on dmax and on ave_slope with the exchange-sort order,
// scores them with the weights and chooses the lowest score, printing every
// table. Stops the run with "mj Error" when fewer than two records exist.
void rank_trials(selection& sel, const answers& ans, out_text& con);

// Reads the chosen slot's knots back from the trial file into ts, echoing
// each pair on the console and writing it to the coefficient file. Stops the
// run when the file ends before them or a line does not parse.
void fetch_chosen_knots(trial_state& ts, selection& sel, run_files& f, out_text& con);

// Builds the results from the chosen trial: the knot list, the baseline and
// corrected files, the spectrum of the corrected record and its file; closes
// the files, prints the best-case line and the closing prompt. Stops the run
// when a result file cannot be written.
void write_results(trial_state& ts, selection& sel, const run_data& rd, run_files& f, out_text& con);

}  // namespace basetrim

// The files of a run and the file dialogue that opens them.
#pragma once

#include "run/dialogue.h"
#include "run/output.h"
#include "run/run_state.h"
#include "run/text_in.h"

namespace basetrim {

inline constexpr const char* trial_file_name = "temp_file.out";  // trial records, in the working directory

struct run_files {
    text_in input_file;         // the time history
    out_stream baseline_file;   // output file 1
    out_stream corrected_file;  // output file 2
    out_stream srs_file;        // output file 3
    out_stream trial_file;      // trial records, while the trials run
    out_stream coef_file;       // knot list
    text_in trial_in;           // trial records, read back after the trials
};

// Asks the names of the input file and the four result files and opens them
// with the trial file, reporting on three of them. A name of 260 characters
// or more stops the run before anything is opened under it; a file that does
// not open stops it after the report lines (after the coefficient prompt's
// answer for the coefficient file).
void open_files(run_files& f, answers& ans, dialogue& d);

}  // namespace basetrim

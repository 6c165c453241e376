// Everything a report shows, gathered from the record, the result files
// and the answers of one run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "report/numbers.h"
#include "report/request.h"
#include "run/run_state.h"

namespace basetrim::report {

struct report_data {
    report_request req;
    time_history th;                   // the record as basetrim reads it
    std::vector<double> time;          // s: time axis of the plots and the integrals
    std::string time_note;             // why the time axis is not the record's time column, or ""
    std::vector<double> baseline;      // output file 1, per sample
    std::vector<double> corrected;     // output file 2, per sample
    std::vector<double> vel_before;    // velocity of the record
    std::vector<double> vel_after;     // velocity of the corrected record
    std::vector<double> knot_t;        // s: knots of the chosen baseline
    std::vector<double> knot_y;
    std::unique_ptr<spectrum_plan> plan;  // grid and reference line of the record
    std::string plan_message;          // why there is no grid, or ""
    spectrum_result before;            // spectrum of the record
    spectrum_result after;             // spectrum of the corrected record
    std::vector<double> srs_pos;       // SRS output file 3 as written: positive spectrum
    std::vector<double> srs_neg;       // magnitude of the negative spectrum
    double srs_difference = -1;        // largest relative difference from `after`, -1 when not compared
    std::string srs_note;              // about the SRS output file, or ""
};

// Reads the record and the result files named in `req`, checks that they
// belong together and computes the spectra and velocities. Throws
// report_error when a file cannot be read, is garbled or belongs to
// another record.
report_data gather_report(const report_request& req);

// The message of a run stop in a console text: from its " Stop:" line on,
// or its last line, without surrounding blanks and line ends.
std::string stop_message(const std::string& console);

// Runs of white space as single blanks, without blanks at the ends.
std::string one_line(const std::string& text);

}  // namespace basetrim::report

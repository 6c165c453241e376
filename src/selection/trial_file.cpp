#include <cmath>

#include "run/format.h"
#include "run/limits.h"
#include "selection/selection.h"

namespace basetrim {

void write_trial_record(trial_state& ts) {
    ts.dmax = std::fabs(ts.dmax);
    ts.ave_slope = std::fabs(ts.ave_slope);
    const char* record = "%ld \t %8.4g \t %8.4g \t %ld \n";
    if (ts.ave_slope >= 0 && ts.ave_slope <= slope_limit) {
        ts.block.put("case \n");
        ts.block.printf(record, static_cast<long>(ts.trial), ts.dmax, ts.ave_slope, static_cast<long>(ts.nn));
    } else {
        ts.console.put("\n Warning:  ave_slope \n");
        ts.console.printf(record, static_cast<long>(ts.trial), ts.dmax, ts.ave_slope, static_cast<long>(ts.nn));
    }
    // " %12.6g \t %12.6g \n"
    for (int32_t k = 0; k < ts.nn; ++k) {
        ts.block.put(' ');
        put_g(ts.block, ts.knot_t[k], 12, 6);
        ts.block.put(" \t ");
        put_g(ts.block, ts.knot_y[k], 12, 6);
        ts.block.put(" \n");
    }
}

namespace {

bool is_marker(std::string_view line) { return line.find('c') != std::string_view::npos; }

// Parses the record after a marker: trial number, dmax, ave_slope, knot count.
void parse_record(text_in& in, selection& sel, int64_t slot, bool store, out_text& con) {
    int64_t trial, nn;
    double dmax, slope;
    if (!in.scan_long(trial) || !in.scan_double(dmax) || !in.scan_double(slope) || !in.scan_long(nn) ||
        trial < INT32_MIN || trial > INT32_MAX || nn < INT32_MIN || nn > INT32_MAX)
        stop_run(con, "record %ld of the trial file %s does not parse", static_cast<long>(slot + 1),
                 in.name().c_str());
    if (store) {
        sel.rec_trial.push_back(static_cast<int32_t>(trial));
        sel.rec_dmax.push_back(dmax);
        sel.rec_slope.push_back(slope);
    }
    sel.rec_nn = static_cast<int32_t>(nn);
}

}  // namespace

void read_trial_records(selection& sel, run_files& f, int32_t ntrials, out_text& con) {
    if (!f.trial_file.close())
        stop_run(con, "cannot write the trial file %s (%s)", f.trial_file.name().c_str(),
                 error_text(f.trial_file.error()).c_str());
    if (!f.trial_in.open(f.trial_file.name()))
        stop_run(con, "cannot reopen the trial file %s (%s)", f.trial_file.name().c_str(),
                 error_text(f.trial_in.error()).c_str());
    text_in& in = f.trial_in;
    sel.rec_trial.clear();
    sel.rec_dmax.clear();
    sel.rec_slope.clear();
    int64_t k = 0;
    while (in.read_line()) {
        if (!is_marker(in.line())) continue;
        if (k >= ntrials)
            stop_run(con, "the trial file %s holds more records than the %ld trials run", in.name().c_str(),
                     static_cast<long>(ntrials));
        parse_record(in, sel, k, true, con);
        ++k;
    }
    if (in.failed())
        stop_run(con, "cannot read the trial file %s (%s)", in.name().c_str(), error_text(in.error()).c_str());
}

void fetch_chosen_knots(trial_state& ts, selection& sel, run_files& f, out_text& con) {
    text_in& in = f.trial_in;
    if (!in.rewind())
        stop_run(con, "cannot go back to the start of the trial file %s (%s)", in.name().c_str(),
                 error_text(in.error()).c_str());
    int64_t k = 0;
    bool found = false;
    while (in.read_line()) {
        if (!is_marker(in.line())) continue;
        parse_record(in, sel, k, false, con);
        if (k == sel.best_case) {
            found = true;
            break;
        }
        ++k;
    }
    if (!found)
        stop_run(con, "the trial file %s ends before record %ld", in.name().c_str(),
                 static_cast<long>(sel.best_case + 1));
    if (sel.rec_nn > max_knots)
        stop_run(con, "record %ld of the trial file %s has %ld knots; at most %ld are possible",
                 static_cast<long>(sel.best_case + 1), in.name().c_str(), static_cast<long>(sel.rec_nn),
                 static_cast<long>(max_knots));
    for (int32_t j = 0; j < sel.rec_nn; ++j) {
        if (!in.scan_double(ts.knot_t[j]) || !in.scan_double(ts.knot_y[j]))
            stop_run(con, "knot %ld of record %ld in the trial file %s is missing or does not parse",
                     static_cast<long>(j + 1), static_cast<long>(sel.best_case + 1), in.name().c_str());
        // The knot writer: console, then the coefficient file.
        out_text line;
        line.printf("%lf %lf \n", ts.knot_t[j], ts.knot_y[j]);
        con.put(line.str());
        f.coef_file.write(line.str());
    }
    ts.nn = sel.rec_nn;
}

}  // namespace basetrim

#include "run/driver.h"

#include <cstdio>
#include <ctime>

#include "baseline/baseline.h"
#include "input/header.h"
#include "input/samples.h"
#include "run/dialogue.h"
#include "run/files.h"
#include "run/limits.h"
#include "run/random.h"
#include "run/run_state.h"
#include "selection/selection.h"
#include "spectrum/spectrum.h"

namespace basetrim {

namespace {

void print_elapsed(out_text& con, time_t start_time) {
    con.printf(" %ld sec\n", static_cast<long>(std::time(nullptr) - start_time));
}

// The dialogue after the file names, up to the start of the trials.
void ask_and_set_up(run_data& rd, run_files& f, dialogue& d, rng& r) {
    answers& ans = rd.ans;
    d.con.put("\n\n Enter dmax weight \n");
    ans.dmax_weight = d.read_real("Enter dmax weight");
    d.con.put("\n\n Enter slope weight \n");
    ans.slope_weight = d.read_real("Enter slope weight");
    d.con.put("\n");

    int64_t header_count = count_header_lines(f.input_file, d.con);
    read_samples(rd.th, f.input_file, d.con, header_count);

    d.con.put("\n\n Enter the number of trials \n");
    ans.ntrials = d.read_int("Enter the number of trials");
    if (ans.ntrials > max_trials)
        stop_run(d.con, "the number of trials %ld is above the limit of %ld", static_cast<long>(ans.ntrials),
                 static_cast<long>(max_trials));
    d.con.put("\n\n Enter arbitrary integer. \n");
    ans.seed_skip = d.read_int("Enter arbitrary integer.");
    discard_draws(r, ans.seed_skip);
    d.con.put("\n\n");

    spectrum_setup(rd.plan, ans, d, rd.th);
    d.con.printf("\n ntrials=%ld \n", static_cast<long>(ans.ntrials));

    d.con.put("\n Enter the maximum exponent\n");
    ans.max_exponent = d.read_real("Enter the maximum exponent");
    ans.max_exponent = -1.0;  // the knot draw always uses this scale
    d.con.put("\n Enter the maximum number of points for curve-fit\n");
    ans.max_points = d.read_int("Enter the maximum number of points for curve-fit");
    if (ans.max_points < min_points) ans.max_points = min_points;
    if (ans.max_points > max_knots)
        stop_run(d.con, "the maximum number of points %ld is above the limit of %ld",
                 static_cast<long>(ans.max_points), static_cast<long>(max_knots));
}

// One trial on its own workspace: knots, values, baseline, residual check,
// spectrum and record. Its console lines and trial-file block stay in ts.
void run_trial(trial_state& ts, rng& r, const run_data& rd) {
    draw_knots(ts, r, rd.ans, rd.th);
    set_knot_values(ts, rd.th);
    eval_baseline(ts, rd.th);
    check_residual(ts, rd.th.n);
    spectrum_run(ts, rd.plan, rd.th.n);
    write_trial_record(ts);
}

void print_start_time(out_text& con, time_t start_time) {
    char text[64];
    std::tm local{};
    localtime_r(&start_time, &local);
    std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y\n", &local);
    con.printf("\n\n Current time and date: \n   %s", text);
}

}  // namespace

int run_basetrim() {
    dialogue d;
    d.attach_std();
    run_data rd;
    run_files f;
    rng r;
    selection sel;
    trial_state ts;
    int status = 0;
    try {
        d.con.put("\n basetrim, ver 2.0, June 12, 2008");
        d.con.put("\n\n baseline correction of shock time histories");
        d.con.put("\n by the basetrim developers");

        open_files(f, rd.ans, d);
        ask_and_set_up(rd, f, d, r);

        const time_t start_time = std::time(nullptr);
        print_start_time(d.con, start_time);

        // The trials.
        ts.residual = rd.th.amp_in;
        ts.baseline.assign(rd.th.n, 0.0);
        sel.peak_sym.reserve(rd.ans.ntrials > 0 ? rd.ans.ntrials : 0);
        int32_t progress = 0;
        for (int32_t trial = 0; trial < rd.ans.ntrials; ++trial) {
            ts.trial = trial;
            if (++progress == 100) {
                d.con.printf(" %ld ", static_cast<long>(trial + 1));
                print_elapsed(d.con, start_time);
                progress = 0;
            }
            try {
                run_trial(ts, r, rd);
            } catch (const run_stop&) {
                d.con.put(ts.console.str());
                throw;
            }
            sel.peak_sym.push_back(ts.peak_sym);
            d.con.put(ts.console.str());
            ts.console.clear();
            f.trial_file.drain(ts.block);
            if (f.trial_file.failed())
                stop_run(d.con, "cannot write the trial file %s (%s)", f.trial_file.name().c_str(),
                         error_text(f.trial_file.error()).c_str());
        }

        read_trial_records(sel, f, rd.ans.ntrials, d.con);
        rank_trials(sel, rd.ans, d.con);
        write_results(ts, sel, rd, f, d.con);
        status = d.read_key();
    } catch (const run_stop& stop) {
        status = stop.status;
    }
    // Whatever way the run ended, everything written so far reaches its file.
    for (out_stream* s : {&f.baseline_file, &f.corrected_file, &f.srs_file, &f.trial_file, &f.coef_file})
        if (s->is_open() && !s->close()) {
            d.con.printf("\n Stop: cannot write %s (%s) \n", s->name().c_str(), error_text(s->error()).c_str());
            status = 1;
        }
    d.flush();
    if (d.out.failed()) {
        std::fprintf(stderr, "basetrim: cannot write standard output (%s)\n", error_text(d.out.error()).c_str());
        return 1;
    }
    return status;
}

}  // namespace basetrim

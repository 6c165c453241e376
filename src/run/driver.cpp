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
#include "run/trials.h"
#include "selection/selection.h"
#include "spectrum/spectrum.h"

namespace basetrim {

namespace {

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

void print_start_time(out_text& con, time_t start_time) {
    char text[64];
    std::tm local{};
    localtime_r(&start_time, &local);
    std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y\n", &local);
    con.printf("\n\n Current time and date: \n   %s", text);
}

}  // namespace

run_options default_options() {
    run_options opt;
    opt.threads = worker_count();
    opt.target = straightforward ? bank_target::scalar : best_bank_target();
    return opt;
}

int run_basetrim(const run_options& opt) {
    dialogue d;
    d.attach_std();
    run_data rd;
    run_files f;
    rng r;
    selection sel;
    trial_workers workers;
    int status = 0;
    try {
        d.con.put("\n basetrim, ver 2.0, June 12, 2008");
        d.con.put("\n\n baseline correction of shock time histories");
        d.con.put("\n by the basetrim developers");

        open_files(f, rd.ans, d);
        ask_and_set_up(rd, f, d, r);
        if (bank_target_available(opt.target)) rd.plan.target = opt.target;

        const time_t start_time = std::time(nullptr);
        print_start_time(d.con, start_time);

        run_trials(workers, sel, r, rd, f, d, start_time, opt.threads);

        read_trial_records(sel, f, rd.ans.ntrials, d.con);
        rank_trials(sel, rd.ans, d.con);
        // The result phase takes the first workspace, with a baseline array.
        workers.ws.resize(1);
        trial_state& ts = *workers.ws[0];
        ts.baseline.assign(rd.th.n, 0.0);
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

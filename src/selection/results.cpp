#include <cmath>

#include "baseline/baseline.h"
#include "run/format.h"
#include "selection/selection.h"
#include "spectrum/spectrum.h"

namespace basetrim {

namespace {

void close_checked(out_stream& s, const char* what, out_text& con) {
    if (!s.close())
        stop_run(con, "cannot write %s %s (%s)", what, s.name().c_str(), error_text(s.error()).c_str());
}

}  // namespace

void write_results(trial_state& ts, selection& sel, const run_data& rd, run_files& f, out_text& con) {
    const time_history& th = rd.th;
    const int32_t n = th.n;

    fetch_chosen_knots(ts, sel, f, con);
    eval_baseline(ts, th);

    // Baseline and corrected files; residual becomes the corrected record.
    out_text lines;
    // "%14.7e \t %14.7e \n"
    auto put_pair = [&lines](double a, double b) {
        put_e(lines, a, 14, 7);
        lines.put(" \t ");
        put_e(lines, b, 14, 7);
        lines.put(" \n");
    };
    for (int32_t i = 0; i < n; ++i) {
        put_pair(th.xa[i], ts.baseline[i]);
        if (lines.size() >= (1 << 16)) f.baseline_file.drain(lines);
    }
    f.baseline_file.drain(lines);
    for (int32_t i = 0; i < n; ++i) {
        ts.residual[i] = th.amp_in[i] - ts.baseline[i];
        put_pair(th.xa[i], ts.residual[i]);
        if (lines.size() >= (1 << 16)) f.corrected_file.drain(lines);
    }
    f.corrected_file.drain(lines);

    // Spectrum of the corrected record, with a trial's warnings and stops.
    try {
        spectrum_run(ts, rd.plan, n);
    } catch (const run_stop&) {
        con.put(ts.console.str());
        ts.console.clear();
        throw;
    }
    con.put(ts.console.str());
    ts.console.clear();
    for (int32_t j = 0; j <= rd.plan.nspec; ++j)
        lines.printf(" %12.5g \t %8.4g \t %8.4g \n", rd.plan.fn[j], ts.xmax[j], std::fabs(ts.xmin[j]));
    f.srs_file.drain(lines);

    f.input_file.close();
    close_checked(f.baseline_file, "output file 1", con);
    close_checked(f.corrected_file, "output file 2", con);
    close_checked(f.srs_file, "SRS output file 3", con);
    close_checked(f.coef_file, "the coefficient file", con);

    con.printf("\n best case = %ld  sum=%8.4g  p=%ld  q=%ld\n", static_cast<long>(sel.best_case),
               sel.sum[sel.best_case], static_cast<long>(sel.p[sel.best_case]),
               static_cast<long>(sel.q[sel.best_case]));
    con.put("\n\n Calculation complete. \n Press any key to exit.");
}

}  // namespace basetrim

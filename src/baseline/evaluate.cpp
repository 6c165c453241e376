#include <cmath>

#include "baseline/baseline.h"
#include "run/limits.h"
#include "run/output.h"

namespace basetrim {

void eval_baseline(trial_state& ts, const time_history& th) {
    ts.ms = 0;
    ts.resid_max = -1e90;
    ts.resid_min = 1e90;
    const int32_t n = th.n;
    if (n <= 0) return;
    const int32_t nn = ts.nn;
    const double* kt = ts.knot_t;
    const double* ky = ts.knot_y;
    const double* xa = th.xa.data();
    const double* amp = th.amp_in.data();
    double* base = ts.baseline.data();
    double* res = ts.residual.data();
    const double w2 = 2.0 * th.dt;

    for (int32_t i = 0; i < n; ++i) {
        base[i] = 0;
        // The first knot interval, widened when narrow, that holds the sample.
        for (int32_t j = 0; j < nn - 1; ++j) {
            double lo = kt[j];
            double hi = kt[j + 1];
            if (std::fabs(hi - lo) < w2) {
                hi = hi + w2;
                lo = lo - w2;
            }
            if (lo <= xa[i] && xa[i] <= hi) {
                double f = (xa[i] - lo) / (hi - lo);
                double b = (1 - f) * ky[j] + f * ky[j + 1];
                base[i] = b;
                double r = amp[i] - b;
                res[i] = r;
                if (r > ts.resid_max) ts.resid_max = r;
                if (r < ts.resid_min) ts.resid_min = r;
                ts.ms = ts.ms + r * r;
                break;
            }
        }
    }
}

void check_residual(trial_state& ts, int32_t n) {
    ts.peak_sym = std::fabs(std::fabs(ts.resid_max / ts.resid_min) - 1.0);
    ts.rms = std::sqrt(ts.ms / static_cast<double>(n));
    if (ts.rms >= rms_low && ts.rms <= rms_high) return;
    out_text& con = ts.console;
    con.printf("\n rms=%8.4g \n\n", ts.rms);
    con.printf("\n rms error  ms=%8.4g  n=%ld  nn=%ld\n", ts.ms, static_cast<long>(n), static_cast<long>(ts.nn));
    for (int32_t k = 0; k < ts.nn; ++k) con.printf(" %12.6g \t %12.6g \n", ts.knot_t[k], ts.knot_y[k]);
    fatal_stop();
}

}  // namespace basetrim

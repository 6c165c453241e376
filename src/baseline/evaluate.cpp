#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "baseline/baseline.h"
#include "run/limits.h"
#include "run/output.h"

namespace basetrim {

bool knots_sorted(const double* knot_t, int32_t nn) {
    for (int32_t k = 1; k < nn; ++k)
        if (!(knot_t[k] >= knot_t[k - 1])) return false;
    return true;
}

namespace {

// One sample in interval j: baseline, residual and the statistics.
inline void take(trial_state& ts, int32_t i, double x, double lo, double hi, double y0, double y1, double amp,
                 double* base, double* res) {
    double f = (x - lo) / (hi - lo);
    double b = (1 - f) * y0 + f * y1;
    if (base) base[i] = b;
    double r = amp - b;
    res[i] = r;
    if (r > ts.resid_max) ts.resid_max = r;
    if (r < ts.resid_min) ts.resid_min = r;
    ts.ms = ts.ms + r * r;
}

// The extent of knot interval j: widened by two sample intervals at each
// end when it is narrower than two sample intervals.
inline void interval_extent(const double* kt, int32_t j, double w2, double& lo, double& hi) {
    lo = kt[j];
    hi = kt[j + 1];
    if (std::fabs(hi - lo) < w2) {
        hi = hi + w2;
        lo = lo - w2;
    }
}

// The first interval, in ascending order, whose extent holds x; -1 when none
// does.
inline int32_t first_interval(const double* kt, int32_t nn, double w2, double x, double& lo, double& hi) {
    for (int32_t j = 0; j < nn - 1; ++j) {
        interval_extent(kt, j, w2, lo, hi);
        if (lo <= x && x <= hi) return j;
    }
    return -1;
}

// Baseline, residual and statistics of a run of samples in one interval,
// two samples at a time: each lane computes exactly the scalar expression,
// and the statistics take the residuals in ascending sample order.
typedef double pair __attribute__((vector_size(16)));

struct residual_stats {
    double rmax, rmin, ms;
    void add(double r) {
        if (r > rmax) rmax = r;
        if (r < rmin) rmin = r;
        ms = ms + r * r;
    }
};

void interpolate_run(const double* x, const double* amp, double* base, double* res, int32_t len, double lo,
                     double hi, double y0, double y1, residual_stats& st) {
    const double span = hi - lo;
    int32_t k = 0;
    const pair vlo = {lo, lo}, vspan = {span, span}, v0 = {y0, y0}, v1 = {y1, y1}, one = {1.0, 1.0};
    for (; k + 2 <= len; k += 2) {
        pair vx, va;
        __builtin_memcpy(&vx, x + k, sizeof vx);
        __builtin_memcpy(&va, amp + k, sizeof va);
        pair f = (vx - vlo) / vspan;
        pair b = (one - f) * v0 + f * v1;
        pair r = va - b;
        if (base) __builtin_memcpy(base + k, &b, sizeof b);
        __builtin_memcpy(res + k, &r, sizeof r);
        st.add(r[0]);
        st.add(r[1]);
    }
    for (; k < len; ++k) {
        double f = (x[k] - lo) / span;
        double b = (1 - f) * y0 + f * y1;
        if (base) base[k] = b;
        res[k] = amp[k] - b;
        st.add(res[k]);
    }
}

// Ascending samples and sorted knots. The samples some interval holds are
// one run of indices, [begin, end). For a sample between the first and the
// last knot, the first interval that holds it is the first one whose right
// knot is not below it (jb), unless a narrow interval before that reaches it
// with its widened right end; the widened right ends never decrease, so the
// first narrow interval at or after the first widened right end not below
// the sample (jr) is the only candidate. Neither index changes until a
// sample passes the right knot of jb or the widened right end of jr, so the
// samples up to the nearer of the two form a run in one interval, found by
// binary search. Samples before the first or after the last knot are
// searched in full, as the scan does.
void eval_ascending(trial_state& ts, const time_history& th, const double* kt, const double* ky, int32_t nn,
                    double w2, double* base, double* res) {
    const int32_t n = th.n;
    const double* xa = th.xa.data();
    const double* amp = th.amp_in.data();
    const int32_t intervals = nn - 1;
    std::vector<double>& lo = ts.scratch_lo;
    std::vector<double>& hi = ts.scratch_hi;
    std::vector<double>& reach = ts.scratch_reach;
    std::vector<int32_t>& next_narrow = ts.scratch_next;
    lo.resize(intervals);
    hi.resize(intervals);
    reach.resize(intervals);
    next_narrow.resize(static_cast<size_t>(intervals) + 1);
    double cover_lo = std::numeric_limits<double>::infinity();
    double cover_hi = -cover_lo;
    for (int32_t j = 0; j < intervals; ++j) {
        double l, h;
        interval_extent(kt, j, w2, l, h);
        lo[j] = l;
        hi[j] = h;
        reach[j] = kt[j + 1] + w2;
        if (l < cover_lo) cover_lo = l;
        if (h > cover_hi) cover_hi = h;
    }
    next_narrow[intervals] = intervals;
    for (int32_t j = intervals - 1; j >= 0; --j)
        next_narrow[j] = std::fabs(kt[j + 1] - kt[j]) < w2 ? j : next_narrow[j + 1];

    const int32_t begin = static_cast<int32_t>(std::lower_bound(xa, xa + n, cover_lo) - xa);
    const int32_t end = static_cast<int32_t>(std::upper_bound(xa + begin, xa + n, cover_hi) - xa);
    if (base) {
        std::fill(base, base + begin, 0.0);
        std::fill(base + end, base + n, 0.0);
    }
    residual_stats st{ts.resid_max, ts.resid_min, ts.ms};
    const double first_knot = kt[0], last_knot = kt[nn - 1];
    int32_t jb = 0, jr = 0;
    int32_t i = begin;
    while (i < end) {
        const double x = xa[i];
        int32_t j, run_end;
        if (x >= first_knot && x <= last_knot) {
            while (kt[jb + 1] < x) ++jb;
            while (jr < intervals && reach[jr] < x) ++jr;
            const int32_t c = next_narrow[jr];
            j = c < jb ? c : jb;
            double limit = kt[jb + 1];
            if (jr < intervals && reach[jr] < limit) limit = reach[jr];
            run_end = static_cast<int32_t>(std::upper_bound(xa + i + 1, xa + end, limit) - xa);
        } else {
            double l, h;
            j = first_interval(kt, nn, w2, x, l, h);
            run_end = i + 1;
        }
        interpolate_run(xa + i, amp + i, base ? base + i : nullptr, res + i, run_end - i, lo[j], hi[j], ky[j],
                        ky[j + 1], st);
        i = run_end;
    }
    ts.resid_max = st.rmax;
    ts.resid_min = st.rmin;
    ts.ms = st.ms;
}

}  // namespace

void knot_coverage(const trial_state& ts, double dt, double& lo, double& hi) {
    const double w2 = 2.0 * dt;
    const double* kt = ts.knot_t;
    lo = std::numeric_limits<double>::infinity();
    hi = -std::numeric_limits<double>::infinity();
    for (int32_t j = 0; j < ts.nn - 1; ++j) {
        double l, h;
        interval_extent(kt, j, w2, l, h);
        if (l < lo) lo = l;
        if (h > hi) hi = h;
    }
}

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
    // A workspace without a baseline array keeps only the residual.
    double* base = ts.baseline.empty() ? nullptr : ts.baseline.data();
    double* res = ts.residual.data();
    const double w2 = 2.0 * th.dt;

    if (!straightforward && th.ascending && nn >= 2 && knots_sorted(kt, nn)) {
        eval_ascending(ts, th, kt, ky, nn, w2, base, res);
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (base) base[i] = 0;
        double lo, hi;
        int32_t j = first_interval(kt, nn, w2, xa[i], lo, hi);
        if (j >= 0) take(ts, i, xa[i], lo, hi, ky[j], ky[j + 1], amp[i], base, res);
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

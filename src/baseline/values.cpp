#include <algorithm>
#include <cmath>

#include "baseline/baseline.h"
#include "run/limits.h"
#include "run/output.h"

namespace basetrim {

namespace {

// The window of interior knot k: symmetric about it with the larger
// half-gap, widened by two sample intervals on each side when narrower than
// two sample intervals.
inline void knot_window(const double* kt, int32_t k, double w2, double& lo, double& hi) {
    double t = kt[k];
    double m1 = (kt[k - 1] + t) * 0.5;
    double m2 = (kt[k + 1] + t) * 0.5;
    double dl = t - m1;
    double dr = m2 - t;
    if (dl > dr) {
        lo = t - dl;
        hi = t + dl;
    } else if (dl < dr) {
        lo = t - dr;
        hi = t + dr;
    } else {
        lo = m1;
        hi = m2;
    }
    if (std::fabs(hi - lo) < w2) {
        hi = hi + w2;
        lo = lo - w2;
    }
}

inline double window_mean(double sum, int32_t count) { return count >= 3 ? sum / count : 0.0; }

// Ascending times: each window is one run of indices. Four windows are summed
// side by side, each in ascending index, so the four additions in flight do
// not wait on each other.
void values_by_search(trial_state& ts, const time_history& th, double w2) {
    const int32_t nn = ts.nn;
    const int32_t n = th.n;
    const double* kt = ts.knot_t;
    const double* xa = th.xa.data();
    const double* amp = th.amp_in.data();
    int32_t first[4], len[4];
    int32_t k = 2;
    while (k <= nn - 2) {
        const int32_t group = std::min<int32_t>(4, nn - 1 - k);
        for (int32_t g = 0; g < 4; ++g) {
            first[g] = 0;
            len[g] = 0;
            if (g >= group) continue;
            double lo, hi;
            knot_window(kt, k + g, w2, lo, hi);
            const double* a = std::lower_bound(xa, xa + n, lo);
            const double* b = std::upper_bound(a, xa + n, hi);
            first[g] = static_cast<int32_t>(a - xa);
            len[g] = static_cast<int32_t>(b - a);
        }
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        const double *p0 = amp + first[0], *p1 = amp + first[1], *p2 = amp + first[2], *p3 = amp + first[3];
        const int32_t common = std::min(std::min(len[0], len[1]), std::min(len[2], len[3]));
        int32_t t = 0;
        for (; t < common; ++t) {
            s0 = s0 + p0[t];
            s1 = s1 + p1[t];
            s2 = s2 + p2[t];
            s3 = s3 + p3[t];
        }
        for (int32_t u = t; u < len[0]; ++u) s0 = s0 + p0[u];
        for (int32_t u = t; u < len[1]; ++u) s1 = s1 + p1[u];
        for (int32_t u = t; u < len[2]; ++u) s2 = s2 + p2[u];
        for (int32_t u = t; u < len[3]; ++u) s3 = s3 + p3[u];
        const double sums[4] = {s0, s1, s2, s3};
        for (int32_t g = 0; g < group; ++g) ts.knot_y[k + g] = window_mean(sums[g], len[g]);
        k += group;
    }
}

}  // namespace

void set_knot_values(trial_state& ts, const time_history& th) {
    const int32_t nn = ts.nn;
    const int32_t n = th.n;
    const double* kt = ts.knot_t;
    const double* xa = th.xa.data();
    const double* amp = th.amp_in.data();
    const double w2 = 2.0 * th.dt;

    if (!straightforward && th.ascending && knots_sorted(kt, nn)) {
        values_by_search(ts, th, w2);
    } else {
        // Every sample is looked at by its time alone.
        for (int32_t k = 2; k <= nn - 2; ++k) {
            double lo, hi;
            knot_window(kt, k, w2, lo, hi);
            double sum = 0;
            int32_t count = 0;
            for (int32_t i = 0; i < n; ++i)
                if (lo <= xa[i] && xa[i] <= hi) {
                    sum = sum + amp[i];
                    ++count;
                }
            ts.knot_y[k] = window_mean(sum, count);
        }
    }
    ts.knot_y[0] = 0;
    ts.knot_y[1] = 0;
    ts.knot_y[nn - 1] = n > 0 ? amp[n - 1] : 0.0;
    if (nn < 3) {
        ts.console.put("\n nn error \n");
        fatal_stop();
    }
}

}  // namespace basetrim

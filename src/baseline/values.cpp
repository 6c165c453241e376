#include <algorithm>
#include <cmath>

#include "baseline/baseline.h"
#include "run/limits.h"
#include "run/output.h"

namespace basetrim {

void set_knot_values(trial_state& ts, const time_history& th) {
    const int32_t nn = ts.nn;
    const int32_t n = th.n;
    const double* kt = ts.knot_t;
    const double* xa = th.xa.data();
    const double* amp = th.amp_in.data();
    const double w2 = 2.0 * th.dt;
    // With times that never decrease, a window's samples are one run of
    // indices, found by binary search and added in ascending index as the
    // scan over all samples adds them.
    const bool search = !straightforward && th.ascending && knots_sorted(kt, nn);

    for (int32_t k = 2; k <= nn - 2; ++k) {
        // Window about the knot, symmetric with the larger half-gap.
        double t = kt[k];
        double m1 = (kt[k - 1] + t) * 0.5;
        double m2 = (kt[k + 1] + t) * 0.5;
        double dl = t - m1;
        double dr = m2 - t;
        double lo, hi;
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
        double sum = 0;
        int32_t count = 0;
        if (search) {
            const double* first = std::lower_bound(xa, xa + n, lo);
            const double* last = std::upper_bound(first, xa + n, hi);
            for (const double* p = first; p < last; ++p) sum = sum + amp[p - xa];
            count = static_cast<int32_t>(last - first);
        } else {
            for (int32_t i = 0; i < n; ++i)
                if (lo <= xa[i] && xa[i] <= hi) {
                    sum = sum + amp[i];
                    ++count;
                }
        }
        ts.knot_y[k] = count >= 3 ? sum / count : 0.0;
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

#include <cmath>
#include <utility>

#include "baseline/baseline.h"
#include "run/exchange.h"
#include "run/limits.h"

namespace basetrim {

namespace {

// Fractions of |xone| at which knots 1 to 12 stand.
constexpr double fixed_fractions[12] = {-0.9, -0.8, -0.7, -0.6, -0.5, -0.4, -0.3, -0.2, -0.15, -0.1, -0.05, -0.01};

// Less-than as the knot sort and the order check see it: a comparison with
// a value that is not a number is true.
inline bool sort_less(double a, double b) { return a < b || std::isnan(a) || std::isnan(b); }

}  // namespace

void exchange_sort(double* v, int32_t count) {
    // Short lists sort fastest by the procedure itself; longer ones take the
    // procedure's order from the n log n method. Both give the same array,
    // signed zeros in the same places.
    if (straightforward || count < 48) {
        for (int32_t i = 0; i < count - 1; ++i)
            for (int32_t j = i + 1; j < count; ++j)
                if (sort_less(v[j], v[i])) std::swap(v[i], v[j]);
        return;
    }
    int32_t ord[max_knots];
    double copy[max_knots];
    exchange_order(v, count, ord);
    for (int32_t k = 0; k < count; ++k) copy[k] = v[ord[k]];
    for (int32_t k = 0; k < count; ++k) v[k] = copy[k];
}

void draw_knots(trial_state& ts, rng& r, const answers& ans, const time_history& th) {
    for (;;) {
        // Knot count and exponent.
        int32_t r1 = rand15(r);
        ts.nn = static_cast<int32_t>(static_cast<double>(r1 * (ans.max_points - min_knots)) / draw_scale) + min_knots;
        int32_t r2 = rand15(r);
        double knot_exp = 1.0 + (r2 * ans.max_exponent) / draw_scale;

        // Fixed knots.
        const int32_t nn = ts.nn;
        double* kt = ts.knot_t;
        double a = std::fabs(th.xone);
        kt[0] = th.xone;
        for (int k = 0; k < 12; ++k) kt[k + 1] = a * fixed_fractions[k];
        kt[13] = 0;
        kt[nn - 1] = th.xlast;

        // Random knots, crowding toward the end of the record.
        for (int32_t pos = 14; pos <= nn - 2; ++pos) {
            do {
                double u = rand15(r) / draw_scale;
                double v = std::pow(u, knot_exp);
                if (!(v < 1.0)) v = rand15(r) / draw_scale;
                kt[pos] = v * th.xlast;
            } while (kt[pos] > th.xlast);
        }

        exchange_sort(kt, nn);

        bool ordered = true;
        for (int32_t i = 0; i < nn - 1; ++i)
            if (sort_less(kt[i + 1], kt[i])) {
                ts.console.put("\n warning 2 \n");
                ordered = false;
                break;
            }
        if (ordered) return;
    }
}

}  // namespace basetrim

// Knot values and baseline on awkward records, bit for bit against a plain
// evaluation of the rules: every sample visited for every knot and every
// interval searched from the first. Faster selections (for instance for
// ascending time columns) must give the very same bits.
#include <cmath>
#include <string>
#include <vector>

#include "baseline_fixtures.h"

namespace {

using namespace baseline_test;

std::vector<double> values_by_hand(const std::vector<double>& kt, const time_history& th) {
    const int32_t nn = static_cast<int32_t>(kt.size());
    std::vector<double> ky(nn);
    const double w2 = 2 * th.dt;
    for (int32_t k = 2; k <= nn - 2; ++k) {
        const double t = kt[k];
        const double m1 = (kt[k - 1] + t) * 0.5, m2 = (kt[k + 1] + t) * 0.5;
        const double dl = t - m1, dr = m2 - t;
        double lo = m1, hi = m2;
        if (dl > dr) lo = t - dl, hi = t + dl;
        if (dl < dr) lo = t - dr, hi = t + dr;
        if (std::fabs(hi - lo) < w2) hi = hi + w2, lo = lo - w2;
        double sum = 0;
        int count = 0;
        for (int32_t i = 0; i < th.n; ++i)
            if (lo <= th.xa[i] && th.xa[i] <= hi) sum = sum + th.amp_in[i], ++count;
        ky[k] = count >= 3 ? sum / count : 0;
    }
    ky[0] = 0;
    ky[1] = 0;
    ky[nn - 1] = th.amp_in[th.n - 1];
    return ky;
}

struct evaluated {
    std::vector<double> baseline, residual;
    double resid_max = -1e90, resid_min = 1e90, ms = 0;
};

evaluated baseline_by_hand(const std::vector<double>& kt, const std::vector<double>& ky, const time_history& th,
                           std::vector<double> residual) {
    evaluated e;
    e.baseline.assign(th.n, 0.0);
    const double w2 = 2 * th.dt;
    for (int32_t i = 0; i < th.n; ++i)
        for (size_t j = 0; j + 1 < kt.size(); ++j) {
            double lo = kt[j], hi = kt[j + 1];
            if (std::fabs(hi - lo) < w2) hi = hi + w2, lo = lo - w2;
            if (!(lo <= th.xa[i] && th.xa[i] <= hi)) continue;
            const double f = (th.xa[i] - lo) / (hi - lo);
            e.baseline[i] = (1 - f) * ky[j] + f * ky[j + 1];
            const double r = th.amp_in[i] - e.baseline[i];
            residual[i] = r;
            if (r > e.resid_max) e.resid_max = r;
            if (r < e.resid_min) e.resid_min = r;
            e.ms = e.ms + r * r;
            break;
        }
    e.residual = std::move(residual);
    return e;
}

// Amplitudes with a few large values, so that sums taken in another order
// would round differently.
double amplitude(int i) { return std::sin(0.37 * i) + 1e-3 * i + (i % 97 == 13 ? 3e11 : 0.0); }

struct record {
    std::string what;
    time_history th;
};

std::vector<record> awkward_records() {
    std::vector<record> out;
    auto add = [&](std::string what, std::vector<double> t, double dt) {
        std::vector<double> amp;
        for (size_t i = 0; i < t.size(); ++i) amp.push_back(amplitude(static_cast<int>(i)));
        out.push_back({std::move(what), make_history(std::move(t), std::move(amp), dt)});
    };
    std::vector<double> t;
    for (int i = 0; i < 600; ++i) t.push_back(-0.1 + i * 0.001);
    add("ascending, starting before zero", t, 0.001);
    t.clear();
    for (int i = 0; i < 400; ++i) t.push_back(i * 0.0025);
    add("ascending, starting at zero", t, 0.0025);
    t.clear();
    for (int i = 0; i < 300; ++i) t.push_back(0.05 + i * 0.002);
    add("ascending, starting after zero", t, 0.002);
    t.clear();
    for (int i = 0; i < 500; ++i) t.push_back(-0.02 + (i / 2) * 0.001);
    add("every time twice", t, 0.001);
    t.clear();
    for (int i = 0; i < 500; ++i) t.push_back(-0.05 + i * 0.001 - (i >= 200 && i < 260 ? 0.03 : 0.0));
    add("time column stepping back", t, 0.001);
    t.clear();
    for (int i = 0; i < 400; ++i) t.push_back(((i * 37) % 400) * 0.001 - 0.1);
    add("time column in no order", t, 0.001);
    t.clear();
    for (int i = 0; i < 120; ++i) t.push_back(-0.01 + i * 0.01);
    add("few samples, many knots", t, 0.01);
    t.clear();
    for (int i = 0; i < 200; ++i) t.push_back(-0.2 + i * 0.001 + (i % 3 == 0 ? 0.0 : 0.0003));
    t.push_back(0.0);
    add("uneven steps ending at zero", t, 0.001);
    return out;
}

void expect_same(const std::vector<double>& expected, const double* actual, size_t count, const char* what) {
    for (size_t k = 0; k < count; ++k)
        if (bits(expected[k]) != bits(actual[k])) {
            ADD_FAILURE() << what << " " << k << ": expected " << expected[k] << ", got " << actual[k];
            return;
        }
}

void check_trial(const time_history& th, trial_state& ts) {
    const std::vector<double> kt(ts.knot_t, ts.knot_t + ts.nn);
    set_knot_values(ts, th);
    const std::vector<double> ky = values_by_hand(kt, th);
    expect_same(ky, ts.knot_y, ky.size(), "knot value");

    evaluated e = baseline_by_hand(kt, ky, th, ts.residual);
    eval_baseline(ts, th);
    expect_same(e.baseline, ts.baseline.data(), th.n, "baseline at sample");
    expect_same(e.residual, ts.residual.data(), th.n, "residual at sample");
    EXPECT_SAME_BITS(e.resid_max, ts.resid_max);
    EXPECT_SAME_BITS(e.resid_min, ts.resid_min);
    EXPECT_SAME_BITS(e.ms, ts.ms);
}

// Knots as trials draw them, on every record, one workspace carried from
// trial to trial as in a run.
TEST(awkward_records, drawn_knots_against_the_rules) {
    for (const record& rec : awkward_records()) {
        SCOPED_TRACE(rec.what);
        auto ts = make_trial(rec.th.n);
        for (size_t i = 0; i < ts->residual.size(); ++i) ts->residual[i] = rec.th.amp_in[i];
        answers ans;
        ans.max_exponent = -1.0;
        rng r;
        discard_draws(r, static_cast<int32_t>(rec.th.n));
        for (int32_t max_points : {22, 60, 400}) {
            ans.max_points = max_points;
            for (int trial = 0; trial < 3; ++trial) {
                draw_knots(*ts, r, ans, rec.th);
                check_trial(rec.th, *ts);
                if (HasFailure()) return;
            }
        }
    }
}

// Knot sets no trial draws (knots read back from a file need not match the
// record): knots outside the record, clusters of equal and nearly equal
// knots, a single interval.
TEST(awkward_records, given_knots_against_the_rules) {
    const std::vector<std::vector<double>> knot_sets = {
        {-1.0, -0.5, 0.2, 0.2, 0.2005, 0.3, 2.0},
        {0.1, 0.1, 0.1, 0.1, 0.1},
        {-0.3, -0.2999, 0.0, 0.0004, 0.0008, 0.0012, 0.0016, 0.05, 0.0500001, 0.2, 0.2, 0.21},
        {-5.0, 0.0, 5.0},
        {0.15, 0.16, 0.17},
        {-0.1, -0.09, 0.0, 0.0, 0.0, 0.001, 0.0015, 0.002, 0.5, 0.6},
    };
    for (const record& rec : awkward_records()) {
        SCOPED_TRACE(rec.what);
        auto ts = make_trial(rec.th.n, -3.5);
        for (const std::vector<double>& kt : knot_sets) {
            set_knots(*ts, kt);
            check_trial(rec.th, *ts);
            if (HasFailure()) return;
        }
    }
}

}  // namespace

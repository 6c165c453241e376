// The searches used for time columns that never decrease, against the scans
// over all samples and all knot intervals: the same bits on awkward cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "baseline/baseline.h"
#include "run/run_state.h"

namespace {

using namespace basetrim;

// A record with repeated times, a start before or after zero, and an
// interval that may be far from even.
time_history make_record(std::mt19937& gen, int32_t n) {
    time_history th;
    std::uniform_real_distribution<double> u(0.0, 1.0);
    double start = (gen() % 3 == 0) ? -0.05 : (gen() % 2 ? 0.0 : 0.3);
    double t = start;
    for (int32_t i = 0; i < n; ++i) {
        th.xa.push_back(t);
        th.amp_in.push_back(std::sin(i * 0.37) * 5.0 + (gen() % 7 == 0 ? 100.0 : 0.0));
        double step = (gen() % 5 == 0) ? 0.0 : 0.001 * (0.5 + u(gen));  // repeated times now and then
        t += step;
    }
    th.n = n;
    th.xone = th.xa[0];
    th.xlast = th.xa[n - 1];
    th.dt = (th.xlast - th.xone) / (n - 1);
    th.ascending = true;
    return th;
}

// Knots as a trial draws them: fixed ones at and before zero, the record's
// ends, and random ones crowding toward the end, some duplicated and some
// within two sample intervals of each other.
void make_knots(std::mt19937& gen, const time_history& th, trial_state& ts) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    ts.nn = 20 + static_cast<int32_t>(gen() % 60);
    double a = std::fabs(th.xone);
    const double fr[12] = {-0.9, -0.8, -0.7, -0.6, -0.5, -0.4, -0.3, -0.2, -0.15, -0.1, -0.05, -0.01};
    ts.knot_t[0] = th.xone;
    for (int k = 0; k < 12; ++k) ts.knot_t[k + 1] = a * fr[k];
    ts.knot_t[13] = 0;
    ts.knot_t[ts.nn - 1] = th.xlast;
    for (int32_t k = 14; k < ts.nn - 1; ++k) {
        double v = std::pow(u(gen), 0.3);
        if (gen() % 9 == 0) v = 1.0;
        ts.knot_t[k] = v * th.xlast;
        if (k > 14 && gen() % 6 == 0) ts.knot_t[k] = ts.knot_t[k - 1] + (gen() % 3) * 0.0004;
        if (ts.knot_t[k] > th.xlast) ts.knot_t[k] = th.xlast;
    }
    exchange_sort(ts.knot_t, ts.nn);
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(fast_scans, knot_values_and_baseline_equal_the_scans) {
    std::mt19937 gen(2024);
    int cases = 0;
    for (int rep = 0; rep < 300; ++rep) {
        time_history th = make_record(gen, 50 + static_cast<int32_t>(gen() % 400));
        auto fast = std::make_unique<trial_state>();
        auto plain = std::make_unique<trial_state>();
        make_knots(gen, th, *fast);
        // Shift the knots off the record now and then, as knots read back
        // rounded from the trial file may be.
        if (rep % 4 == 1) fast->knot_t[0] += 0.0007;
        if (rep % 4 == 2) fast->knot_t[fast->nn - 1] -= 0.0015;
        exchange_sort(fast->knot_t, fast->nn);
        plain->nn = fast->nn;
        std::memcpy(plain->knot_t, fast->knot_t, sizeof fast->knot_t);

        time_history scan = th;
        scan.ascending = false;
        set_knot_values(*fast, th);
        set_knot_values(*plain, scan);
        for (int32_t k = 0; k < fast->nn; ++k)
            ASSERT_TRUE(same_bits(fast->knot_y[k], plain->knot_y[k])) << "case " << rep << " knot " << k;

        for (trial_state* ts : {fast.get(), plain.get()}) {
            ts->baseline.assign(th.n, -7.0);
            ts->residual.assign(th.n, -9.0);  // left where no interval holds a sample
        }
        eval_baseline(*fast, th);
        eval_baseline(*plain, scan);
        for (int32_t i = 0; i < th.n; ++i) {
            ASSERT_TRUE(same_bits(fast->baseline[i], plain->baseline[i])) << "case " << rep << " sample " << i;
            ASSERT_TRUE(same_bits(fast->residual[i], plain->residual[i])) << "case " << rep << " sample " << i;
        }
        EXPECT_TRUE(same_bits(fast->ms, plain->ms));
        EXPECT_EQ(fast->resid_max, plain->resid_max);
        EXPECT_EQ(fast->resid_min, plain->resid_min);
        ++cases;
    }
    EXPECT_EQ(300, cases);
}

TEST(fast_scans, workspace_without_baseline_gives_the_same_residual) {
    std::mt19937 gen(99);
    time_history th = make_record(gen, 300);
    auto with = std::make_unique<trial_state>();
    auto without = std::make_unique<trial_state>();
    make_knots(gen, th, *with);
    without->nn = with->nn;
    std::memcpy(without->knot_t, with->knot_t, sizeof with->knot_t);
    set_knot_values(*with, th);
    std::memcpy(without->knot_y, with->knot_y, sizeof with->knot_y);
    with->baseline.assign(th.n, 0.0);
    with->residual.assign(th.n, 0.0);
    without->residual.assign(th.n, 0.0);
    eval_baseline(*with, th);
    eval_baseline(*without, th);
    EXPECT_EQ(with->residual, without->residual);
    EXPECT_TRUE(same_bits(with->ms, without->ms));
}

}  // namespace

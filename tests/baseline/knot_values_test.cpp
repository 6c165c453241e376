// Knot values: the window about each interior knot, the mean over it, the
// first two and the last knot, and the knot-count check.
#include <cmath>
#include <vector>

#include "baseline_fixtures.h"

namespace {

using namespace baseline_test;

// Samples at 0, 0.25, ..., 4.0 with amplitude 2^i, so that every window's
// sum names its samples.
time_history quarter_grid(double dt) {
    std::vector<double> t, amp;
    for (int i = 0; i <= 16; ++i) {
        t.push_back(0.25 * i);
        amp.push_back(std::ldexp(1.0, i));
    }
    return make_history(t, amp, dt);
}

// One interior knot (index 2 of four) between its two neighbours.
TEST(knot_values, window_about_an_interior_knot) {
    struct row {
        const char* what;
        double left, t, right, dt;
        double expected;
    };
    const row rows[] = {
        {"exactly 3 samples, both ends included, width exactly 2 dt not widened", 0.5, 1.0, 1.5, 0.25, 56.0 / 3.0},
        {"2 samples give 0", 0.5, 0.875, 1.25, 0.0625, 0.0},
        {"left half-gap larger: 0.75 .. 2.25", 0.0, 1.5, 1.75, 0.01, 1016.0 / 7.0},
        {"right half-gap larger: 0.375 .. 2.125", 1.0, 1.25, 3.0, 0.01, 508.0 / 7.0},
        {"narrower than 2 dt: widened to 0.375 .. 1.625", 0.75, 1.0, 1.25, 0.25, 124.0 / 5.0},
        {"zero width at 0: widened to -0.5 .. 0.5", 0.0, 0.0, 0.0, 0.25, 7.0 / 3.0},
        {"zero width at 2: widened to 1.5 .. 2.5", 2.0, 2.0, 2.0, 0.25, 1984.0 / 5.0},
        {"window across the start of the record", -1.0, 0.0, 0.5, 0.01, 7.0 / 3.0},
        {"window before the record", -0.9, -0.8, -0.7, 0.25, 0.0},
        {"window after the record", 5.0, 6.0, 7.0, 0.25, 0.0},
    };
    for (const row& w : rows) {
        SCOPED_TRACE(w.what);
        time_history th = quarter_grid(w.dt);
        auto ts = make_trial(th.n);
        set_knots(*ts, {w.left - 1.0, w.left, w.t, w.right});
        set_knot_values(*ts, th);
        EXPECT_EQ(w.expected, ts->knot_y[2]);
        EXPECT_SAME_BITS(0.0, ts->knot_y[0]);
        EXPECT_SAME_BITS(0.0, ts->knot_y[1]);
        EXPECT_EQ(65536.0, ts->knot_y[3]) << "the last knot takes the last amplitude";
        EXPECT_EQ(777.0, ts->knot_y[4]) << "entries from nn on are not touched";
        EXPECT_EQ("", ts->console.str());
    }
}

// Neighbours at 0.0 and 0.4, knot at 0.1: the window runs from about -0.05
// to 0.25 (the larger half-gap, 0.15, on both sides).
TEST(knot_values, worked_window_between_0_and_0_4) {
    time_history th = make_history({-0.06, -0.049, 0.0, 0.1, 0.249, 0.26}, {1, 2, 4, 8, 16, 32}, 0.001);
    auto ts = make_trial(th.n);
    set_knots(*ts, {-0.1, 0.0, 0.1, 0.4});
    set_knot_values(*ts, th);
    EXPECT_EQ(7.5, ts->knot_y[2]);  // (2 + 4 + 8 + 16) / 4
    EXPECT_EQ(32.0, ts->knot_y[3]);
}

// xone = -0.1, dt = 0.001: knot 12 at -0.001 between -0.005 and 0 has the
// window -0.003 .. 0.001, across time zero, not widened.
TEST(knot_values, worked_window_across_time_zero) {
    time_history th = make_history({-0.0035, -0.0025, -0.0005, 0.0005, 0.0015}, {1, 2, 4, 8, 16}, 0.001);
    auto ts = make_trial(th.n);
    const double a = 0.1;
    set_knots(*ts, {-0.1, a * -0.05, a * -0.01, 0.0});
    set_knot_values(*ts, th);
    EXPECT_EQ(14.0 / 3.0, ts->knot_y[2]);  // -0.0025, -0.0005 and 0.0005
}

// In a record that starts at time 0 the knots 1 to 13 are zeros, so knots 2
// to 12 have neighbours at their own time: windows of width zero, widened to
// -2 dt .. 2 dt, which hold the first three samples.
TEST(knot_values, zeros_of_a_record_starting_at_zero) {
    time_history th = quarter_grid(0.25);
    auto ts = make_trial(th.n);
    rng r;
    discard_draws(r, 0);
    answers ans;
    ans.max_points = 40;
    ans.max_exponent = -1.0;
    draw_knots(*ts, r, ans, th);
    set_knot_values(*ts, th);
    for (int k = 2; k <= 12; ++k) EXPECT_EQ(7.0 / 3.0, ts->knot_y[k]) << "knot " << k;
    EXPECT_SAME_BITS(0.0, ts->knot_y[0]);
    EXPECT_SAME_BITS(0.0, ts->knot_y[1]);
    EXPECT_EQ(65536.0, ts->knot_y[ts->nn - 1]);
}

// In a record that starts after zero the knots 1 to 12 lie before it: their
// windows hold no sample and their values are 0.
TEST(knot_values, knots_before_a_record_starting_after_zero) {
    std::vector<double> t, amp;
    for (int i = 0; i <= 16; ++i) {
        t.push_back(1.0 + 0.25 * i);
        amp.push_back(3.0 + i);
    }
    time_history th = make_history(t, amp, 0.25);
    auto ts = make_trial(th.n);
    rng r;
    discard_draws(r, 1);
    answers ans;
    ans.max_points = 30;
    ans.max_exponent = -1.0;
    draw_knots(*ts, r, ans, th);
    ASSERT_LT(ts->knot_t[11], 0.0);
    set_knot_values(*ts, th);
    for (int k = 2; k <= 11; ++k) EXPECT_SAME_BITS(0.0, ts->knot_y[k]) << "knot " << k;
    EXPECT_EQ(19.0, ts->knot_y[ts->nn - 1]);
}

// Below 3 knots the run stops.
TEST(knot_values, fewer_than_three_knots_stop_the_run) {
    time_history th = quarter_grid(0.25);
    auto ts = make_trial(th.n);
    set_knots(*ts, {0.0, 4.0});
    try {
        set_knot_values(*ts, th);
        FAIL() << "no stop";
    } catch (const run_stop& s) {
        EXPECT_EQ(1, s.status);
    }
    EXPECT_EQ("\n nn error \n", ts->console.str());
}

}  // namespace

// The baseline through the knots at every sample, the residual it leaves,
// and the residual check with its stop.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "baseline_fixtures.h"

namespace {

using namespace baseline_test;

// Knots 0.9, 1.0, 1.001, 1.5 with dt = 0.001: the narrow interval 1.0 ..
// 1.001 is evaluated as 0.998 .. 1.003 and takes samples up to 1.003.
TEST(baseline_eval, worked_interpolation_with_a_narrow_interval) {
    const double a = 1, b = 2, c = 10, d = -4;
    time_history th = make_history({0.5, 1.0, 1.0005, 1.002, 1.2}, {5, 5, 5, 5, 5}, 0.001);
    auto ts = make_trial(th.n);
    set_knots(*ts, {0.9, 1.0, 1.001, 1.5}, {a, b, c, d});
    eval_baseline(*ts, th);

    const double lo = 1.0 - 0.002, hi = 1.001 + 0.002;  // the widened interval
    const double f2 = (1.0005 - lo) / (hi - lo), f3 = (1.002 - lo) / (hi - lo);
    const double f4 = (1.2 - 1.001) / (1.5 - 1.001);
    const double expected[5] = {0.0, b, (1 - f2) * b + f2 * c, (1 - f3) * b + f3 * c, (1 - f4) * c + f4 * d};
    for (int i = 0; i < 5; ++i) EXPECT_SAME_BITS(expected[i], ts->baseline[i]) << "sample " << i;
    EXPECT_NEAR((b + c) / 2, ts->baseline[2], 1e-9);
    EXPECT_NEAR(0.2 * b + 0.8 * c, ts->baseline[3], 1e-9);

    EXPECT_EQ(777.0, ts->residual[0]) << "a sample before the first knot keeps its residual";
    for (int i = 1; i < 5; ++i) EXPECT_SAME_BITS(5.0 - expected[i], ts->residual[i]) << "sample " << i;
    EXPECT_EQ(3.0, ts->resid_max);
    EXPECT_SAME_BITS(5.0 - expected[3], ts->resid_min);
    double ms = 0;
    for (int i = 1; i < 5; ++i) ms = ms + (5.0 - expected[i]) * (5.0 - expected[i]);
    EXPECT_SAME_BITS(ms, ts->ms);
}

// Which interval takes a sample, and the value it gives there.
TEST(baseline_eval, interval_rules) {
    const double dt_above = std::nextafter(0.25, 1.0);
    struct row {
        const char* what;
        std::vector<double> t, y;
        double dt, sample, expected, tolerance;
    };
    const row rows[] = {
        {"sample at an interior knot takes its value", {0.3, 0.7, 1.9}, {1.7, -2.9, 4.3}, 0.001, 0.7, -2.9, 0},
        {"sample at the first knot", {0.3, 0.7, 1.9}, {1.7, -2.9, 4.3}, 0.001, 0.3, 1.7, 0},
        {"sample at the last knot", {0.3, 0.7, 1.9}, {1.7, -2.9, 4.3}, 0.001, 1.9, 4.3, 0},
        {"interval exactly 2 dt wide is not widened", {0, 0.5, 1.0}, {0, 4, 8}, 0.25, 0.125, 1.0, 0},
        {"and leaves the next interval its samples", {0, 0.5, 1.0}, {0, 4, 8}, 0.25, 0.75, 6.0, 0},
        {"interval just under 2 dt is widened", {0, 0.5, 1.0}, {0, 4, 8}, dt_above, 0.125, 5.0 / 3.0, 1e-12},
        {"widened interval takes the next interval's samples", {0, 0.5, 1.0}, {0, 4, 8}, dt_above, 0.75, 10.0 / 3.0,
         1e-12},
        {"equal knots: the interval before wins at the knot", {0, 1, 1, 2}, {0, 5, 9, 2}, 0.1, 1.0, 5.0, 0},
        {"equal knots: zero width widened to 0.8 .. 1.2", {0, 1, 1, 2}, {0, 5, 9, 2}, 0.1, 1.1, 8.0, 1e-12},
        {"equal knots: past the widened interval", {0, 1, 1, 2}, {0, 5, 9, 2}, 0.1, 1.3, 6.9, 1e-12},
    };
    for (const row& w : rows) {
        SCOPED_TRACE(w.what);
        time_history th = make_history({w.sample}, {100.0}, w.dt);
        auto ts = make_trial(1);
        set_knots(*ts, w.t, w.y);
        eval_baseline(*ts, th);
        if (w.tolerance == 0) {
            EXPECT_EQ(w.expected, ts->baseline[0]);
        } else {
            EXPECT_NEAR(w.expected, ts->baseline[0], w.tolerance);
        }
        EXPECT_SAME_BITS(100.0 - ts->baseline[0], ts->residual[0]);
    }
}

// Samples that lie in no interval (possible when the time column goes back
// or runs past the last knot) get baseline 0, keep their residual and are
// left out of the statistics. Knot entries from nn on are not read.
TEST(baseline_eval, samples_outside_every_interval) {
    time_history th = make_history({0, 1, 2, -5, 3, 4}, {1, -1, 5, 100, 3, -100}, 0.01);
    auto ts = make_trial(th.n);
    set_knots(*ts, {0, 3}, {0, 3});
    ts->knot_t[2] = 10;  // beyond nn: an interval 3 .. 10 would take the sample at 4
    ts->knot_y[2] = 1000;
    eval_baseline(*ts, th);
    const double baseline[6] = {0, 1, 2, 0, 3, 0};
    const double residual[6] = {1, -2, 3, 777, 0, 777};
    for (int i = 0; i < 6; ++i) {
        EXPECT_SAME_BITS(baseline[i], ts->baseline[i]) << "sample " << i;
        EXPECT_SAME_BITS(residual[i], ts->residual[i]) << "sample " << i;
    }
    EXPECT_EQ(3.0, ts->resid_max);
    EXPECT_EQ(-2.0, ts->resid_min);
    EXPECT_EQ(14.0, ts->ms);

    check_residual(*ts, th.n);
    EXPECT_EQ(0.5, ts->peak_sym);
    EXPECT_EQ(std::sqrt(14.0 / 6.0), ts->rms) << "n counts every sample";
}

// With no samples the statistics are only reset, and the rms is not a
// number: the check stops the run.
TEST(baseline_eval, empty_record_resets_and_fails) {
    auto ts = make_trial(0);
    ts->ms = 5;
    ts->resid_max = 1;
    ts->resid_min = -1;
    set_knots(*ts, {0, 1}, {0, 0});
    eval_baseline(*ts, make_history({}, {}, 0.001));
    EXPECT_EQ(0.0, ts->ms);
    EXPECT_EQ(-1e90, ts->resid_max);
    EXPECT_EQ(1e90, ts->resid_min);
    EXPECT_THROW(check_residual(*ts, 0), run_stop);
    EXPECT_EQ(0u, ts->console.str().find("\n rms=")) << ts->console.str();
    EXPECT_NE(std::string::npos, ts->console.str().find("nan")) << ts->console.str();
}

// peak_sym from the residual's extremes, and the rms range 1e-20 .. 1e20
// with both bounds included.
TEST(residual_check, peak_symmetry_and_rms_range) {
    const double low_out = std::nextafter(1e-20, 0.0), high_out = std::nextafter(1e20, 1e300);
    const double inf = std::numeric_limits<double>::infinity();
    struct row {
        const char* what;
        double resid_max, resid_min, ms;
        int32_t n;
        double peak_sym, rms;
        bool passes;
    };
    const row rows[] = {
        {"symmetric peaks", 3, -3, 4, 1, 0, 2, true},
        {"largest twice the smallest", 4, -2, 9, 4, 1, 1.5, true},
        {"largest a quarter of the smallest", 1, -4, 1, 1, 0.75, 1, true},
        {"smallest residual zero", 5, 0, 1, 1, inf, 1, true},
        {"rms exactly 1e-20", 1, -1, 1e-20 * 1e-20, 1, 0, 1e-20, true},
        {"rms exactly 1e20", 1, -1, 1e20 * 1e20, 1, 0, 1e20, true},
        {"rms just below 1e-20", 1, -1, low_out * low_out, 1, 0, low_out, false},
        {"rms just above 1e20", 1, -1, high_out * high_out, 1, 0, high_out, false},
        {"rms zero", 1, -1, 0, 5, 0, 0, false},
        {"no sample in any interval", -1e90, 1e90, 0, 4, 0, 0, false},
    };
    for (const row& w : rows) {
        SCOPED_TRACE(w.what);
        ASSERT_EQ(w.rms, std::sqrt(w.ms / w.n));
        auto ts = make_trial(0);
        set_knots(*ts, {0.0, 1.0}, {0.0, 2.0});
        ts->resid_max = w.resid_max;
        ts->resid_min = w.resid_min;
        ts->ms = w.ms;
        bool stopped = false;
        try {
            check_residual(*ts, w.n);
        } catch (const run_stop& s) {
            stopped = true;
            EXPECT_EQ(1, s.status);
        }
        EXPECT_EQ(!w.passes, stopped);
        EXPECT_EQ(w.peak_sym, ts->peak_sym);
        EXPECT_EQ(w.rms, ts->rms);
        if (w.passes) {
            EXPECT_EQ("", ts->console.str());
        }
    }
}

TEST(residual_check, failure_message_lists_the_knots) {
    auto ts = make_trial(0);
    set_knots(*ts, {-0.5, 0.0, 0.25}, {0.0, 0.0, 1.5});
    ts->ms = 0;
    EXPECT_THROW(check_residual(*ts, 5), run_stop);
    EXPECT_EQ(
        "\n rms=       0 \n\n"
        "\n rms error  ms=       0  n=5  nn=3\n"
        "         -0.5 \t            0 \n"
        "            0 \t            0 \n"
        "         0.25 \t          1.5 \n",
        ts->console.str());

    auto low = make_trial(0);
    set_knots(*low, {0.0, 1.0}, {0.0, 2.0});
    const double y = std::nextafter(1e-20, 0.0);
    low->ms = y * y;
    EXPECT_THROW(check_residual(*low, 1), run_stop);
    EXPECT_EQ(
        "\n rms=   1e-20 \n\n"
        "\n rms error  ms=   1e-40  n=1  nn=2\n"
        "            0 \t            0 \n"
        "            1 \t            2 \n",
        low->console.str());
}

// An input whose amplitudes are all zero gives zero knot values, baseline
// and residual, and so stops the first trial.
TEST(residual_check, all_zero_record_stops_the_first_trial) {
    std::vector<double> t, amp;
    for (int i = 0; i <= 8; ++i) {
        t.push_back(-0.5 + 0.125 * i);
        amp.push_back(0.0);
    }
    time_history th = make_history(t, amp, 0.125);
    auto ts = make_trial(th.n);
    rng r;
    discard_draws(r, 0);
    answers ans;
    ans.max_points = 22;
    ans.max_exponent = -1.0;
    draw_knots(*ts, r, ans, th);
    set_knot_values(*ts, th);
    eval_baseline(*ts, th);
    for (int i = 0; i < th.n; ++i) {
        EXPECT_EQ(0.0, ts->baseline[i]);
        EXPECT_EQ(0.0, ts->residual[i]);
    }
    EXPECT_THROW(check_residual(*ts, th.n), run_stop);
    const std::string head = "\n rms=       0 \n\n\n rms error  ms=       0  n=9  nn=" + std::to_string(ts->nn) + "\n";
    const std::string& con = ts->console.str();
    ASSERT_EQ(head, con.substr(0, head.size()));
    std::vector<std::string> knot_lines;
    for (size_t at = head.size(); at < con.size();) {
        size_t end = con.find('\n', at);
        knot_lines.push_back(con.substr(at, end + 1 - at));
        at = end + 1;
    }
    ASSERT_EQ(static_cast<size_t>(ts->nn), knot_lines.size());
    for (const std::string& line : knot_lines) EXPECT_EQ(" \t            0 \n", line.substr(13)) << line;
}

}  // namespace

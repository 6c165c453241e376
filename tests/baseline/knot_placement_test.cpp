// The random knots of a trial: knot count, exponent, fixed and random knot
// times, the draws they take, and the knot sort.
#include <cmath>
#include <limits>
#include <vector>

#include "baseline_fixtures.h"

namespace {

using namespace baseline_test;

answers knot_answers(int32_t max_points) {
    answers ans;
    ans.max_points = max_points;
    ans.max_exponent = -1.0;  // what the dialogue always leaves there
    return ans;
}

time_history span(double xone, double xlast) {
    time_history th;
    th.xone = xone;
    th.xlast = xlast;
    return th;
}

// The knots of one placement attempt, before the sort, drawn by hand from
// the rules: count, exponent, fixed knots, then the random knots in index
// order with the second draw for a power of 1 or more.
struct placed {
    int32_t nn = 0;
    std::vector<double> t;  // unsorted
    int draws = 0;          // draws taken
};

placed place_by_hand(rng r, int32_t max_points, double xone, double xlast) {
    placed p;
    auto draw = [&] {
        ++p.draws;
        return rand15(r);
    };
    int32_t r1 = draw();
    p.nn = 20 + static_cast<int32_t>(static_cast<double>(r1 * (max_points - 20)) / 32767.0);
    int32_t r2 = draw();
    double knot_exp = 1.0 + (r2 * -1.0) / 32767.0;
    double a = std::fabs(xone);
    p.t = {xone,       a * -0.9,  a * -0.8,  a * -0.7,  a * -0.6,  a * -0.5,  a * -0.4,
           a * -0.3,   a * -0.2,  a * -0.15, a * -0.1,  a * -0.05, a * -0.01, 0.0};
    for (int32_t pos = 14; pos <= p.nn - 2; ++pos) {
        double t;
        do {
            double v = std::pow(draw() / 32767.0, knot_exp);
            if (v >= 1.0) v = draw() / 32767.0;
            t = v * xlast;
        } while (t > xlast);
        p.t.push_back(t);
    }
    p.t.push_back(xlast);
    return p;
}

// Runs draw_knots and checks it against the knots drawn by hand: the count,
// the sorted times (by value) and the number of draws taken.
void expect_as_by_hand(rng& r, int32_t max_points, double xone, double xlast, trial_state& ts) {
    placed p = place_by_hand(r, max_points, xone, xlast);
    uint32_t expected_state = state_after(r, p.draws);
    draw_knots(ts, r, knot_answers(max_points), span(xone, xlast));
    ASSERT_EQ(p.nn, ts.nn);
    std::sort(p.t.begin(), p.t.end());
    for (int32_t k = 0; k < ts.nn; ++k) EXPECT_EQ(p.t[k], ts.knot_t[k]) << "knot " << k;
    EXPECT_EQ(expected_state, r.rand_seed) << "draws taken differ from " << p.draws;
    EXPECT_EQ("", ts.console.str());
}

TEST(knot_placement, first_trial_after_the_answer_zero) {
    for (int32_t max_points : {40, 22}) {
        rng r;
        discard_draws(r, 0);
        ASSERT_EQ((std::vector<int32_t>{18467, 6334, 26500}), peek_draws(r, 3));
        auto ts = make_trial(0);
        draw_knots(*ts, r, knot_answers(max_points), span(-0.1, 0.5));
        EXPECT_EQ(max_points == 40 ? 31 : 21, ts->nn);
        // 26500 / 32767 = 0.808741 to the power 0.806696 (from 6334) is 0.842617;
        // times xlast 0.5 the first random knot lies at 0.421308.
        int found = 0;
        for (int32_t k = 0; k < ts->nn; ++k)
            if (std::fabs(ts->knot_t[k] - 0.421308) < 5e-7) ++found;
        EXPECT_EQ(1, found);
    }
}

// r1 alone fixes the count: 20 + trunc(r1 * (max_points - 20) / 32767).
TEST(knot_placement, knot_count_from_the_first_draw) {
    struct row {
        int32_t max_points, r1, nn;
    };
    const row rows[] = {
        {22, 0, 20},     {22, 16383, 20},  {22, 16384, 21},   {22, 32766, 21},   {22, 32767, 22},
        {40, 0, 20},     {40, 18467, 31},  {40, 32767, 40},   {1000, 16384, 510}, {1000, 32767, 1000},
    };
    auto ts = make_trial(0);
    for (const row& w : rows) {
        SCOPED_TRACE(testing::Message() << "max_points " << w.max_points << ", r1 " << w.r1);
        rng r;
        ASSERT_TRUE(state_for_draws({exactly(w.r1)}, 0, r));
        rng copy = r;
        draw_knots(*ts, copy, knot_answers(w.max_points), span(-0.1, 0.5));
        EXPECT_EQ(w.nn, ts->nn);
        expect_as_by_hand(r, w.max_points, -0.1, 0.5, *ts);
    }
}

// r2 = 32767 makes the exponent 0: every power is 1, so every random knot
// takes its second draw, and each random knot costs two draws.
TEST(knot_placement, exponent_zero_takes_every_second_draw) {
    rng r;
    ASSERT_TRUE(state_for_draws({{0, 16383}, exactly(32767)}, 1, r));  // nn = 20: five random knots
    const std::vector<int32_t> d = peek_draws(r, 12);
    const double xlast = 0.75;
    std::vector<double> expected = {-0.2, 0.2 * -0.9, 0.2 * -0.8, 0.2 * -0.7, 0.2 * -0.6, 0.2 * -0.5,
                                    0.2 * -0.4, 0.2 * -0.3, 0.2 * -0.2, 0.2 * -0.15, 0.2 * -0.1, 0.2 * -0.05,
                                    0.2 * -0.01, 0.0, xlast};
    for (int k = 3; k < 12; k += 2) expected.push_back(d[k] / 32767.0 * xlast);
    std::sort(expected.begin(), expected.end());

    auto ts = make_trial(0);
    const uint32_t end_state = state_after(r, 12);
    draw_knots(*ts, r, knot_answers(22), span(-0.2, xlast));
    ASSERT_EQ(20, ts->nn);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(expected[k], ts->knot_t[k]) << "knot " << k;
    EXPECT_EQ(end_state, r.rand_seed);
}

// A power draw of 32767 gives exactly 1 and is replaced by the next draw; a
// replacement of 32767 puts the knot exactly at xlast.
TEST(knot_placement, power_of_one_is_drawn_again) {
    const double xlast = 0.5;
    {
        rng r;
        ASSERT_TRUE(state_for_draws({any_draw, {0, 32766}, exactly(32767)}, 2, r));
        const int32_t second = peek_draws(r, 4)[3];
        auto ts = make_trial(0);
        rng copy = r;
        draw_knots(*ts, copy, knot_answers(40), span(-0.1, xlast));
        EXPECT_NE(ts->knot_t + ts->nn, std::find(ts->knot_t, ts->knot_t + ts->nn, second / 32767.0 * xlast));
        expect_as_by_hand(r, 40, -0.1, xlast, *ts);
    }
    {
        rng r;
        ASSERT_TRUE(state_for_draws({any_draw, {0, 32766}, exactly(32767), exactly(32767)}, 2, r));
        auto ts = make_trial(0);
        rng copy = r;
        draw_knots(*ts, copy, knot_answers(40), span(-0.1, xlast));
        EXPECT_EQ(xlast, ts->knot_t[ts->nn - 2]);
        EXPECT_EQ(xlast, ts->knot_t[ts->nn - 1]);
        expect_as_by_hand(r, 40, -0.1, xlast, *ts);
    }
}

// A power draw of 0 with an exponent above 0 puts a random knot at time
// zero, beside knot 13.
TEST(knot_placement, power_draw_zero_lands_on_time_zero) {
    rng r;
    ASSERT_TRUE(state_for_draws({any_draw, {0, 32766}, exactly(0)}, 2, r));
    auto ts = make_trial(0);
    rng copy = r;
    draw_knots(*ts, copy, knot_answers(30), span(-0.1, 2.0));
    EXPECT_EQ(0.1 * -0.01, ts->knot_t[12]);
    EXPECT_SAME_BITS(0.0, ts->knot_t[13]);
    EXPECT_SAME_BITS(0.0, ts->knot_t[14]);
    EXPECT_LT(0.0, ts->knot_t[15]);
    expect_as_by_hand(r, 30, -0.1, 2.0, *ts);
}

// xone = -0.1: the fixed knots lie between the first sample and zero, in
// table order, and every random knot after them.
TEST(knot_placement, negative_start_keeps_fixed_knots_in_front) {
    rng r;
    discard_draws(r, 11);
    auto ts = make_trial(0);
    for (int trial = 0; trial < 20; ++trial) {
        draw_knots(*ts, r, knot_answers(60), span(-0.1, 0.3));
        const double fixed[14] = {-0.1,       0.1 * -0.9, 0.1 * -0.8,  0.1 * -0.7, 0.1 * -0.6,
                                  0.1 * -0.5, 0.1 * -0.4, 0.1 * -0.3,  0.1 * -0.2, 0.1 * -0.15,
                                  0.1 * -0.1, 0.1 * -0.05, 0.1 * -0.01, 0.0};
        for (int k = 0; k < 14; ++k) EXPECT_SAME_BITS(fixed[k], ts->knot_t[k]);
        EXPECT_EQ(0.3, ts->knot_t[ts->nn - 1]);
        ASSERT_GE(ts->nn, 20);
        ASSERT_LE(ts->nn, 60);
    }
}

// xone = 0: knots 0 to 13 are all zero, 1 to 12 negative zero, and no knot
// is less than zero, so all fourteen keep their places and their signs.
TEST(knot_placement, start_at_zero_keeps_signed_zeros_in_place) {
    rng r;
    discard_draws(r, 0);
    auto ts = make_trial(0);
    for (int trial = 0; trial < 30; ++trial) {
        draw_knots(*ts, r, knot_answers(40), span(0.0, 1.0));
        EXPECT_SAME_BITS(0.0, ts->knot_t[0]);
        for (int k = 1; k <= 12; ++k) EXPECT_SAME_BITS(-0.0, ts->knot_t[k]) << "knot " << k;
        EXPECT_SAME_BITS(0.0, ts->knot_t[13]);
        for (int k = 14; k < ts->nn; ++k) EXPECT_FALSE(std::signbit(ts->knot_t[k])) << "knot " << k;
    }
}

// xone > 0: knots 1 to 12 lie before the record, so after the sort they
// lead, followed by zero, and the first sample time moves up among the
// random knots.
TEST(knot_placement, positive_start_puts_fixed_knots_before_the_record) {
    rng r;
    discard_draws(r, 4);
    auto ts = make_trial(0);
    for (int trial = 0; trial < 20; ++trial) {
        draw_knots(*ts, r, knot_answers(40), span(0.2, 1.0));
        const double before[12] = {0.2 * -0.9, 0.2 * -0.8, 0.2 * -0.7,  0.2 * -0.6, 0.2 * -0.5,  0.2 * -0.4,
                                   0.2 * -0.3, 0.2 * -0.2, 0.2 * -0.15, 0.2 * -0.1, 0.2 * -0.05, 0.2 * -0.01};
        for (int k = 0; k < 12; ++k) EXPECT_EQ(before[k], ts->knot_t[k]) << "knot " << k;
        EXPECT_EQ(0.0, ts->knot_t[12]);
        const double* at = std::find(ts->knot_t + 13, ts->knot_t + ts->nn, 0.2);
        EXPECT_NE(ts->knot_t + ts->nn, at) << "xone is among the knots";
        EXPECT_EQ(1.0, ts->knot_t[ts->nn - 1]);
    }
}

// xlast = 0 puts every random knot at zero with knot 13 and the last knot.
TEST(knot_placement, last_time_zero_puts_random_knots_at_zero) {
    rng r;
    discard_draws(r, 2);
    auto ts = make_trial(0);
    draw_knots(*ts, r, knot_answers(50), span(-1.0, 0.0));
    ASSERT_GT(ts->nn, 20);
    EXPECT_EQ(-1.0, ts->knot_t[0]);
    EXPECT_EQ(-0.01, ts->knot_t[12]);
    for (int k = 13; k < ts->nn; ++k) EXPECT_EQ(0.0, ts->knot_t[k]) << "knot " << k;
}

// Consecutive trials from one generator, each against the knots drawn by
// hand from the same state: count, times and draws taken.
TEST(knot_placement, consecutive_trials_match_the_rules) {
    struct row {
        int32_t seed_skip, max_points;
        double xone, xlast;
    };
    const row rows[] = {
        {0, 40, -0.1, 0.5}, {-1, 22, 0.0, 1.0}, {3, 200, 0.05, 2.0}, {99, 1000, -1.0, 3.0}, {7, 23, -0.004, 0.004},
    };
    auto ts = make_trial(0);
    for (const row& w : rows) {
        SCOPED_TRACE(testing::Message() << "seed_skip " << w.seed_skip << ", max_points " << w.max_points);
        rng r;
        discard_draws(r, w.seed_skip);
        for (int trial = 0; trial < (w.max_points == 1000 ? 3 : 40); ++trial) {
            expect_as_by_hand(r, w.max_points, w.xone, w.xlast, *ts);
            if (HasFailure()) return;
        }
    }
}

// The knot sort exchanges entry j with entry i (i < j) when entry j is less,
// or when either is not a number; equal entries are never exchanged, so the
// order of +0 and -0 follows from the exchanges alone.
TEST(knot_sort, exchanges_as_the_rule_says) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct row {
        std::vector<double> in, out;
    };
    const row rows[] = {
        {{}, {}},
        {{5.0}, {5.0}},
        {{3.0, 1.0, 2.0}, {1.0, 2.0, 3.0}},
        {{2.0, 2.0, 1.0, 2.0}, {1.0, 2.0, 2.0, 2.0}},
        {{0.0, -0.0, -1.0}, {-1.0, -0.0, 0.0}},
        {{1.0, -0.0, 0.0, -1.0}, {-1.0, 0.0, -0.0, 1.0}},
        {{-0.0, 0.0}, {-0.0, 0.0}},
        {{0.0, -0.0}, {0.0, -0.0}},
        {{0.0, -0.0, -0.0, 0.0, 0.5, 0.0, 0.25, 1.0}, {0.0, -0.0, -0.0, 0.0, 0.0, 0.25, 0.5, 1.0}},
        {{1.0, nan, 0.0}, {0.0, nan, 1.0}},
        {{nan, 1.0}, {1.0, nan}},
        {{3.0, 1.0, nan, 2.0}, {2.0, nan, 1.0, 3.0}},
    };
    for (const row& w : rows) {
        std::vector<double> v = w.in;
        exchange_sort(v.data(), static_cast<int32_t>(v.size()));
        ASSERT_EQ(w.out.size(), v.size());
        for (size_t k = 0; k < v.size(); ++k) EXPECT_SAME_BITS(w.out[k], v[k]) << "entry " << k << " of row " << (&w - rows);
    }
}

// The rule written out literally, for inputs too long to work by hand.
void exchange_by_hand(std::vector<double>& v) {
    for (size_t i = 0; i + 1 < v.size(); ++i)
        for (size_t j = i + 1; j < v.size(); ++j)
            if (v[j] < v[i] || std::isnan(v[i]) || std::isnan(v[j])) std::swap(v[i], v[j]);
}

// Long inputs full of repeated values and zeros of both signs: every bit of
// the result is fixed by the rule.
TEST(knot_sort, long_inputs_with_ties_and_signed_zeros) {
    rng r;
    for (int32_t count : {2, 7, 64, 999, 1000}) {
        std::vector<double> v(count);
        for (double& e : v) {
            int32_t d = rand15(r);
            switch (d % 5) {
                case 0: e = 0.0; break;
                case 1: e = -0.0; break;
                case 2: e = (d % 11) * 0.125; break;
                case 3: e = -(d % 7) * 0.5; break;
                default: e = d / 32767.0; break;
            }
        }
        std::vector<double> expected = v;
        exchange_by_hand(expected);
        exchange_sort(v.data(), count);
        for (int32_t k = 0; k < count; ++k) ASSERT_EQ(bits(expected[k]), bits(v[k])) << "count " << count << ", entry " << k;
    }
}

}  // namespace

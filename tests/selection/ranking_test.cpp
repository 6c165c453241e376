// Ranking and choice: ranks from the exchange order, weighted scores and the
// running minimum that holds whole numbers only.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "selection/selection.h"

namespace {

using basetrim::answers;
using basetrim::out_text;
using basetrim::run_stop;
using basetrim::selection;

selection records(const std::vector<double>& dmax, const std::vector<double>& slope, std::vector<double> peak = {}) {
    selection sel;
    sel.rec_dmax = dmax;
    sel.rec_slope = slope;
    sel.rec_trial.resize(dmax.size());
    for (size_t k = 0; k < dmax.size(); ++k) sel.rec_trial[k] = static_cast<int32_t>(k);
    if (peak.empty()) peak.assign(dmax.size(), 0.0);
    sel.peak_sym = peak;
    return sel;
}

answers weights(double dmax_weight, double slope_weight) {
    answers ans;
    ans.dmax_weight = dmax_weight;
    ans.slope_weight = slope_weight;
    return ans;
}

struct rank_case {
    const char* name;
    std::vector<double> dmax, slope;
    double dmax_weight, slope_weight;
    std::vector<uint32_t> p, q;
    std::vector<double> sum;
    int32_t best;
};

// dmax 1, 2, 3 ranks 0, 1, 2; ave_slope 30, 20, 10 ranks 2, 1, 0.
const rank_case rank_cases[] = {
    {"integer_part_keeps_3_5_over_3_2", {1, 2}, {20, 10}, 3.2, 3.5, {0, 1}, {1, 0}, {3.5, 3.2}, 0},
    {"score_below_the_integer_part_replaces", {1, 2, 3}, {30, 20, 10}, 1.45, 1.75, {0, 1, 2}, {2, 1, 0},
     {3.5, 1.75 + 1.45, 2.9}, 2},
    {"negative_score_wraps_so_the_next_slot_wins", {1, 2}, {20, 10}, 1000, -2.5, {0, 1}, {1, 0}, {-2.5, 1000}, 1},
    {"after_wrap_a_score_just_below_4294967294_wins", {1, 2}, {20, 10}, 4294967293.0, -2.5, {0, 1}, {1, 0},
     {-2.5, 4294967293.0}, 1},
    {"after_wrap_a_score_of_4294967294_does_not_win", {1, 2}, {20, 10}, 4294967294.0, -2.5, {0, 1}, {1, 0},
     {-2.5, 4294967294.0}, 0},
    {"after_wrap_a_huge_score_does_not_win", {1, 2}, {20, 10}, 5e9, -2.5, {0, 1}, {1, 0}, {-2.5, 5e9}, 0},
    {"both_weights_zero_choose_slot_0", {3, 1, 2}, {1, 3, 2}, 0, 0, {2, 0, 1}, {0, 2, 1}, {0, 0, 0}, 0},
    {"scores_of_100000_and_more_choose_slot_0", {1, 2, 3}, {30, 20, 10}, 5e4, 1e6, {0, 1, 2}, {2, 1, 0},
     {2e6, 1.05e6, 1e5}, 0},
    {"score_just_below_100000_is_chosen", {1, 2, 3}, {30, 20, 10}, 49999.5, 1e6, {0, 1, 2}, {2, 1, 0},
     {2e6, 1e6 + 49999.5, 99999}, 2},
    {"dmax_weight_alone_chooses_the_smallest_dmax", {3, 1, 2, 1}, {1, 2, 3, 4}, 1, 0, {3, 0, 2, 1}, {0, 1, 2, 3},
     {3, 0, 2, 1}, 1},
    {"slope_weight_alone_chooses_the_smallest_slope", {3, 1, 2, 1}, {4, 9, 0.5, 7}, 0, 1, {3, 0, 2, 1},
     {1, 3, 0, 2}, {1, 3, 0, 2}, 2},
    {"equal_smallest_scores_keep_the_lowest_slot", {1, 2, 3}, {2, 1, 3}, 1, 1, {0, 1, 2}, {1, 0, 2}, {1, 1, 4}, 0},
    {"ties_in_the_values_rank_by_exchange_order", {5, 5, 3}, {5, 3, 5}, 1, 1, {2, 1, 0}, {1, 0, 2}, {3, 1, 2}, 1},
};

void PrintTo(const rank_case& c, std::ostream* os) { *os << c.name; }

class rank_trials_cases : public ::testing::TestWithParam<rank_case> {};

TEST_P(rank_trials_cases, ranks_scores_and_choice) {
    const rank_case& c = GetParam();
    selection sel = records(c.dmax, c.slope);
    out_text con;
    basetrim::rank_trials(sel, weights(c.dmax_weight, c.slope_weight), con);
    EXPECT_EQ(static_cast<int32_t>(c.dmax.size()) - 1, sel.mj);
    EXPECT_EQ(c.p, sel.p);
    EXPECT_EQ(c.q, sel.q);
    EXPECT_EQ(c.sum, sel.sum);
    EXPECT_EQ(c.best, sel.best_case);
}

INSTANTIATE_TEST_SUITE_P(choice, rank_trials_cases, ::testing::ValuesIn(rank_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(rank_trials, prints_the_order_rank_and_score_tables) {
    selection sel = records({1, 2, 3}, {30, 20, 10}, {0.5, 0.1, 0.3});
    out_text con;
    basetrim::rank_trials(sel, weights(1.45, 1.75), con);
    EXPECT_EQ(" mj=2 \n"
              " 0 0 2 0 1\n"
              " 1 1 1 1 2\n"
              " 2 2 0 2 0\n"
              "ttt  0 2  sum=     3.5\n"
              "ttt  1 1  sum=     3.2\n"
              "ttt  2 0  sum=     2.9\n"
              "\n ref 10 \n"
              " sum[0]=     3.5 \n"
              " sum[1]=     3.2 \n"
              " sum[2]=     2.9 \n",
              con.str());
    EXPECT_EQ(2, sel.best_case);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 0}), sel.ord_peak);
}

TEST(rank_trials, tables_show_large_and_negative_scores_in_four_digits) {
    selection sel = records({1, 2}, {20, 10});
    out_text con;
    basetrim::rank_trials(sel, weights(123456, -2.5), con);
    EXPECT_EQ(" mj=1 \n"
              " 0 0 1 0 0\n"
              " 1 1 0 1 1\n"
              "ttt  0 1  sum=    -2.5\n"
              "ttt  1 0  sum=1.235e+05\n"
              "\n ref 10 \n"
              " sum[0]=    -2.5 \n"
              " sum[1]=1.235e+05 \n",
              con.str());
    EXPECT_EQ(1, sel.best_case);
}

// The peak-symmetry order is printed only: it never moves the choice.
TEST(rank_trials, peak_symmetry_does_not_change_the_choice) {
    selection a = records({2, 1, 3}, {1, 3, 2}, {0.1, 0.2, 0.3});
    selection b = records({2, 1, 3}, {1, 3, 2}, {9, 0, 4});
    out_text con_a, con_b;
    basetrim::rank_trials(a, weights(1, 1), con_a);
    basetrim::rank_trials(b, weights(1, 1), con_b);
    EXPECT_EQ(a.best_case, b.best_case);
    EXPECT_EQ(a.sum, b.sum);
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2}), a.ord_peak);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 0}), b.ord_peak);
}

// With rejected trials the records read are fewer than the trials run: the
// records alone are ranked, and the first peak-symmetry entries go with them.
TEST(rank_trials, ranks_only_the_records_read) {
    selection sel = records({4, 2, 3}, {1, 2, 3}, {0.3, 0.2, 0.1, 0.0, 0.05});
    out_text con;
    basetrim::rank_trials(sel, weights(1, 1), con);
    EXPECT_EQ(2, sel.mj);
    EXPECT_EQ(0u, con.str().rfind(" mj=2 \n", 0));
    EXPECT_EQ(3u, sel.p.size());
    EXPECT_EQ(3u, sel.ord_peak.size());
    EXPECT_EQ((std::vector<int32_t>{2, 1, 0}), sel.ord_peak);
}

struct too_few_case {
    const char* name;
    size_t records;
    const char* console;
};

const too_few_case too_few_cases[] = {
    {"one_record", 1, " mj=0 \n\n mj Error \n"},
    {"no_record", 0, " mj=-1 \n\n mj Error \n"},
};

void PrintTo(const too_few_case& c, std::ostream* os) { *os << c.name; }

class rank_trials_too_few : public ::testing::TestWithParam<too_few_case> {};

TEST_P(rank_trials_too_few, stops_with_mj_error) {
    const too_few_case& c = GetParam();
    selection sel = records(std::vector<double>(c.records, 1.0), std::vector<double>(c.records, 2.0));
    out_text con;
    try {
        basetrim::rank_trials(sel, weights(1, 1), con);
        FAIL() << "no stop";
    } catch (const run_stop& stop) {
        EXPECT_EQ(1, stop.status);
    }
    EXPECT_EQ(c.console, con.str());
}

INSTANTIATE_TEST_SUITE_P(stop, rank_trials_too_few, ::testing::ValuesIn(too_few_cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

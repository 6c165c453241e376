// The sort order behind the ranks: the fast exchange order must give exactly
// the permutation of the quadratic exchange procedure, equal values and
// signed zeros included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "selection/selection.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

std::vector<int32_t> order_of(const std::vector<double>& v, bool plain) {
    std::vector<int32_t> ord(v.size() + 1, -7);  // one guard entry past the end
    if (plain)
        basetrim::exchange_order_plain(v.data(), static_cast<int32_t>(v.size()), ord.data());
    else
        basetrim::exchange_order(v.data(), static_cast<int32_t>(v.size()), ord.data());
    EXPECT_EQ(-7, ord.back()) << "wrote past the end";
    ord.pop_back();
    return ord;
}

std::vector<int32_t> ranks_of(const std::vector<int32_t>& ord) {
    std::vector<int32_t> rank(ord.size(), -1);
    for (size_t r = 0; r < ord.size(); ++r) rank[ord[r]] = static_cast<int32_t>(r);
    return rank;
}

struct order_case {
    const char* name;
    std::vector<double> values;
    std::vector<int32_t> order;
};

// Worked through the exchange procedure by hand.
const order_case order_cases[] = {
    {"later_of_two_equal_values_ranks_better", {5, 5, 3}, {2, 1, 0}},
    {"earlier_of_two_equal_values_ranks_better", {5, 3, 5}, {1, 0, 2}},
    {"all_equal_stay_put", {1, 1, 1}, {0, 1, 2}},
    {"smaller_value_pushes_the_front_back", {3, 1, 2}, {1, 2, 0}},
    {"equal_pair_split_by_a_smaller_value", {3, 1, 2, 1}, {1, 3, 2, 0}},
    {"negative_zero_is_not_less_than_zero", {0.0, -0.0}, {0, 1}},
    {"zero_is_not_less_than_negative_zero", {-0.0, 0.0, -0.0}, {0, 1, 2}},
    {"infinity_sorts_last", {inf, 1, inf, -inf}, {3, 1, 2, 0}},
    {"a_pair_with_nan_is_exchanged", {1, nan}, {1, 0}},
    {"two_nans_are_exchanged", {nan, nan}, {1, 0}},
    {"leading_nan_moves_back", {nan, 1, 2}, {1, 2, 0}},
    {"single_value", {4}, {0}},
    {"empty", {}, {}},
};

void PrintTo(const order_case& c, std::ostream* os) { *os << c.name; }

class exchange_order_cases : public ::testing::TestWithParam<order_case> {};

TEST_P(exchange_order_cases, gives_the_worked_order) {
    const order_case& c = GetParam();
    EXPECT_EQ(c.order, order_of(c.values, true)) << "plain procedure";
    EXPECT_EQ(c.order, order_of(c.values, false)) << "fast order";
}

INSTANTIATE_TEST_SUITE_P(worked, exchange_order_cases, ::testing::ValuesIn(order_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(exchange_order, ranks_of_the_worked_examples) {
    EXPECT_EQ((std::vector<int32_t>{2, 1, 0}), ranks_of(order_of({5, 5, 3}, false)));
    EXPECT_EQ((std::vector<int32_t>{1, 0, 2}), ranks_of(order_of({5, 3, 5}, false)));
}

// Tables with heavy repetition: small alphabets, signed zeros, infinities.
TEST(exchange_order, matches_the_plain_procedure_on_repetitive_tables) {
    const std::vector<std::vector<double>> alphabets = {
        {0, 1},
        {-0.0, 0.0},
        {-0.0, 0.0, 1},
        {1, 2, 3, inf},
        {-inf, 0, inf},
        {0, 1, 2, 3, 4, 5, 6},
        {1.235, 1.235, 1.234, 100000, inf},  // weighted toward one value
    };
    std::mt19937 gen(20080612);
    int tables = 0;
    for (size_t a = 0; a < alphabets.size(); ++a) {
        const std::vector<double>& alphabet = alphabets[a];
        std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
        for (int32_t size = 0; size <= 300; size += (size < 40 ? 1 : 13)) {
            for (int rep = 0; rep < 3; ++rep) {
                std::vector<double> v(size);
                for (double& x : v) x = alphabet[pick(gen)];
                std::vector<int32_t> plain = order_of(v, true);
                std::vector<int32_t> fast = order_of(v, false);
                ASSERT_EQ(plain, fast) << "alphabet " << a << ", size " << size << ", repetition " << rep;
                for (int32_t r = 1; r < size; ++r)
                    ASSERT_FALSE(v[fast[r]] < v[fast[r - 1]]) << "not sorted at " << r;
                ++tables;
            }
        }
    }
    EXPECT_GT(tables, 1000);
}

// Mostly distinct values with a few repeated ones, and long tables of two
// values, where the queues of equal values rotate many times.
TEST(exchange_order, matches_the_plain_procedure_on_mixed_and_long_tables) {
    std::mt19937 gen(17);
    for (int rep = 0; rep < 200; ++rep) {
        std::uniform_int_distribution<int32_t> size_pick(0, 300);
        std::uniform_int_distribution<int32_t> value(-1000, 1000);
        std::bernoulli_distribution repeat(0.3);
        std::vector<double> v(size_pick(gen));
        for (size_t k = 0; k < v.size(); ++k)
            v[k] = (k > 0 && repeat(gen)) ? v[std::uniform_int_distribution<size_t>(0, k - 1)(gen)] : value(gen) / 8.0;
        ASSERT_EQ(order_of(v, true), order_of(v, false)) << "table " << rep;
    }
    for (int32_t size : {1000, 2001}) {
        std::bernoulli_distribution low(0.1);
        std::vector<double> v(size);
        for (double& x : v) x = low(gen) ? -0.0 : 7.0;
        ASSERT_EQ(order_of(v, true), order_of(v, false)) << "size " << size;
    }
}

TEST(exchange_order, tables_with_nan_follow_the_plain_procedure) {
    std::mt19937 gen(5);
    const std::vector<double> alphabet = {nan, 0, 1, 1, inf};
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (int32_t size = 2; size <= 60; ++size) {
        std::vector<double> v(size);
        for (double& x : v) x = alphabet[pick(gen)];
        ASSERT_EQ(order_of(v, true), order_of(v, false)) << "size " << size;
    }
}

}  // namespace

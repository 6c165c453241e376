// The n log n exchange order against the exchange sort itself.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "baseline/baseline.h"
#include "run/exchange.h"

namespace {

using namespace basetrim;

std::vector<int32_t> plain_order(const std::vector<double>& v) {
    std::vector<int32_t> ord(v.size());
    exchange_order_plain(v.data(), static_cast<int32_t>(v.size()), ord.data());
    return ord;
}

std::vector<int32_t> fast_order(const std::vector<double>& v) {
    std::vector<int32_t> ord(v.size());
    exchange_order(v.data(), static_cast<int32_t>(v.size()), ord.data());
    return ord;
}

TEST(exchange_order, equals_the_exchange_sort_on_tables_with_repeats) {
    std::mt19937 gen(12345);
    const double inf = std::numeric_limits<double>::infinity();
    int tables = 0;
    for (int alphabet : {1, 2, 3, 5, 20, 1000})
        for (int size : {0, 1, 2, 3, 4, 7, 16, 33, 100, 300})
            for (int rep = 0; rep < 30; ++rep) {
                std::vector<double> v(size);
                for (double& x : v) {
                    int k = static_cast<int>(gen() % alphabet);
                    x = k == 0 ? (gen() & 1 ? 0.0 : -0.0) : (k == alphabet - 1 && alphabet > 3 ? inf : k * 0.5);
                }
                ASSERT_EQ(plain_order(v), fast_order(v)) << "alphabet " << alphabet << " size " << size;
                ++tables;
            }
    EXPECT_GT(tables, 1000);
}

TEST(exchange_order, worked_tie_orders) {
    EXPECT_EQ((std::vector<int32_t>{2, 1, 0}), fast_order({5, 5, 3}));
    EXPECT_EQ((std::vector<int32_t>{1, 0, 2}), fast_order({5, 3, 5}));
    // Descending runs: every pass rotates the whole remaining chain.
    std::vector<double> desc;
    for (int k = 0; k < 200; ++k) desc.push_back(200 - k / 2);
    EXPECT_EQ(plain_order(desc), fast_order(desc));
}

TEST(exchange_order, not_a_number_takes_the_procedure) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> v = {3, nan, 1, 2, nan, 0};
    EXPECT_EQ(plain_order(v), fast_order(v));
}

TEST(exchange_order, knot_sort_keeps_signed_zeros_in_place) {
    // A long list takes the fast order; the result must be the procedure's
    // array, the signs of the zeros included.
    std::mt19937 gen(7);
    for (int rep = 0; rep < 200; ++rep) {
        int count = 48 + static_cast<int>(gen() % 400);
        std::vector<double> v(count);
        for (double& x : v) {
            int k = static_cast<int>(gen() % 6);
            x = k < 2 ? (k ? 0.0 : -0.0) : (gen() % 1000) / 1000.0 - 0.3;
        }
        std::vector<double> expect = v;
        for (int i = 0; i < count - 1; ++i)
            for (int j = i + 1; j < count; ++j)
                if (expect[j] < expect[i]) std::swap(expect[i], expect[j]);
        exchange_sort(v.data(), count);
        for (int k = 0; k < count; ++k) {
            ASSERT_EQ(expect[k], v[k]);
            ASSERT_EQ(std::signbit(expect[k]), std::signbit(v[k])) << "position " << k;
        }
    }
}

}  // namespace

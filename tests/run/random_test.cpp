// The random draws: the generator's first values, the jump ahead, and how
// many draws the arbitrary integer discards.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "run/random.h"
#include "run/whole_run.h"

namespace {

using basetrim::discard_draws;
using basetrim::rand15;
using basetrim::rng;
using basetrim::rng_skip;
using whole_run::draw_of;
using whole_run::state_after;

constexpr uint32_t mul = 214013, add = 2531011;

TEST(random_draws, first_draws_of_a_process) {
    rng r;
    EXPECT_EQ(1u, r.rand_seed);
    const int32_t expected[] = {41, 18467, 6334, 26500, 19169};
    for (int32_t want : expected) EXPECT_EQ(want, rand15(r));
}

TEST(random_draws, top_bit_of_the_state_never_reaches_the_draw) {
    // A state whose next value is 0x8005xxxx: the draw is 5, not 32773.
    uint32_t inverse = mul;  // Newton's iteration for the inverse of an odd number modulo 2^32
    for (int k = 0; k < 5; ++k) inverse *= 2 - mul * inverse;
    ASSERT_EQ(1u, inverse * mul);
    const uint32_t next = 0x80051234u;
    rng r;
    r.rand_seed = (next - add) * inverse;
    EXPECT_EQ(5, rand15(r));
    EXPECT_EQ(next, r.rand_seed);
}

TEST(random_draws, closed_form_agrees_with_stepping) {
    // The test's own closed form, checked against plain steps first.
    rng r;
    for (uint64_t k = 1; k <= 2000; ++k) {
        rand15(r);
        ASSERT_EQ(state_after(k), r.rand_seed) << "after " << k << " steps";
    }
}

TEST(random_draws, jump_ahead_equals_as_many_single_draws) {
    for (uint64_t count : {0ull, 1ull, 2ull, 3ull, 17ull, 1000ull, 65537ull}) {
        rng stepped, jumped;
        for (uint64_t k = 0; k < count; ++k) rand15(stepped);
        rng_skip(jumped, count);
        EXPECT_EQ(stepped.rand_seed, jumped.rand_seed) << count << " steps";
    }
}

TEST(random_draws, jump_ahead_over_long_distances) {
    for (uint64_t count : {1ull << 31, (1ull << 31) + 1, 3000000000ull, 12345678901ull}) {
        rng r;
        rng_skip(r, count);
        EXPECT_EQ(state_after(count), r.rand_seed) << count << " steps";
    }
    // The generator has the full period 2^32.
    rng r;
    rng_skip(r, 1ull << 32);
    EXPECT_EQ(1u, r.rand_seed);
}

TEST(random_draws, jump_ahead_from_a_later_state) {
    rng stepped, jumped;
    for (int k = 0; k < 7; ++k) {
        rand15(stepped);
        rand15(jumped);
    }
    rng_skip(jumped, 500);
    for (int k = 0; k < 500; ++k) rand15(stepped);
    EXPECT_EQ(stepped.rand_seed, jumped.rand_seed);
}

// The arbitrary integer and the draw that follows its discards, which is
// the first draw of the first trial.
struct discard_case {
    int32_t answer;
    int32_t next_draw;
};

void PrintTo(const discard_case& c, std::ostream* os) { *os << c.answer; }

class discard_counts : public ::testing::TestWithParam<discard_case> {};

TEST_P(discard_counts, next_draw_after_the_discards) {
    rng r;
    discard_draws(r, GetParam().answer);
    EXPECT_EQ(GetParam().next_draw, rand15(r)) << "answer " << GetParam().answer;
}

INSTANTIATE_TEST_SUITE_P(answers, discard_counts,
                         ::testing::Values(discard_case{INT32_MIN, 41}, discard_case{-5, 41}, discard_case{-1, 41},
                                           discard_case{0, 18467}, discard_case{1, 6334}, discard_case{2, 26500},
                                           discard_case{3, 19169}));

TEST(random_draws, answer_k_discards_k_plus_one_draws) {
    for (int32_t answer : {0, 1, 4, 99, 1000}) {
        rng r;
        discard_draws(r, answer);
        EXPECT_EQ(state_after(static_cast<uint64_t>(answer) + 1), r.rand_seed) << "answer " << answer;
    }
}

TEST(random_draws, largest_answers_end_and_keep_the_rule) {
    // 2147483647 discards 2^31 draws; it must end, and so must the one below it.
    rng r;
    discard_draws(r, INT32_MAX);
    EXPECT_EQ(state_after(1ull << 31), r.rand_seed);
    const int32_t next = rand15(r);
    EXPECT_EQ(draw_of(state_after((1ull << 31) + 1)), next);

    rng s;
    discard_draws(s, INT32_MAX - 1);
    EXPECT_EQ(state_after((1ull << 31) - 1), s.rand_seed);
}

}  // namespace

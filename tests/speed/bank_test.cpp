// Every filter-bank kernel this machine runs against the scalar loop, on
// the same signals: the spectra bit for bit, and the same divergence report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "run/run_state.h"
#include "spectrum/spectrum.h"

namespace {

using namespace basetrim;

spectrum_plan make_plan(double sr, int32_t tail_override = -1) {
    time_history th;
    th.sr = sr;
    th.dt = 1.0 / sr;
    answers ans;
    ans.ref_freq[0] = 1;  // a band below the grid: no set-up stop at any rate
    ans.ref_amp[0] = 1;
    ans.ref_freq[1] = 5;
    ans.ref_amp[1] = 2;
    spectrum_plan plan;
    out_text sink;
    plan_spectrum(plan, ans, th, sink);
    if (tail_override >= 0) plan.tail_steps = tail_override;
    return plan;
}

std::vector<double> make_signal(int kind, int32_t n, std::mt19937& gen) {
    std::vector<double> s(n);
    std::normal_distribution<double> g(0.0, 1.0);
    for (int32_t i = 0; i < n; ++i) {
        switch (kind) {
            case 0: s[i] = g(gen); break;                                           // noise
            case 1: s[i] = i == n / 3 ? 1000.0 : 0.0; break;                        // one impulse
            case 2: s[i] = (i % 2 ? -0.0 : 0.0); break;                             // signed zeros only
            case 3: s[i] = 3e6 * std::sin(i * 0.01); break;                         // large: may diverge
            case 4: s[i] = i == n / 2 ? std::numeric_limits<double>::quiet_NaN() : g(gen); break;
            case 5: s[i] = 1e-300 * g(gen); break;                                  // tiny values
        }
    }
    return s;
}

bool same_bits(const double* a, const double* b, size_t count) { return std::memcmp(a, b, count * sizeof(double)) == 0; }

TEST(filter_bank, every_target_equals_the_scalar_loop) {
    std::mt19937 gen(31337);
    int compared = 0;
    const bank_target targets[] = {bank_target::sse2, bank_target::avx2, bank_target::avx512};
    // Sample rates giving 1, 2, 8, 9, 20, 25, 40, 46 and 61 grid frequencies.
    for (double sr : {50.0, 120.0, 500.0, 560.0, 1000.0, 1700.0, 10000.0, 20000.0, 200000.0}) {
        for (int kind = 0; kind < 6; ++kind) {
            const int32_t n = 200 + static_cast<int32_t>(gen() % 800);
            spectrum_plan plan = make_plan(sr, static_cast<int32_t>(gen() % 300));
            std::vector<double> sig = make_signal(kind, n, gen);
            auto ref = std::make_unique<trial_state>();
            ref->residual = sig;
            int32_t ref_j = -1;
            int64_t ref_i = filter_bank_scalar(*ref, plan, n, ref_j);
            for (bank_target t : targets) {
                if (!bank_target_available(t)) continue;
                auto ts = std::make_unique<trial_state>();
                ts->residual = sig;
                int32_t j = -1;
                int64_t i = filter_bank(*ts, plan, n, t, j);
                SCOPED_TRACE(std::string(bank_target_name(t)) + " sr " + std::to_string(sr) + " kind " +
                             std::to_string(kind));
                ASSERT_EQ(ref_i, i);
                if (ref_i >= 0) {
                    // The report's values come from the scalar loop's state at that step.
                    ASSERT_EQ(ref_j, j);
                    EXPECT_TRUE(same_bits(&ref->x[j], &ts->x[j], 1));
                    EXPECT_TRUE(same_bits(&ref->xb[j], &ts->xb[j], 1));
                    EXPECT_TRUE(same_bits(&ref->xbb[j], &ts->xbb[j], 1));
                    EXPECT_TRUE(same_bits(&ref->yb[j], &ts->yb[j], 1));
                    EXPECT_TRUE(same_bits(&ref->ybb[j], &ts->ybb[j], 1));
                    EXPECT_TRUE(same_bits(&ref->y, &ts->y, 1));
                } else {
                    ASSERT_TRUE(same_bits(ref->xmax, ts->xmax, max_grid));
                    ASSERT_TRUE(same_bits(ref->xmin, ts->xmin, max_grid));
                }
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 0);
    // The kernels this machine can run are named, so a log shows what was compared.
    for (bank_target t : targets)
        std::printf("filter bank target %s: %s\n", bank_target_name(t), bank_target_available(t) ? "compared" : "not on this machine");
}

TEST(filter_bank, divergence_found_at_the_first_step_and_lowest_frequency) {
    spectrum_plan plan = make_plan(10000.0, 10);
    const int32_t n = 400;
    std::vector<double> sig(n, 0.0);
    sig[100] = 5e9;
    // At step 100 every response is b1 * 5e9, the first from rest; the first
    // frequency whose b1 takes it to 1e8 is the one reported.
    int32_t expect_j = -1;
    for (int32_t j = 0; j <= plan.nspec && expect_j < 0; ++j)
        if (std::fabs(plan.b1[j] * 5e9) >= 1e8) expect_j = j;
    ASSERT_GT(expect_j, 0);
    for (bank_target t : {bank_target::scalar, bank_target::sse2, bank_target::avx2, bank_target::avx512}) {
        if (!bank_target_available(t)) continue;
        auto ts = std::make_unique<trial_state>();
        ts->residual = sig;
        int32_t j = -1;
        EXPECT_EQ(100, filter_bank(*ts, plan, n, t, j)) << bank_target_name(t);
        EXPECT_EQ(expect_j, j) << bank_target_name(t);
    }
}

}  // namespace

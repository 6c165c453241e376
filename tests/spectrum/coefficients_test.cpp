// The recursive filter of every grid frequency against the oscillator it
// stands for: poles, the first two terms of the impulse response, and the
// impulse response of the running filter.
#include <algorithm>
#include <complex>
#include <vector>

#include "spectrum_fixtures.h"

namespace {

using namespace spectrum_test;

const double sample_rates[] = {20, 200, 1000, 10000, 1e6};

// a1 and a2 are the sum and minus the product of the two discrete poles
// exp((-zeta w +- i wd) dt); b1 = dt h(0), b2 = dt (h(dt) - a1 h(0)); b3 = 0.
TEST(filter_coefficients, match_the_oscillator) {
    for (double sr : sample_rates) {
        auto plan = make_plan(sr, 10, 1, 40, 2);
        const double dt = 1.0 / sr;
        EXPECT_EQ(0.05, plan->damp);
        for (int j = 0; j <= plan->nspec; ++j) {
            SCOPED_TRACE(testing::Message() << "sample rate " << sr << ", j = " << j);
            const double w = 2.0 * M_PI * plan->fn[j];
            const double wd = w * std::sqrt(1.0 - 0.05 * 0.05);
            const std::complex<double> pole = std::exp(std::complex<double>(-0.05 * w, wd) * dt);
            EXPECT_NEAR(2.0 * pole.real(), plan->a1[j], 1e-13);
            EXPECT_NEAR(-std::norm(pole), plan->a2[j], 1e-13);
            const double h0 = impulse_response(plan->fn[j], 0.0);
            const double h1 = impulse_response(plan->fn[j], dt);
            const double scale = dt * w;
            EXPECT_NEAR(dt * h0, plan->b1[j], 1e-14 * scale);
            EXPECT_NEAR(dt * (h1 - plan->a1[j] * h0), plan->b2[j], 1e-12 * scale);
            EXPECT_EQ(0u, bits(plan->b3[j])) << "b3 is +0";
        }
    }
}

// From rest, a unit sample followed by zeros makes every filter give dt
// times the oscillator's impulse response at 0, dt, 2 dt, ...
TEST(filter_coefficients, unit_sample_gives_the_sampled_impulse_response) {
    for (double sr : {1000.0, 10000.0}) {
        auto plan = make_plan(sr, 10, 1, 40, 2);
        plan->tail_steps = 0;
        const double dt = 1.0 / sr;
        for (int32_t n : {1, 2, 3, 40, 1000}) {
            std::vector<double> pulse(n, 0.0);
            pulse[0] = 1.0;
            auto ts = make_trial(pulse);
            int32_t div_j = -1;
            ASSERT_EQ(-1, filter_bank_scalar(*ts, *plan, n, div_j));
            for (int j = 0; j <= plan->nspec; ++j) {
                SCOPED_TRACE(testing::Message() << "sample rate " << sr << ", " << n << " steps, j = " << j);
                const double scale = dt * 2.0 * M_PI * plan->fn[j];
                EXPECT_NEAR(dt * impulse_response(plan->fn[j], (n - 1) * dt), ts->xb[j], 1e-10 * scale);
                if (n >= 2) {
                    EXPECT_NEAR(dt * impulse_response(plan->fn[j], (n - 2) * dt), ts->xbb[j], 1e-10 * scale);
                }
                double hi = 0, lo = 0;
                for (int k = 0; k < n; ++k) {
                    hi = std::max(hi, dt * impulse_response(plan->fn[j], k * dt));
                    lo = std::min(lo, dt * impulse_response(plan->fn[j], k * dt));
                }
                EXPECT_NEAR(hi, ts->xmax[j], 1e-10 * scale);
                EXPECT_NEAR(lo, ts->xmin[j], 1e-10 * scale);
            }
        }
    }
}

}  // namespace

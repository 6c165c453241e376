// The numbers of the report: the velocity integral and the spectrum run
// lent a workspace.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "report/numbers.h"
#include "spectrum/spectrum.h"

namespace {

using namespace basetrim;
using namespace basetrim::report;

struct velocity_case {
    std::vector<double> t, a, v;
};

void PrintTo(const velocity_case& c, std::ostream* os) { *os << c.t.size() << " samples"; }

class velocity_cases : public ::testing::TestWithParam<velocity_case> {};

TEST_P(velocity_cases, cumulative_trapezoid) {
    const velocity_case& c = GetParam();
    const std::vector<double> v = velocity(c.t, c.a);
    ASSERT_EQ(c.v.size(), v.size());
    for (size_t i = 0; i < v.size(); ++i) EXPECT_DOUBLE_EQ(c.v[i], v[i]) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(
    cases, velocity_cases,
    ::testing::Values(velocity_case{{}, {}, {}},                                          // no samples
                      velocity_case{{0.5}, {3}, {0}},                                     // starts at rest
                      velocity_case{{0, 0.5, 1.0}, {2, 2, 2}, {0, 1, 2}},                 // constant: v = 2 t
                      velocity_case{{0, 1, 2, 3}, {0, 1, 2, 3}, {0, 0.5, 2, 4.5}},        // linear: exact, t^2/2
                      velocity_case{{0, 1, 3}, {1, 3, 1}, {0, 2, 6}},                     // uneven steps
                      velocity_case{{1, 2, 3}, {-4, 4, -4}, {0, 0, 0}},                   // trapezoids cancel
                      velocity_case{{0, 0.1, 0.2}, {-1, -1, 1}, {0, -0.1, -0.1}}));       // sign kept

TEST(velocity, sine_over_one_period_returns_to_rest) {
    const double pi = std::acos(-1.0);
    std::vector<double> t, a;
    for (int i = 0; i <= 1000; ++i) {
        t.push_back(i / 1000.0);
        a.push_back(std::sin(2 * pi * t.back()));
    }
    const std::vector<double> v = velocity(t, a);
    // The integral of sin(2 pi t) up to t = 0.5, within the trapezoid rule's
    // error of 0.5 h^2 max|a''| / 12 = 1.6e-6 for h = 1e-3.
    EXPECT_NEAR(1 / pi, v[500], 1.7e-6);
    EXPECT_NEAR(0.0, v[1000], 1e-12);
}

// A 10 ms half-sine pulse of amplitude 10 at 10,000 samples per second.
struct pulse {
    time_history th;
    std::unique_ptr<spectrum_plan> plan = std::make_unique<spectrum_plan>();
    std::vector<double> signal;
    pulse() {
        const double pi = std::acos(-1.0);
        const int n = 2000;
        for (int i = 0; i < n; ++i) {
            const double t = i * 1e-4;
            th.xa.push_back(t);
            signal.push_back(t < 0.01 ? 10 * std::sin(pi * t / 0.01) : 0.0);
        }
        th.amp_in = signal;
        th.n = n;
        th.xone = 0;
        th.xlast = th.xa.back();
        th.dt = th.xlast / (n - 1);
        th.sr = 1 / th.dt;
        th.ascending = true;
        answers a;
        a.ref_freq[0] = 20;
        a.ref_amp[0] = 1;
        a.ref_freq[1] = 200;
        a.ref_amp[1] = 10;
        out_text sink;
        plan_spectrum(*plan, a, th, sink);
    }
};

TEST(run_spectrum, gives_the_spectrum_run_of_the_signal) {
    pulse p;
    const spectrum_result r = run_spectrum(*p.plan, p.signal);
    ASSERT_TRUE(r.ok) << r.messages;
    auto ts = std::make_unique<trial_state>();
    ts->residual = p.signal;
    spectrum_run(*ts, *p.plan, p.th.n);
    ASSERT_EQ(static_cast<size_t>(p.plan->nspec) + 1, r.pos.size());
    ASSERT_EQ(r.pos.size(), r.neg.size());
    EXPECT_EQ(ts->dmax, r.dmax);
    EXPECT_EQ(ts->ave_slope, r.ave_slope);
    for (size_t j = 0; j < r.pos.size(); ++j) {
        EXPECT_EQ(ts->xmax[j], r.pos[j]);
        EXPECT_EQ(ts->xmin[j], r.neg[j]);
    }
}

TEST(run_spectrum, half_sine_pulse_has_the_known_shape) {
    pulse p;
    const spectrum_result r = run_spectrum(*p.plan, p.signal);
    ASSERT_TRUE(r.ok) << r.messages;
    ASSERT_EQ(39, p.plan->nspec);  // 10 kHz: grid up to 905 Hz
    // Far above the pulse's frequencies the oscillator follows the input:
    // the positive spectrum tends to the peak of 10.
    EXPECT_NEAR(10.0, r.pos[39], 0.3);
    // Far below, the response is the velocity change of the pulse times the
    // oscillator's circular frequency: 2 pi 10 Hz * (2 * 10 * 0.01 s / pi)
    // = 4 for no damping, a little less with 5 %; it grows with frequency.
    EXPECT_NEAR(3.8, r.pos[0], 0.2);
    EXPECT_LT(r.pos[0], r.pos[6]);
    // The largest response of a half-sine lies near 1.6 times the peak.
    double top = 0;
    for (double v : r.pos) top = std::fmax(top, v);
    EXPECT_NEAR(16.0, top, 1.5);
    for (double v : r.neg) EXPECT_LE(v, 0.0);
    EXPECT_GT(r.dmax, 0.0);
    EXPECT_GT(r.ave_slope, 0.0);
    EXPECT_EQ("", r.messages);
}

TEST(run_spectrum, a_stop_is_not_available_with_its_message) {
    pulse p;
    const spectrum_result zero = run_spectrum(*p.plan, std::vector<double>(p.th.n, 0.0));
    EXPECT_FALSE(zero.ok);
    EXPECT_NE(std::string::npos, zero.messages.find("Warning:")) << zero.messages;  // one-sided everywhere
    EXPECT_NE(std::string::npos, zero.messages.find("xmax[6]=")) << zero.messages;  // first frequency of the band
    EXPECT_TRUE(zero.pos.empty());

    std::vector<double> huge = p.signal;
    for (double& v : huge) v *= 1e8;
    const spectrum_result diverged = run_spectrum(*p.plan, huge);
    EXPECT_FALSE(diverged.ok);
    EXPECT_NE(std::string::npos, diverged.messages.find("Error:  i=")) << diverged.messages;
}

}  // namespace

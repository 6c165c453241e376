// The spectrum run: the free-decay tail, the two spectra, dmax with its
// one-sided warning, the walk over the reference band with its stops, and
// the divergence report.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "spectrum_fixtures.h"

namespace {

using namespace spectrum_test;

// Filters chosen by hand: x = b1 y + b2 yb, so the spectra follow directly
// from the signal. Grid and reference values as given.
std::unique_ptr<spectrum_plan> hand_plan(const std::vector<double>& fn, const std::vector<double>& b1,
                                         const std::vector<double>& b2, double band_lo, double band_hi) {
    auto plan = std::make_unique<spectrum_plan>();
    plan->damp = 0.05;
    plan->nspec = static_cast<int32_t>(b1.size()) - 1;
    for (size_t j = 0; j < fn.size(); ++j) {
        plan->fn[j] = fn[j];
        plan->ref[j] = 1.0;
    }
    for (size_t j = 0; j < b1.size(); ++j) {
        plan->b1[j] = b1[j];
        plan->b2[j] = b2[j];
    }
    plan->ref_freq[0] = band_lo;
    plan->ref_freq[1] = band_hi;
    plan->tail_steps = 0;
    return plan;
}

// The real grid of a plan with every filter passing its input through.
void pass_through(spectrum_plan& plan) {
    for (int j = 0; j <= plan.nspec; ++j) {
        plan.a1[j] = plan.a2[j] = plan.b2[j] = plan.b3[j] = 0.0;
        plan.b1[j] = 1.0;
    }
    plan.tail_steps = 0;
}

// tail_steps = trunc((0.05 / dt) * 0.75) steps of zero input follow the
// record. With dt = 0.05 there are none: a single sample gives a single
// step, and the response never gets below zero.
TEST(spectrum_run, tail_of_zero_input) {
    EXPECT_EQ(375, make_plan(10000, 20, 1, 40, 2)->tail_steps);
    EXPECT_EQ(0, make_plan(20, 1, 1, 5, 2)->tail_steps);

    auto coarse = make_plan(20, 1, 1, 5, 2);
    auto ts = make_trial({1.0});
    spectrum_run(*ts, *coarse, 1);
    EXPECT_EQ(coarse->b1[0], ts->xmax[0]);
    EXPECT_NEAR(0.1 * M_PI, ts->xmax[0], 1e-15);
    EXPECT_EQ(0.0, ts->xmin[0]);

    // dt = 0.0001: the unit sample and 375 zeros, 376 steps. At 14.14 Hz the
    // response crosses zero before the tail ends and still falls at its end,
    // so its negative peak is the value at the last step.
    auto fine = make_plan(10000, 20, 1, 40, 2);
    ts = make_trial({1.0});
    spectrum_run(*ts, *fine, 1);
    const double dt = 1e-4;
    for (int j = 0; j <= fine->nspec; ++j) {
        SCOPED_TRACE(testing::Message() << "j = " << j);
        double hi = 0, lo = 0;
        for (int k = 0; k <= 375; ++k) {
            hi = std::max(hi, dt * impulse_response(fine->fn[j], k * dt));
            lo = std::min(lo, dt * impulse_response(fine->fn[j], k * dt));
        }
        const double scale = dt * 2.0 * M_PI * fine->fn[j];
        EXPECT_NEAR(hi, ts->xmax[j], 1e-10 * scale);
        EXPECT_NEAR(lo, ts->xmin[j], 1e-10 * scale);
    }
    EXPECT_NEAR(dt * impulse_response(fine->fn[3], 375 * dt), ts->xmin[3], 1e-12);
    ASSERT_GT(std::fabs(dt * impulse_response(fine->fn[3], 374 * dt) - ts->xmin[3]), 1e-6);
}

// A side of the spectrum that never leaves zero: a warning line, and that
// frequency counts 100000 dB.
TEST(spectrum_run, one_sided_spectrum) {
    auto plan = make_plan(20, 1, 1, 5, 2);  // 10 Hz alone; the band lies below the grid
    struct row {
        double sample;
        const char* warning;
    };
    const row rows[] = {
        {1.0, "\n Warning:       10   0.3142        0 \n"},
        {-1.0, "\n Warning:       10        0  -0.3142 \n"},
    };
    for (const row& w : rows) {
        auto ts = make_trial({w.sample});
        spectrum_run(*ts, *plan, 1);
        EXPECT_EQ(w.warning, ts->console.str());
        EXPECT_EQ(100000.0, ts->dmax);
        EXPECT_EQ(0.0, ts->ave_slope);
    }
}

// A residual of zero: every grid frequency warns with 0 and 0, and the first
// frequency of the band stops the run on its positive spectrum.
TEST(spectrum_run, zero_residual) {
    auto plan = make_plan(1000, 20, 1, 40, 2);
    auto ts = make_trial(std::vector<double>(50, 0.0));
    EXPECT_EQ(1, run_status(*ts, *plan, 50));
    std::string expected;
    for (int j = 0; j <= 19; ++j) expected += format("\n Warning: %8.4g        0        0 \n", plan->fn[j]);
    expected += "\n xmax[6]=        0\n";
    EXPECT_EQ(expected, ts->console.str());
    EXPECT_EQ(100000.0, ts->dmax);
}

// dmax is the largest dB ratio of the two spectra over the grid, whichever
// side is larger. Signal 10, -1, 4, -2: the plain filter sees 10 and -2, the
// delayed one 10 and -1 (ratio 10, 20 dB), the inverted one 2 and -10.
TEST(spectrum_run, dmax_is_the_largest_ratio) {
    auto plan = hand_plan({10, 20, 30, 40}, {1, 0, -1}, {0, 1, 0}, 1, 5);
    auto ts = make_trial({10, -1, 4, -2});
    spectrum_run(*ts, *plan, 4);
    const double xmax[3] = {10, 10, 2}, xmin[3] = {-2, -1, -10};
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(xmax[j], ts->xmax[j]) << "j = " << j;
        EXPECT_EQ(xmin[j], ts->xmin[j]) << "j = " << j;
    }
    for (int j = 3; j < max_grid; ++j) {
        ASSERT_EQ(0.0, ts->xmax[j]) << "j = " << j;
        ASSERT_EQ(0.0, ts->xmin[j]) << "j = " << j;
    }
    EXPECT_DOUBLE_EQ(20.0, ts->dmax);
    EXPECT_EQ("", ts->console.str());
}

// The band is closed at both ends and each grid frequency in it adds two
// terms. Spectra +-1 everywhere and ref[j] = 2^-(j+1) make frequency j add
// 2 x 20 log10(2) x (j + 1).
TEST(spectrum_run, reference_band_walk) {
    const double unit = 40.0 * std::log10(2.0);
    struct row {
        double lo, hi;
        int sum_of_j_plus_1;
    };
    const row rows[] = {
        {20, 40, 7 + 8 + 9 + 10 + 11 + 12 + 13},  // grid entries 6 .. 12, 14 terms
        {19.99, 40.01, 70},
        {20.01, 39.99, 8 + 9 + 10 + 11 + 12},
        {10, 10, 1},
        {5, 10, 1},
        {5, 9.99, 0},   // ends at once: the first grid frequency is above the band
        {40, 20, 0},    // reversed band: nothing contributes
        {89.79, 89.81, 20},
    };
    auto plan = make_plan(1000, 20, 1, 40, 2);
    pass_through(*plan);
    for (int j = 0; j <= plan->nspec + 1; ++j) plan->ref[j] = std::ldexp(1.0, -(j + 1));
    auto ts = make_trial({1.0, -1.0});
    for (const row& w : rows) {
        SCOPED_TRACE(testing::Message() << "band " << w.lo << " .. " << w.hi);
        plan->ref_freq[0] = w.lo;
        plan->ref_freq[1] = w.hi;
        ASSERT_EQ(0, run_status(*ts, *plan, 2)) << ts->console.str();
        EXPECT_NEAR(unit * w.sum_of_j_plus_1, ts->ave_slope, 1e-9);
        EXPECT_EQ(0.0, ts->dmax);
    }
}

// The negative spectrum has no guard: an xmin of zero in the band makes
// ave_slope infinite, and the run goes on.
TEST(spectrum_run, zero_negative_spectrum_in_the_band) {
    auto plan = make_plan(1000, 20, 1, 40, 2);
    pass_through(*plan);
    auto ts = make_trial({1.0});
    ASSERT_EQ(0, run_status(*ts, *plan, 1));
    EXPECT_TRUE(std::isinf(ts->ave_slope));
    EXPECT_EQ(100000.0, ts->dmax);
}

// Inside the band a reference value or a positive spectrum not above 1e-90
// stops the run; the reference value is tested first, both signed.
TEST(spectrum_run, stops_in_the_reference_band) {
    std::vector<double> pulse(30, 0.0);
    pulse[0] = 1.0;
    const std::vector<double> zeros(30, 0.0);
    struct row {
        const char* what;
        double sr, f0, a0, f1, a1;
        const std::vector<double>* signal;
        const char* last_line;
    };
    const row rows[] = {
        {"tiny reference", 1000, 20, 1e-95, 40, 2e-95, &pulse, "\n ref[6]=    1e-95\n"},
        {"reference exactly 1e-90", 1000, 20, 1e-90, 40, 2e-90, &pulse, "\n ref[6]=    1e-90\n"},
        {"negative reference", 1000, 20, -1, 40, -2, &pulse, "\n ref[6]=       -1\n"},
        {"reference tested before the spectrum", 1000, 20, 1e-95, 40, 2e-95, &zeros, "\n ref[6]=    1e-95\n"},
        {"band past the grid: entry nspec+1 has no spectrum", 200, 15, 1, 30, 2, &pulse, "\n xmax[7]=        0\n"},
    };
    for (const row& w : rows) {
        SCOPED_TRACE(w.what);
        auto plan = make_plan(w.sr, w.f0, w.a0, w.f1, w.a1);
        auto ts = make_trial(*w.signal);
        EXPECT_EQ(1, run_status(*ts, *plan, count_of(*w.signal)));
        const std::string& con = ts->console.str();
        const std::string last = w.last_line;
        ASSERT_GE(con.size(), last.size());
        EXPECT_EQ(last, con.substr(con.size() - last.size())) << con;
        if (w.signal == &pulse) {
            EXPECT_EQ(last, con);
        }
    }

    // A reference value that is not a number: ln of a negative ratio.
    auto plan = make_plan(1000, 20, 1, 40, -1);
    ASSERT_EQ(1.0, plan->ref[6]);
    ASSERT_TRUE(std::isnan(plan->ref[7]));
    auto ts = make_trial(pulse);
    EXPECT_EQ(1, run_status(*ts, *plan, count_of(pulse)));
    EXPECT_EQ(0u, ts->console.str().find("\n ref[7]=")) << ts->console.str();
    EXPECT_NE(std::string::npos, ts->console.str().find("nan")) << ts->console.str();
}

// A response of magnitude 1e8 stops the run with a report of the earliest
// step and, within it, the lowest frequency that reached the bound; x, xb
// and xbb as they stood before that step's shift. Sample 2 (6e9) drives the
// filters from 28.28 Hz (j = 9) up over the bound at step 2; sample 4 would
// drive every filter over it, 10 Hz first.
TEST(spectrum_run, divergence_report) {
    auto plan = make_plan(1000, 20, 1, 40, 2);
    const std::vector<double> signal = {1, 2, 6e9, 0, 1e12, 0, 0, 0};
    auto step2 = [&](int j, double& x0, double& x1) {
        const double a1 = plan->a1[j], a2 = plan->a2[j], b1 = plan->b1[j], b2 = plan->b2[j], b3 = plan->b3[j];
        x0 = b3 * 0 + b1 * 1 + b2 * 0 + a2 * 0 + a1 * 0;
        x1 = b3 * 0 + b1 * 2 + b2 * 1 + a2 * 0 + a1 * x0;
        return b3 * 1 + b1 * 6e9 + b2 * 2 + a2 * x0 + a1 * x1;
    };
    double x0, x1;
    ASSERT_LT(std::fabs(step2(8, x0, x1)), 1e8);
    const double x2 = step2(9, x0, x1);
    ASSERT_GE(std::fabs(x2), 1e8);

    auto ts = make_trial(signal);
    EXPECT_EQ(1, run_status(*ts, *plan, count_of(signal)));
    const std::string expected =
        "\n Error:  i=2 \n" +
        format("\n f[9]=%14.6g  x=%14.6g  xb=%14.6g  xbb=%14.6g\n", plan->fn[9], x2, x1, x0) +
        "\n y=         6e+09  yb=             2  ybb=             1 \n" +
        format("\n a1=%8.4g a2=%8.4g b1=%8.4g b2=%8.4g b3=%8.4g \n", plan->a1[9], plan->a2[9], plan->b1[9],
               plan->b2[9], plan->b3[9]);
    EXPECT_EQ(expected, ts->console.str());
    EXPECT_NE(std::string::npos, expected.find("b3=       0 \n"));
}

// A long sine at 40 Hz: the spectrum peaks at the 40 Hz oscillator, whose
// steady response at resonance is sqrt(1 + (2 zeta)^2) / (2 zeta) = 10.05
// times the input on both sides; an oscillator far above follows the input
// (about 1), one far below hardly moves.
TEST(spectrum_run, sine_at_a_grid_frequency) {
    const double sr = 10000;
    std::vector<double> sine(20000);
    for (size_t i = 0; i < sine.size(); ++i) sine[i] = std::sin(2.0 * M_PI * 40.0 * static_cast<double>(i) / sr);
    auto plan = make_plan(sr, 20, 1, 800, 40);
    ASSERT_EQ(40.0, plan->fn[12]);
    auto ts = make_trial(sine);
    ASSERT_EQ(0, run_status(*ts, *plan, count_of(sine)));
    EXPECT_EQ("", ts->console.str());
    const double resonance = std::sqrt(1.0 + 0.1 * 0.1) / 0.1;
    EXPECT_EQ(ts->xmax + 12, std::max_element(ts->xmax, ts->xmax + plan->nspec + 1));
    EXPECT_NEAR(resonance, ts->xmax[12], 0.005 * resonance);
    EXPECT_NEAR(-resonance, ts->xmin[12], 0.005 * resonance);
    EXPECT_NEAR(1.0, ts->xmax[39], 0.02);
    EXPECT_NEAR(-1.0, ts->xmin[39], 0.02);
    EXPECT_LT(ts->xmax[0], 0.5);
    EXPECT_GT(ts->xmin[0], -0.5);
    EXPECT_GT(ts->dmax, 0.0);
    EXPECT_LT(ts->dmax, 3.0);
}

}  // namespace

// The spectrum run bit for bit against a plain evaluation of the rules: the
// step loop outside, the frequency loop inside, the five products added
// left to right, then dmax and the reference walk with their messages and
// stops. A faster filter bank must give the very same bits.
#include <cmath>
#include <string>
#include <vector>

#include "spectrum_fixtures.h"

namespace {

using namespace spectrum_test;

struct spectra {
    double xmax[max_grid] = {}, xmin[max_grid] = {};
    double dmax = 0, ave_slope = 0;
    std::string console;
    int status = 0;
    bool diverged = false;
};

spectra spectrum_by_hand(const std::vector<double>& signal, const spectrum_plan& p) {
    spectra s;
    std::vector<double> xb(max_grid), xbb(max_grid), yb(max_grid), ybb(max_grid);
    const int64_t n = static_cast<int64_t>(signal.size());
    for (int64_t i = 0; i < n + p.tail_steps; ++i) {
        const double y = i < n ? signal[i] : 0.0;
        for (int j = 0; j <= p.nspec; ++j) {
            const double x = p.b3[j] * ybb[j] + p.b1[j] * y + p.b2[j] * yb[j] + p.a2[j] * xbb[j] + p.a1[j] * xb[j];
            if (std::fabs(x) >= 1e8) {
                s.console += format("\n Error:  i=%ld \n", static_cast<long>(i));
                s.console += format("\n f[%ld]=%14.6g  x=%14.6g  xb=%14.6g  xbb=%14.6g\n", static_cast<long>(j), p.fn[j],
                                    x, xb[j], xbb[j]);
                s.console += format("\n y=%14.6g  yb=%14.6g  ybb=%14.6g \n", y, yb[j], ybb[j]);
                s.console += format("\n a1=%8.4g a2=%8.4g b1=%8.4g b2=%8.4g b3=%8.4g \n", p.a1[j], p.a2[j], p.b1[j],
                                    p.b2[j], p.b3[j]);
                s.status = 1;
                s.diverged = true;
                return s;
            }
            if (x > s.xmax[j]) s.xmax[j] = x;
            if (x < s.xmin[j]) s.xmin[j] = x;
            xbb[j] = xb[j];
            xb[j] = x;
            ybb[j] = yb[j];
            yb[j] = y;
        }
    }
    for (int j = 0; j <= p.nspec; ++j) {
        double d = std::fabs(20.0 * std::log10(std::fabs(s.xmax[j] / s.xmin[j])));
        if (!(std::fabs(s.xmax[j]) > 1e-90) || !(std::fabs(s.xmin[j]) > 1e-90)) {
            s.console += format("\n Warning: %8.4g %8.4g %8.4g \n", p.fn[j], s.xmax[j], s.xmin[j]);
            d = 100000;
        }
        if (d > s.dmax) s.dmax = d;
    }
    double sum = 0;
    for (int j = 0; p.fn[j] <= p.ref_freq[1]; ++j) {
        if (p.fn[j] < p.ref_freq[0]) continue;
        sum = sum + std::fabs(20.0 * std::log10(std::fabs(s.xmax[j] / p.ref[j])));
        sum = sum + std::fabs(20.0 * std::log10(std::fabs(s.xmin[j] / p.ref[j])));
        if (!(p.ref[j] > 1e-90)) {
            s.console += format("\n ref[%ld]= %8.4g\n", static_cast<long>(j), p.ref[j]);
            s.status = 1;
            return s;
        }
        if (!(s.xmax[j] > 1e-90)) {
            s.console += format("\n xmax[%ld]= %8.4g\n", static_cast<long>(j), s.xmax[j]);
            s.status = 1;
            return s;
        }
    }
    s.ave_slope = sum;
    return s;
}

// A signal with a little of everything: noise, a drift, a step and spikes.
std::vector<double> test_signal(int32_t n, uint32_t seed, double spike) {
    std::vector<double> v(n);
    uint32_t s = seed;
    for (int32_t i = 0; i < n; ++i) {
        s = s * 1664525u + 1013904223u;
        const double noise = (static_cast<double>(s >> 8) / 16777216.0) - 0.5;
        v[i] = noise + 0.01 * i / (n + 1.0) + (i > n / 2 ? 0.7 : 0.0) + (i % 53 == 7 ? spike : 0.0);
    }
    return v;
}

// Sample rates from a single grid frequency to the full grid, signals from
// one sample on (some that stop the run on a one-sided spectrum, some that
// diverge), one workspace for all, so that nothing may carry over from an
// earlier run.
TEST(spectrum_reference, runs_match_the_rules_bit_for_bit) {
    struct plan_row {
        double sr, f0, f1;
    };
    const plan_row plans[] = {{20, 1, 5}, {200, 10, 20}, {1000, 20, 80}, {10000, 20, 800}, {1e6, 100, 10000}};
    auto ts = make_trial({});
    int finished = 0, stopped = 0, diverged = 0;
    for (const plan_row& pr : plans) {
        auto plan = make_plan(pr.sr, pr.f0, 1.0, pr.f1, 3.0);
        for (int32_t n : {1, 2, 3, 17, 1001}) {
            for (double spike : {40.0, 3e10}) {
                SCOPED_TRACE(testing::Message() << "sample rate " << pr.sr << ", " << n << " samples, spike " << spike);
                std::vector<double> signal = test_signal(n, static_cast<uint32_t>(n * 7 + pr.sr), spike);
                if (n == 3) signal = {0.5, 0.25, 0.125};
                ts->residual = signal;
                ts->console.clear();
                const spectra expected = spectrum_by_hand(signal, *plan);
                EXPECT_EQ(expected.status, run_status(*ts, *plan, n));
                EXPECT_EQ(expected.console, ts->console.str());
                (expected.diverged ? diverged : expected.status ? stopped : finished)++;
                if (expected.diverged) continue;
                for (int j = 0; j < max_grid; ++j) {
                    ASSERT_EQ(bits(expected.xmax[j]), bits(ts->xmax[j])) << "xmax, j = " << j;
                    ASSERT_EQ(bits(expected.xmin[j]), bits(ts->xmin[j])) << "xmin, j = " << j;
                }
                EXPECT_EQ(bits(expected.dmax), bits(ts->dmax));
                if (expected.status == 0) {
                    EXPECT_EQ(bits(expected.ave_slope), bits(ts->ave_slope));
                }
            }
        }
    }
    // The table reaches every way a run can end.
    EXPECT_GT(finished, 10);
    EXPECT_GT(stopped, 0);
    EXPECT_GT(diverged, 5);
}

}  // namespace

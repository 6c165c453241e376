// Helpers shared by the spectrum tests: plans from a sample rate and two
// reference coordinates, trial workspaces, the oscillator's impulse
// response, and exact comparison of doubles.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "run/limits.h"
#include "support/harness.h"
#include "run/output.h"
#include "run/run_state.h"
#include "spectrum/spectrum.h"

namespace spectrum_test {

using namespace basetrim;

inline time_history time_base(double sr) {
    time_history th;
    th.sr = sr;
    th.dt = 1.0 / sr;
    return th;
}

// The plan for sample rate `sr` and the coordinates (f0, a0), (f1, a1);
// the set-up's console lines go to `console` when given.
inline std::unique_ptr<spectrum_plan> make_plan(double sr, double f0, double a0, double f1, double a1,
                                                std::string* console = nullptr) {
    answers ans;
    ans.ref_freq[0] = f0;
    ans.ref_amp[0] = a0;
    ans.ref_freq[1] = f1;
    ans.ref_amp[1] = a1;
    auto plan = std::make_unique<spectrum_plan>();
    out_text con;
    plan_spectrum(*plan, ans, time_base(sr), con);
    if (console) *console = con.str();
    return plan;
}

// A workspace whose residual is `signal`; the spectra and the filter state
// start as garbage, which every spectrum run must clear.
inline std::unique_ptr<trial_state> make_trial(const std::vector<double>& signal) {
    auto ts = std::make_unique<trial_state>();
    ts->residual = signal;
    ts->baseline.assign(signal.size(), 0.0);
    for (int j = 0; j < max_grid; ++j) {
        ts->xmax[j] = 55.0;
        ts->xmin[j] = -55.0;
        ts->x[j] = ts->xb[j] = ts->xbb[j] = ts->yb[j] = ts->ybb[j] = 3.0;
    }
    return ts;
}

inline int32_t count_of(const std::vector<double>& v) { return static_cast<int32_t>(v.size()); }

// The absolute-acceleration impulse response of the oscillator with natural
// frequency f (Hz) and damping 0.05, at time t: the inverse transform of
// (2 zeta w s + w^2) / (s^2 + 2 zeta w s + w^2).
inline double impulse_response(double f, double t) {
    const double zeta = 0.05;
    const double w = 2.0 * M_PI * f;
    const double wd = w * std::sqrt(1.0 - zeta * zeta);
    return w * std::exp(-zeta * w * t) * (2.0 * zeta * std::cos(wd * t) + (1.0 - 2.0 * zeta * zeta) * (w / wd) * std::sin(wd * t));
}

using basetrim_test::format;

inline uint64_t bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Runs the spectrum and reports the stop, if any, as its status.
inline int run_status(trial_state& ts, const spectrum_plan& plan, int32_t n) {
    try {
        spectrum_run(ts, plan, n);
    } catch (const run_stop& s) {
        return s.status;
    }
    return 0;
}

}  // namespace spectrum_test

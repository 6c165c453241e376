// The numbers of a report: velocities by integration, and the shock
// response spectrum of a record through the same spectrum run as a trial.
#pragma once

#include <string>
#include <vector>

#include "run/run_state.h"

namespace basetrim::report {

// Cumulative trapezoidal integral of `a` over the times `t`, from 0 at the
// first sample: v[i] = v[i-1] + (t[i] - t[i-1]) * (a[i-1] + a[i]) / 2.
std::vector<double> velocity(const std::vector<double>& t, const std::vector<double>& a);

// A spectrum and its two measures, or the reason there is none.
struct spectrum_result {
    bool ok = false;
    std::string messages;       // what the spectrum run printed: warnings, and the stop message when !ok
    std::vector<double> pos;    // positive spectrum at grid frequencies 0 .. nspec
    std::vector<double> neg;    // negative spectrum (values not above 0) at the same frequencies
    double dmax = 0;            // dB: largest difference of the two spectra
    double ave_slope = 0;       // dB: summed departure from the reference line
};

// Runs the spectrum of `signal` (one value per sample) on the grid of
// `plan`. A run that stops (divergence, a reference or positive-spectrum
// value not above 1e-90 in the band) gives ok = false with its message.
spectrum_result run_spectrum(const spectrum_plan& plan, const std::vector<double>& signal);

}  // namespace basetrim::report

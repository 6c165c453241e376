// The state of a run, in two halves. run_data is written once, by the
// dialogue, the sample reader and the spectrum set-up, and only read by the
// trials; trial_state is the workspace of one trial, lent to it by whichever
// worker computes it. selection holds the per-trial records and the ranking.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/limits.h"
#include "run/output.h"

namespace basetrim {

// The answers of the console dialogue.
struct answers {
    std::string input_name;      // time-history file
    std::string baseline_name;   // output file 1
    std::string corrected_name;  // output file 2
    std::string srs_name;        // output file 3
    std::string coef_name;       // knot list
    double dmax_weight = 0;      // weight of the dmax rank
    double slope_weight = 0;     // weight of the ave_slope rank
    int32_t ntrials = 0;         // number of trials
    int32_t seed_skip = 0;       // how far the random sequence is advanced
    double max_exponent = 0;     // read, then always -1.0
    int32_t max_points = 0;      // largest knot count, at least min_points
    double ref_freq[2] = {0, 0};  // Hz: frequencies of the two reference coordinates
    double ref_amp[2] = {0, 0};   // amplitudes of the two reference coordinates
};

// The samples as read and the time base.
struct time_history {
    std::vector<double> xa;      // s: sample times, as read
    std::vector<double> amp_in;  // amplitudes, as read
    int32_t n = 0;               // number of samples
    double xone = 0;             // s: first sample time
    double xlast = 0;            // s: last sample time
    double dt = 0;               // s: sample interval
    double sr = 0;               // 1/s: sample rate
    bool ascending = false;      // the time column never decreases
};

// Instruction sets the filter bank is built for.
enum class bank_target : int32_t { scalar, sse2, avx2, avx512 };

// Natural-frequency grid, reference line and filter coefficients.
struct spectrum_plan {
    double damp = 0;             // damping ratio of every oscillator
    int32_t nspec = 0;           // index of the last grid frequency
    double ref_freq[2] = {0, 0};  // Hz: the reference band
    double fn[max_grid] = {};    // Hz: natural frequencies, entries 0 .. nspec+1
    double ref[max_ref] = {};    // reference amplitude at each natural frequency
    double a1[max_grid] = {};
    double a2[max_grid] = {};
    double b1[max_grid] = {};
    double b2[max_grid] = {};
    double b3[max_grid] = {};
    int32_t tail_steps = 0;      // steps of zero input run after the last sample
    bank_target target = bank_target::scalar;  // kernel the spectrum runs use
};

// What every trial reads and nobody changes once the trials start.
struct run_data {
    answers ans;
    time_history th;
    spectrum_plan plan;
};

// The working state of one trial.
struct trial_state {
    int32_t trial = 0;           // 0-based index of the trial
    int32_t nn = 0;              // knot count
    double knot_t[max_knots] = {};  // s: knot times, entries 0 .. nn-1
    double knot_y[max_knots] = {};  // knot values, entries 0 .. nn-1
    std::vector<double> baseline;   // baseline at each sample
    std::vector<double> residual;   // input minus baseline at each sample
    double resid_max = 0;        // largest residual
    double resid_min = 0;        // smallest residual
    double ms = 0;               // sum of squares of the residual
    double rms = 0;              // rms of the residual
    double peak_sym = 0;         // departure of the residual's peaks from symmetry

    // Filter state and the spectrum of the last spectrum run.
    double x[max_grid] = {};
    double xb[max_grid] = {};
    double xbb[max_grid] = {};
    double y = 0;
    double yb[max_grid] = {};
    double ybb[max_grid] = {};
    double xmax[max_grid] = {};  // positive spectrum
    double xmin[max_grid] = {};  // negative spectrum
    double dmax = 0;             // dB: largest difference of the two spectra
    double ave_slope = 0;        // dB: summed departure from the reference line

    std::vector<double> scratch_lo, scratch_hi;  // per knot interval: widened ends
    std::vector<double> scratch_reach;           // per knot interval: right knot plus two intervals
    std::vector<int32_t> scratch_next;           // per knot interval: next narrow interval

    out_text console;            // this trial's console lines
    out_text block;              // this trial's lines of the trial file
};

// The records read back from the trial file, and the ranking.
struct selection {
    std::vector<double> peak_sym;    // per trial
    std::vector<int32_t> rec_trial;  // per slot: trial number as written
    std::vector<double> rec_dmax;    // per slot: dmax as read back
    std::vector<double> rec_slope;   // per slot: ave_slope as read back
    int32_t rec_nn = 0;              // knot count of the record read last
    int32_t mj = 0;                  // last slot ranked
    std::vector<int32_t> ord_dmax, ord_slope, ord_peak;
    std::vector<uint32_t> p, q;      // per slot: rank on dmax and on ave_slope
    std::vector<double> sum;         // per slot: score
    int32_t best_case = 0;           // the chosen slot
};

}  // namespace basetrim

#include <cmath>
#include <cstring>

#include "run/limits.h"
#include "spectrum/bank.h"
#include "spectrum/spectrum.h"

namespace basetrim {

namespace {

// Every oscillator starts at rest; the spectra start at zero.
void clear_filters(trial_state& ts) {
    for (double* a : {ts.x, ts.xb, ts.xbb, ts.yb, ts.ybb, ts.xmax, ts.xmin}) std::memset(a, 0, sizeof(double) * max_grid);
    ts.y = 0;
}

}  // namespace

int64_t filter_bank_scalar(trial_state& ts, const spectrum_plan& plan, int32_t n, int32_t& div_j) {
    clear_filters(ts);
    const double* residual = ts.residual.data();
    const int64_t steps = static_cast<int64_t>(n) + plan.tail_steps;
    const int32_t nspec = plan.nspec;
    for (int64_t i = 0; i < steps; ++i) {
        ts.y = i < n ? residual[i] : 0.0;
        const double y = ts.y;
        for (int32_t j = 0; j <= nspec; ++j) {
            double x = plan.b3[j] * ts.ybb[j] + plan.b1[j] * y + plan.b2[j] * ts.yb[j] + plan.a2[j] * ts.xbb[j] +
                       plan.a1[j] * ts.xb[j];
            ts.x[j] = x;
            if (std::fabs(x) >= diverge_bound) {
                div_j = j;
                return i;
            }
            if (x > ts.xmax[j]) ts.xmax[j] = x;
            if (x < ts.xmin[j]) ts.xmin[j] = x;
            ts.xbb[j] = ts.xb[j];
            ts.xb[j] = x;
            ts.ybb[j] = ts.yb[j];
            ts.yb[j] = y;
        }
    }
    return -1;
}

bool bank_target_available(bank_target target) {
    switch (target) {
        case bank_target::scalar:
        case bank_target::sse2:
            return true;
        case bank_target::avx2:
            return __builtin_cpu_supports("avx2");
        case bank_target::avx512:
            return __builtin_cpu_supports("avx512f");
    }
    return false;
}

bank_target best_bank_target() {
    for (bank_target t : {bank_target::avx512, bank_target::avx2})
        if (bank_target_available(t)) return t;
    return bank_target::sse2;
}

const char* bank_target_name(bank_target target) {
    switch (target) {
        case bank_target::scalar:
            return "scalar";
        case bank_target::sse2:
            return "sse2";
        case bank_target::avx2:
            return "avx2";
        case bank_target::avx512:
            return "avx512";
    }
    return "?";
}

int64_t filter_bank(trial_state& ts, const spectrum_plan& plan, int32_t n, bank_target target, int32_t& div_j) {
    if (target == bank_target::scalar || !bank_target_available(target))
        return filter_bank_scalar(ts, plan, n, div_j);
    clear_filters(ts);
    bank_args a{plan.a1, plan.a2, plan.b1, plan.b2, plan.b3, ts.residual.data(), n, plan.tail_steps,
                plan.nspec + 1, ts.xmax, ts.xmin};
    switch (target) {
        case bank_target::avx512:
            bank_avx512(a);
            break;
        case bank_target::avx2:
            bank_avx2(a);
            break;
        default:
            bank_sse2(a);
            break;
    }
    // A response that reached the bound shows in the extremes: |x| >= 1e8
    // means x >= 1e8 or x <= -1e8, and no extreme ever takes a NaN.
    for (int32_t j = 0; j <= plan.nspec; ++j)
        if (ts.xmax[j] >= diverge_bound || ts.xmin[j] <= -diverge_bound) return filter_bank_scalar(ts, plan, n, div_j);
    return -1;
}

void spectrum_run(trial_state& ts, const spectrum_plan& plan, int32_t n) {
    out_text& con = ts.console;
    int32_t j_div = 0;
    int64_t i_div = filter_bank(ts, plan, n, plan.target, j_div);
    if (i_div >= 0) {
        const int32_t j = j_div;
        con.printf("\n Error:  i=%ld \n", static_cast<long>(i_div));
        con.printf("\n f[%ld]=%14.6g  x=%14.6g  xb=%14.6g  xbb=%14.6g\n", static_cast<long>(j), plan.fn[j], ts.x[j],
                   ts.xb[j], ts.xbb[j]);
        con.printf("\n y=%14.6g  yb=%14.6g  ybb=%14.6g \n", ts.y, ts.yb[j], ts.ybb[j]);
        con.printf("\n a1=%8.4g a2=%8.4g b1=%8.4g b2=%8.4g b3=%8.4g \n", plan.a1[j], plan.a2[j], plan.b1[j],
                   plan.b2[j], plan.b3[j]);
        fatal_stop();
    }

    // dmax: the largest dB difference of the positive and negative spectrum.
    ts.dmax = 0;
    for (int32_t j = 0; j <= plan.nspec; ++j) {
        double d = std::fabs(20.0 * std::log10(std::fabs(ts.xmax[j] / ts.xmin[j])));
        if (!(std::fabs(ts.xmax[j]) > tiny) || !(std::fabs(ts.xmin[j]) > tiny)) {
            con.printf("\n Warning: %8.4g %8.4g %8.4g \n", plan.fn[j], ts.xmax[j], ts.xmin[j]);
            d = one_sided_db;
        }
        if (d > ts.dmax) ts.dmax = d;
    }

    // ave_slope: the dB departure of both spectra from the reference line,
    // summed over the reference band. Entry nspec+1 has zero spectra, so the
    // walk stops there at the latest (the set-up refuses a band above it).
    double sum = 0;
    for (int32_t j = 0; j <= plan.nspec + 1; ++j) {
        if (plan.fn[j] > plan.ref_freq[1]) break;
        if (plan.fn[j] < plan.ref_freq[0]) continue;
        sum = sum + std::fabs(20.0 * std::log10(std::fabs(ts.xmax[j] / plan.ref[j])));
        sum = sum + std::fabs(20.0 * std::log10(std::fabs(ts.xmin[j] / plan.ref[j])));
        if (!(plan.ref[j] > tiny)) {
            con.printf("\n ref[%ld]= %8.4g\n", static_cast<long>(j), plan.ref[j]);
            fatal_stop();
        }
        if (!(ts.xmax[j] > tiny)) {
            con.printf("\n xmax[%ld]= %8.4g\n", static_cast<long>(j), ts.xmax[j]);
            fatal_stop();
        }
    }
    ts.ave_slope = sum;
}

}  // namespace basetrim

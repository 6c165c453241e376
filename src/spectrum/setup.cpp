#include <cmath>

#include "run/limits.h"
#include "spectrum/spectrum.h"

namespace basetrim {

void spectrum_setup(spectrum_plan& plan, answers& ans, dialogue& d, const time_history& th) {
    d.con.put("\n Enter first coordinate \n");
    ans.ref_freq[0] = d.read_real("Enter first coordinate");
    ans.ref_amp[0] = d.read_real("Enter first coordinate");
    d.con.put("\n Enter second coordinate \n");
    ans.ref_freq[1] = d.read_real("Enter second coordinate");
    ans.ref_amp[1] = d.read_real("Enter second coordinate");
    d.con.put("\n ref 2 \n");
    plan_spectrum(plan, ans, th, d.con);
}

void plan_spectrum(spectrum_plan& plan, const answers& ans, const time_history& th, out_text& con) {
    plan.ref_freq[0] = ans.ref_freq[0];
    plan.ref_freq[1] = ans.ref_freq[1];

    plan.damp = damping;
    plan.fn[0] = grid_start;
    double freq_limit = grid_fraction * th.sr;
    if (freq_limit > grid_cap) freq_limit = grid_cap;

    // Reference line through the two coordinates on log-log axes.
    plan.ref[0] = ans.ref_amp[0];
    double nr = std::log(ans.ref_amp[1] / ans.ref_amp[0]) / std::log(ans.ref_freq[1] / ans.ref_freq[0]);
    con.printf(" ref_freq[0]=%8.4g  nr=%8.4g \n", ans.ref_freq[0], nr);

    // One-sixth-octave grid; the frequency that ends it is stored and printed.
    plan.nspec = 0;
    for (int32_t j = 1; j < max_ref - 1; ++j) {
        plan.fn[j] = std::pow(2.0, j * (1.0 / 6.0)) * plan.fn[0];
        plan.ref[j] = std::pow(plan.fn[j] / ans.ref_freq[0], nr) * ans.ref_amp[0];
        con.printf(" %8.4g  %8.4g \n", plan.fn[j], plan.ref[j]);
        if (plan.fn[j] > freq_limit) break;
        plan.nspec = j;
    }
    con.printf("\n nspec = %ld  last freq = %8.4g Hz \n", static_cast<long>(plan.nspec), plan.fn[plan.nspec]);

    // The reference walk of a spectrum run ends inside the stored grid unless
    // both reference frequencies lie above its last entry.
    double f_end = plan.fn[plan.nspec + 1];
    if (f_end < ans.ref_freq[0] && !(f_end > ans.ref_freq[1]))
        stop_run(con,
                 "the reference coordinates (%g Hz and %g Hz) lie above the grid, which ends at %g Hz; "
                 "at least one must lie at or below it",
                 ans.ref_freq[0], ans.ref_freq[1], f_end);

    // Impulse-invariant filter for the absolute acceleration of the oscillator.
    const double twopi = 2.0 * std::atan2(0.0, -1.0);
    const double damp = plan.damp;
    const double dt = th.dt;
    for (int32_t j = 0; j <= plan.nspec; ++j) {
        double omega = twopi * plan.fn[j];
        double omegad = omega * std::sqrt(1.0 - damp * damp);
        double A = dt * omega * damp;
        double E = std::exp(-A);
        double B = dt * omegad;
        plan.a1[j] = 2.0 * E * std::cos(B);
        plan.a2[j] = -std::exp(-2.0 * A);
        plan.b1[j] = 2.0 * A;
        plan.b2[j] = ((1.0 - 2.0 * damp * damp) * (omega / omegad) * std::sin(B) - 2.0 * damp * std::cos(B)) *
                     E * dt * omega;
        plan.b3[j] = 0.0;
    }
    plan.tail_steps = static_cast<int32_t>((tail_time / dt) * tail_factor);
    plan.target = straightforward ? bank_target::scalar : best_bank_target();
}

}  // namespace basetrim

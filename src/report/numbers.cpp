#include "report/numbers.h"

#include <memory>

#include "spectrum/spectrum.h"

namespace basetrim::report {

std::vector<double> velocity(const std::vector<double>& t, const std::vector<double>& a) {
    std::vector<double> v(a.size(), 0.0);
    for (size_t i = 1; i < a.size(); ++i) v[i] = v[i - 1] + (t[i] - t[i - 1]) * (a[i - 1] + a[i]) * 0.5;
    return v;
}

spectrum_result run_spectrum(const spectrum_plan& plan, const std::vector<double>& signal) {
    // The spectrum run works on a trial's workspace: lend it the signal as
    // the residual. A stop leaves its message in the workspace's console.
    spectrum_result r;
    auto ts = std::make_unique<trial_state>();
    ts->residual = signal;
    try {
        spectrum_run(*ts, plan, static_cast<int32_t>(signal.size()));
    } catch (const run_stop&) {
        r.messages = ts->console.str();
        return r;
    }
    r.ok = true;
    r.messages = ts->console.str();
    r.pos.assign(ts->xmax, ts->xmax + plan.nspec + 1);
    r.neg.assign(ts->xmin, ts->xmin + plan.nspec + 1);
    r.dmax = ts->dmax;
    r.ave_slope = ts->ave_slope;
    return r;
}

}  // namespace basetrim::report

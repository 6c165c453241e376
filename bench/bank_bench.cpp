// Filter updates per second of each filter-bank kernel on one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "run/run_state.h"
#include "spectrum/spectrum.h"

namespace {

using namespace basetrim;

struct bank_case {
    time_history th;
    spectrum_plan plan;
    std::unique_ptr<trial_state> ts;
};

// A 1 MHz record of 100,000 samples: the full grid of 61 frequencies.
bank_case& the_case() {
    static bank_case c = [] {
        bank_case b;
        const int32_t n = 100000;
        b.th.n = n;
        b.th.dt = 1e-6;
        b.th.sr = 1e6;
        answers ans;
        ans.ref_freq[0] = 100;
        ans.ref_amp[0] = 10;
        ans.ref_freq[1] = 1000;
        ans.ref_amp[1] = 100;
        out_text sink;
        plan_spectrum(b.plan, ans, b.th, sink);
        b.ts = std::make_unique<trial_state>();
        b.ts->residual.resize(n);
        for (int32_t i = 0; i < n; ++i)
            b.ts->residual[i] = 50.0 * std::exp(-i * 2e-5) * std::sin(i * 0.013) + std::sin(i * 0.0007);
        return b;
    }();
    return c;
}

void bm_bank(benchmark::State& state) {
    const bank_target target = static_cast<bank_target>(state.range(0));
    bank_case& c = the_case();
    if (!bank_target_available(target)) {
        state.SkipWithError("target not available on this machine");
        return;
    }
    int32_t div_j = 0;
    for (auto _ : state) {
        int64_t div = filter_bank(*c.ts, c.plan, c.th.n, target, div_j);
        benchmark::DoNotOptimize(div);
        benchmark::DoNotOptimize(c.ts->xmax[0]);
    }
    const double updates = static_cast<double>(c.th.n + c.plan.tail_steps) * (c.plan.nspec + 1);
    state.counters["updates_per_s"] =
        benchmark::Counter(updates * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(bank_target_name(target));
}

BENCHMARK(bm_bank)
    ->Arg(static_cast<int>(bank_target::scalar))
    ->Arg(static_cast<int>(bank_target::sse2))
    ->Arg(static_cast<int>(bank_target::avx2))
    ->Arg(static_cast<int>(bank_target::avx512))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

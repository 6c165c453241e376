// Filter updates per second of each filter-bank kernel on one core, and the
// number formatting and parsing of the large files, before and after.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "input/samples.h"
#include "run/format.h"

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

// The result files' "%14.7e" and the trial file's "%12.6g", by snprintf and
// by the to_chars formatter.
std::vector<double> format_values() {
    std::vector<double> v;
    for (int i = 0; i < 4096; ++i) v.push_back(std::sin(i * 0.37) * std::pow(10.0, (i % 13) - 6));
    return v;
}

void bm_format_snprintf(benchmark::State& state) {
    const std::vector<double> v = format_values();
    const char* fmt = state.range(0) ? "%12.6g" : "%14.7e";
    char buf[64];
    for (auto _ : state)
        for (double x : v) benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, fmt, x));
    state.counters["numbers_per_s"] =
        benchmark::Counter(static_cast<double>(v.size() * state.iterations()), benchmark::Counter::kIsRate);
}

void bm_format_to_chars(benchmark::State& state) {
    const std::vector<double> v = format_values();
    out_text out;
    for (auto _ : state) {
        out.clear();
        for (double x : v) {
            if (state.range(0))
                put_g(out, x, 12, 6);
            else
                put_e(out, x, 14, 7);
        }
        benchmark::DoNotOptimize(out.str().data());
    }
    state.counters["numbers_per_s"] =
        benchmark::Counter(static_cast<double>(v.size() * state.iterations()), benchmark::Counter::kIsRate);
}

// A sample line as the records hold it, read by strtod and by the
// from_chars reader.
std::vector<std::string> sample_lines() {
    std::vector<std::string> lines;
    char buf[64];
    for (int i = 0; i < 4096; ++i) {
        std::snprintf(buf, sizeof buf, "%.9e %.6e\n", i * 1e-6, std::sin(i * 0.37) * 250.0);
        lines.push_back(buf);
    }
    return lines;
}

void bm_parse_strtod(benchmark::State& state) {
    const std::vector<std::string> lines = sample_lines();
    for (auto _ : state)
        for (const std::string& l : lines) {
            char* end;
            double t = std::strtod(l.c_str(), &end);
            double a = std::strtod(end, &end);
            benchmark::DoNotOptimize(t + a);
        }
    state.counters["lines_per_s"] =
        benchmark::Counter(static_cast<double>(lines.size() * state.iterations()), benchmark::Counter::kIsRate);
}

void bm_parse_from_chars(benchmark::State& state) {
    const std::vector<std::string> lines = sample_lines();
    for (auto _ : state)
        for (const std::string& l : lines) {
            double t, a;
            parse_sample(l, t, a);
            benchmark::DoNotOptimize(t + a);
        }
    state.counters["lines_per_s"] =
        benchmark::Counter(static_cast<double>(lines.size() * state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(bm_format_snprintf)->Arg(0)->Arg(1);
BENCHMARK(bm_format_to_chars)->Arg(0)->Arg(1);
BENCHMARK(bm_parse_strtod);
BENCHMARK(bm_parse_from_chars);

}  // namespace

BENCHMARK_MAIN();

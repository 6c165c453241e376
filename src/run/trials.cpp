#include "run/trials.h"

#include <omp.h>

#include <algorithm>
#include <exception>
#include <string>

#include "baseline/baseline.h"
#include "run/limits.h"
#include "selection/selection.h"
#include "spectrum/spectrum.h"

namespace basetrim {

namespace {

constexpr int32_t batch_per_worker = 16;  // trials: drawn ahead for each worker, per batch

// One trial between its draw and its output.
struct trial_slot {
    int32_t trial = 0;
    int32_t nn = 0;
    double knot_t[max_knots];
    out_text console;  // progress line, draw warnings, then the trial's own lines
    out_text block;    // lines of the trial file
    double peak_sym = 0;
    bool stopped = false;
};

void print_elapsed(out_text& con, time_t start_time) {
    con.printf(" %ld sec\n", static_cast<long>(std::time(nullptr) - start_time));
}

// The draw of trial `trial`, with the progress line before it.
void draw_trial(trial_slot& slot, trial_state& drawer, int32_t trial, int32_t& progress, rng& r, const run_data& rd,
                time_t start_time) {
    slot.trial = trial;
    slot.stopped = false;
    slot.console.clear();
    slot.block.clear();
    if (++progress == 100) {
        slot.console.printf(" %ld ", static_cast<long>(trial + 1));
        print_elapsed(slot.console, start_time);
        progress = 0;
    }
    drawer.console.clear();
    draw_knots(drawer, r, rd.ans, rd.th);
    slot.nn = drawer.nn;
    std::copy(drawer.knot_t, drawer.knot_t + drawer.nn, slot.knot_t);
    slot.console.put(drawer.console.str());
}

// Runs `phase` on the workspace; a stop is noted in the slot, with the message
// the phase printed. Nothing escapes, so this may run on any thread.
template <typename Phase>
void guarded(trial_slot& slot, trial_state& ws, Phase phase) {
    try {
        phase();
    } catch (const run_stop&) {
        slot.stopped = true;
    } catch (const std::exception& e) {
        ws.console.printf("\n Stop: trial %ld failed: %s \n", static_cast<long>(slot.trial), e.what());
        slot.stopped = true;
    }
}

void load_knots(trial_state& ws, const trial_slot& slot) {
    ws.trial = slot.trial;
    ws.nn = slot.nn;
    std::copy(slot.knot_t, slot.knot_t + slot.nn, ws.knot_t);
    ws.console.clear();
    ws.block.clear();
}

// The trial's results go back to its slot.
void take_results(trial_slot& slot, trial_state& ws) {
    slot.console.put(ws.console.str());
    ws.console.clear();
    std::swap(slot.block.raw(), ws.block.raw());
    slot.peak_sym = ws.peak_sym;
}

// Writes a slot's output; false when the run stops here.
bool emit(trial_slot& slot, selection& sel, run_files& f, dialogue& d) {
    d.con.put(slot.console.str());
    if (slot.stopped) return false;
    sel.peak_sym.push_back(slot.peak_sym);
    f.trial_file.drain(slot.block);
    return !f.trial_file.failed();
}

[[noreturn]] void stop_after(const trial_slot& slot, run_files& f, dialogue& d) {
    if (!slot.stopped)
        stop_run(d.con, "cannot write the trial file %s (%s)", f.trial_file.name().c_str(),
                 error_text(f.trial_file.error()).c_str());
    fatal_stop();
}

// Ascending times: every sample lies in a knot interval, so a trial depends on
// nothing but its knots. Trials run on any worker, in any order.
void run_batch_independent(std::vector<trial_slot>& slots, int32_t count, trial_workers& workers, selection& sel,
                           const run_data& rd, run_files& f, dialogue& d, int threads) {
    int32_t stop_at = -1;
#pragma omp parallel for schedule(dynamic, 1) ordered num_threads(threads)
    for (int32_t t = 0; t < count; ++t) {
        trial_slot& slot = slots[t];
        trial_state& ws = *workers.ws[omp_get_thread_num()];
        int32_t stopped_at;
#pragma omp atomic read
        stopped_at = stop_at;
        // Trials after a stop are not computed; their output is never written.
        if (stopped_at < 0) {
            load_knots(ws, slot);
            guarded(slot, ws, [&] {
                set_knot_values(ws, rd.th);
                eval_baseline(ws, rd.th);
                check_residual(ws, rd.th.n);
                spectrum_run(ws, rd.plan, rd.th.n);
                write_trial_record(ws);
            });
            take_results(slot, ws);
        }
#pragma omp ordered
        {
            if (stop_at < 0 && !emit(slot, sel, f, d)) {
#pragma omp atomic write
                stop_at = t;
            }
        }
    }
    if (stop_at >= 0) stop_after(slots[stop_at], f, d);
}

// Times that decrease somewhere: a sample outside every knot interval keeps
// the residual the trial before left there. The trials of a group compute
// their knot values and covered residuals side by side; then, in trial order,
// each one takes the carried values at its uncovered samples and leaves its
// own covered ones for the next; then the spectra run side by side.
void run_batch_carried(std::vector<trial_slot>& slots, int32_t count, trial_workers& workers,
                       std::vector<double>& carry, selection& sel, const run_data& rd, run_files& f, dialogue& d,
                       int threads) {
    const int32_t group = static_cast<int32_t>(workers.ws.size());
    const time_history& th = rd.th;
    for (int32_t g0 = 0; g0 < count; g0 += group) {
        const int32_t gn = std::min(group, count - g0);
#pragma omp parallel for schedule(static, 1) num_threads(threads)
        for (int32_t t = 0; t < gn; ++t) {
            trial_slot& slot = slots[g0 + t];
            trial_state& ws = *workers.ws[t];
            load_knots(ws, slot);
            guarded(slot, ws, [&] {
                set_knot_values(ws, th);
                eval_baseline(ws, th);
                check_residual(ws, th.n);
            });
        }
        int32_t live = gn;  // trials of the group before the first stop
        for (int32_t t = 0; t < gn; ++t) {
            trial_state& ws = *workers.ws[t];
            if (slots[g0 + t].stopped) {
                live = t;
                break;
            }
            double* res = ws.residual.data();
            double lo, hi;
            if (knot_coverage(ws, th.dt, lo, hi)) {
                for (int32_t i = 0; i < th.n; ++i) {
                    if (lo <= th.xa[i] && th.xa[i] <= hi)
                        carry[i] = res[i];
                    else
                        res[i] = carry[i];
                }
            } else {
                for (int32_t i = 0; i < th.n; ++i) {
                    if (sample_covered(ws, th.dt, th.xa[i]))
                        carry[i] = res[i];
                    else
                        res[i] = carry[i];
                }
            }
        }
#pragma omp parallel for schedule(static, 1) num_threads(threads)
        for (int32_t t = 0; t < gn; ++t) {
            trial_slot& slot = slots[g0 + t];
            trial_state& ws = *workers.ws[t];
            if (t < live)
                guarded(slot, ws, [&] {
                    spectrum_run(ws, rd.plan, th.n);
                    write_trial_record(ws);
                });
            if (t <= live) take_results(slot, ws);
        }
        for (int32_t t = 0; t <= live && t < gn; ++t)
            if (!emit(slots[g0 + t], sel, f, d)) stop_after(slots[g0 + t], f, d);
    }
}

// One trial after the other on a single workspace: the plain loop.
void run_sequential(trial_workers& workers, selection& sel, rng& r, const run_data& rd, run_files& f, dialogue& d,
                    time_t start_time) {
    trial_state& ts = *workers.ws[0];
    int32_t progress = 0;
    for (int32_t trial = 0; trial < rd.ans.ntrials; ++trial) {
        ts.trial = trial;
        if (++progress == 100) {
            d.con.printf(" %ld ", static_cast<long>(trial + 1));
            print_elapsed(d.con, start_time);
            progress = 0;
        }
        try {
            draw_knots(ts, r, rd.ans, rd.th);
            set_knot_values(ts, rd.th);
            eval_baseline(ts, rd.th);
            check_residual(ts, rd.th.n);
            spectrum_run(ts, rd.plan, rd.th.n);
            write_trial_record(ts);
        } catch (const run_stop&) {
            d.con.put(ts.console.str());
            throw;
        }
        sel.peak_sym.push_back(ts.peak_sym);
        d.con.put(ts.console.str());
        ts.console.clear();
        f.trial_file.drain(ts.block);
        if (f.trial_file.failed())
            stop_run(d.con, "cannot write the trial file %s (%s)", f.trial_file.name().c_str(),
                     error_text(f.trial_file.error()).c_str());
    }
}

}  // namespace

int worker_count() {
    if (straightforward) return 1;
    int t = omp_get_max_threads();
    return t < 1 ? 1 : t;
}

void run_trials(trial_workers& workers, selection& sel, rng& r, const run_data& rd, run_files& f, dialogue& d,
                time_t start_time, int threads) {
    const int32_t ntrials = rd.ans.ntrials;
    const int32_t n = rd.th.n;
    if (threads < 1) threads = 1;
    sel.peak_sym.reserve(ntrials > 0 ? ntrials : 0);

    workers.ws.clear();
    const int count = straightforward ? 1 : threads;
    for (int w = 0; w < count; ++w) {
        workers.ws.push_back(std::make_unique<trial_state>());
        workers.ws.back()->residual = rd.th.amp_in;
    }
    if (straightforward) {
        workers.ws[0]->baseline.assign(n, 0.0);
        run_sequential(workers, sel, r, rd, f, d, start_time);
        return;
    }

    const int32_t batch = batch_per_worker * threads;
    std::vector<trial_slot> slots(static_cast<size_t>(std::min(batch, std::max(ntrials, 1))));
    auto drawer = std::make_unique<trial_state>();
    std::vector<double> carry;
    if (!rd.th.ascending) carry = rd.th.amp_in;
    int32_t progress = 0;
    for (int32_t k0 = 0; k0 < ntrials; k0 += batch) {
        const int32_t count_now = std::min(batch, ntrials - k0);
        for (int32_t t = 0; t < count_now; ++t)
            draw_trial(slots[t], *drawer, k0 + t, progress, r, rd, start_time);
        if (rd.th.ascending)
            run_batch_independent(slots, count_now, workers, sel, rd, f, d, threads);
        else
            run_batch_carried(slots, count_now, workers, carry, sel, rd, f, d, threads);
        d.flush();
    }
}

}  // namespace basetrim

#include "run/trials.h"

#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "baseline/baseline.h"
#include "run/limits.h"
#include "run/progress.h"
#include "selection/selection.h"
#include "spectrum/spectrum.h"

namespace basetrim {

namespace {

constexpr int32_t ring_per_worker = 4;  // trials: between their draw and their output, per worker
constexpr int max_workers = 256;        // threads: most workers of a run

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

// Where no knot interval of the trial holds a sample, its residual is the one
// the trial before left; where one does, the trial leaves its own.
void carry_residual(trial_state& ws, const time_history& th, std::vector<double>& carry) {
    double* res = ws.residual.data();
    double lo, hi;
    knot_coverage(ws, th.dt, lo, hi);
    for (int32_t i = 0; i < th.n; ++i) {
        if (lo <= th.xa[i] && th.xa[i] <= hi)
            carry[i] = res[i];
        else
            res[i] = carry[i];
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

// Knot values, baseline, residual check, spectrum and record of a drawn
// trial, on the workspace of the thread that computes it.
void compute_trial(trial_slot& slot, trial_state& ws, const run_data& rd) {
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

// Writes a slot's output; false when the run stops here.
bool emit(trial_slot& slot, selection& sel, run_files& f, dialogue& d) {
    d.con.put(slot.console.str());
    if (slot.stopped) return false;
    sel.peak_sym.push_back(slot.peak_sym);
    f.trial_file.drain(slot.block);
    return !f.trial_file.failed();
}

// The trial file could not be written: one message, and the file is closed
// so that nothing reports it again.
[[noreturn]] void stop_on_trial_file(run_files& f, dialogue& d) {
    const int err = f.trial_file.error();
    f.trial_file.close();
    stop_run(d.con, "cannot write the trial file %s (%s)", f.trial_file.name().c_str(), error_text(err).c_str());
}

[[noreturn]] void stop_after(const trial_slot& slot, run_files& f, dialogue& d) {
    if (!slot.stopped) stop_on_trial_file(f, d);
    fatal_stop();
}

// A fixed team of threads: run(job) runs job(w) for every worker w, w = 0 on
// the calling thread, and returns when all have finished. Idle threads
// block; they do not spin.
class team {
public:
    explicit team(int workers) : workers_(workers) {
        for (int w = 1; w < workers_; ++w) threads_.emplace_back([this, w] { serve(w); });
    }
    ~team() {
        {
            std::lock_guard<std::mutex> lk(m_);
            quit_ = true;
        }
        start_.notify_all();
        for (std::thread& th : threads_) th.join();
    }
    int size() const { return workers_; }
    void run(const std::function<void(int)>& job) {
        {
            std::lock_guard<std::mutex> lk(m_);
            job_ = &job;
            ++generation_;
            busy_ = workers_ - 1;
        }
        start_.notify_all();
        job(0);
        std::unique_lock<std::mutex> lk(m_);
        done_.wait(lk, [this] { return busy_ == 0; });
        job_ = nullptr;
    }

private:
    void serve(int w) {
        uint64_t seen = 0;
        for (;;) {
            const std::function<void(int)>* job;
            {
                std::unique_lock<std::mutex> lk(m_);
                start_.wait(lk, [&] { return quit_ || generation_ != seen; });
                if (quit_) return;
                seen = generation_;
                job = job_;
            }
            (*job)(w);
            std::lock_guard<std::mutex> lk(m_);
            if (--busy_ == 0) done_.notify_one();
        }
    }

    int workers_;
    std::vector<std::thread> threads_;
    std::mutex m_;
    std::condition_variable start_, done_;
    const std::function<void(int)>* job_ = nullptr;
    uint64_t generation_ = 0;
    int busy_ = 0;
    bool quit_ = false;
};

// Ascending times: every sample lies in a knot interval, so a trial depends
// on nothing but its knots. Each worker, holding the lock, writes out the
// finished trials that are next in order, then draws the next trial (draws
// stay in program order) and computes it on its own workspace. At most
// `ring` trials are between their draw and their output.
void run_pipeline(team& crew, trial_workers& workers, selection& sel, rng& r, const run_data& rd, run_files& f,
                  dialogue& d, time_t start_time) {
    const int32_t ntrials = rd.ans.ntrials;
    const int32_t ring = ring_per_worker * crew.size();
    std::vector<trial_slot> slots(static_cast<size_t>(std::min(ring, ntrials)));
    std::vector<char> done(slots.size(), 0);
    auto drawer = std::make_unique<trial_state>();
    std::mutex m;
    std::condition_variable wake;
    int32_t next_draw = 0, next_out = 0, progress = 0;
    int32_t stop_at = -1;  // the trial whose output ends the run
    progress_bar bar(ntrials, d.out);

    crew.run([&](int w) {
        trial_state& ws = *workers.ws[w];
        std::unique_lock<std::mutex> lk(m);
        for (;;) {
            while (stop_at < 0 && next_out < next_draw && done[next_out % ring]) {
                trial_slot& slot = slots[next_out % ring];
                if (!emit(slot, sel, f, d)) {
                    stop_at = next_out;
                    break;
                }
                done[next_out % ring] = 0;
                ++next_out;
                bar.update(next_out);
                wake.notify_all();
            }
            if (stop_at >= 0 || next_out == ntrials) {
                wake.notify_all();
                return;
            }
            if (next_draw < ntrials && next_draw - next_out < ring) {
                const int32_t t = next_draw++;
                trial_slot& slot = slots[t % ring];
                draw_trial(slot, *drawer, t, progress, r, rd, start_time);
                lk.unlock();
                compute_trial(slot, ws, rd);
                lk.lock();
                done[t % ring] = 1;
                wake.notify_all();
            } else {
                wake.wait(lk);
            }
        }
    });
    bar.finish();
    if (stop_at >= 0) stop_after(slots[stop_at % ring], f, d);
}

// Times that decrease somewhere: a sample outside every knot interval keeps
// the residual the trial before left there. The trials of a group compute
// their knot values and covered residuals side by side; then, in trial order,
// each one takes the carried values at its uncovered samples and leaves its
// own covered ones for the next; then the spectra run side by side.
void run_groups(team& crew, trial_workers& workers, selection& sel, rng& r, const run_data& rd, run_files& f,
                dialogue& d, time_t start_time) {
    const int32_t ntrials = rd.ans.ntrials;
    const int32_t group = crew.size();
    const time_history& th = rd.th;
    std::vector<trial_slot> slots(static_cast<size_t>(group));
    std::vector<double> carry = th.amp_in;
    auto drawer = std::make_unique<trial_state>();
    int32_t progress = 0;
    progress_bar bar(ntrials, d.out);
    for (int32_t g0 = 0; g0 < ntrials; g0 += group) {
        const int32_t gn = std::min(group, ntrials - g0);
        for (int32_t t = 0; t < gn; ++t) draw_trial(slots[t], *drawer, g0 + t, progress, r, rd, start_time);
        crew.run([&](int w) {
            if (w >= gn) return;
            trial_state& ws = *workers.ws[w];
            load_knots(ws, slots[w]);
            guarded(slots[w], ws, [&] {
                set_knot_values(ws, th);
                eval_baseline(ws, th);
                check_residual(ws, th.n);
            });
        });
        int32_t live = gn;  // trials of the group before the first stop
        for (int32_t t = 0; t < gn; ++t) {
            if (slots[t].stopped) {
                live = t;
                break;
            }
            carry_residual(*workers.ws[t], th, carry);
        }
        crew.run([&](int w) {
            if (w >= gn) return;
            trial_state& ws = *workers.ws[w];
            if (w < live)
                guarded(slots[w], ws, [&] {
                    spectrum_run(ws, rd.plan, th.n);
                    write_trial_record(ws);
                });
            if (w <= live) take_results(slots[w], ws);
        });
        for (int32_t t = 0; t <= live && t < gn; ++t)
            if (!emit(slots[t], sel, f, d)) {
                bar.finish();
                stop_after(slots[t], f, d);
            }
        bar.update(g0 + gn);
    }
}

// One trial after the other on a single workspace: the plain loop.
void run_sequential(trial_workers& workers, selection& sel, rng& r, const run_data& rd, run_files& f, dialogue& d,
                    time_t start_time) {
    trial_state& ts = *workers.ws[0];
    int32_t progress = 0;
    progress_bar bar(rd.ans.ntrials, d.out);
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
        if (f.trial_file.failed()) stop_on_trial_file(f, d);
        bar.update(trial + 1);
    }
}

}  // namespace

int worker_count() {
    if (straightforward) return 1;
    // OMP_NUM_THREADS as numeric tools read it: the first number of the list.
    if (const char* env = std::getenv("OMP_NUM_THREADS")) {
        char* end = nullptr;
        long v = std::strtol(env, &end, 10);
        if (end != env && v >= 1) return static_cast<int>(std::min<long>(v, max_workers));
    }
    cpu_set_t cpus;
    int count = 0;
    if (sched_getaffinity(0, sizeof cpus, &cpus) == 0) count = CPU_COUNT(&cpus);
    if (count < 1) count = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(count, 1, max_workers);
}

void run_trials(trial_workers& workers, selection& sel, rng& r, const run_data& rd, run_files& f, dialogue& d,
                time_t start_time, int threads) {
    const int32_t ntrials = rd.ans.ntrials;
    if (threads < 1) threads = 1;
    sel.peak_sym.reserve(ntrials > 0 ? ntrials : 0);

    workers.ws.clear();
    const int count = straightforward ? 1 : std::max(1, std::min(threads, ntrials));
    for (int w = 0; w < count; ++w) {
        workers.ws.push_back(std::make_unique<trial_state>());
        workers.ws.back()->residual = rd.th.amp_in;
    }
    if (straightforward) {
        workers.ws[0]->baseline.assign(rd.th.n, 0.0);
        run_sequential(workers, sel, r, rd, f, d, start_time);
        return;
    }
    if (ntrials <= 0) return;
    team crew(count);
    if (rd.th.ascending)
        run_pipeline(crew, workers, sel, r, rd, f, d, start_time);
    else
        run_groups(crew, workers, sel, r, rd, f, d, start_time);
}

}  // namespace basetrim

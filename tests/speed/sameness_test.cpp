// Whole runs with one thread and with several, and with every filter-bank
// kernel this machine runs: every byte of the transcript and of the files
// the same.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run/driver.h"
#include "spectrum/spectrum.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;
using basetrim::bank_target;
using basetrim::run_options;

struct outcome {
    int status = -1;
    std::string transcript;
    std::vector<std::string> files;
};

// One run in a child process, on the program's own entry with `opt`.
outcome run_with(const std::string& record, const std::string& answers, const run_options& opt) {
    temp_dir dir("same");
    write_file(dir.file("in.txt"), record);
    write_file(dir.file("answers.txt"), answers);
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.path().c_str()) != 0 || !std::freopen("answers.txt", "r", stdin) ||
            !std::freopen("stdout.txt", "w", stdout))
            _exit(127);
        int status = basetrim::run_basetrim(opt);
        std::fflush(stdout);
        _exit(status);
    }
    int w = 0;
    waitpid(pid, &w, 0);
    outcome o;
    o.status = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    o.transcript = mask_transcript(read_file(dir.file("stdout.txt")));
    for (const char* f : {"base.txt", "corr.txt", "srs.txt", "coef.txt", "temp_file.out"}) o.files.push_back(read_file(dir.file(f)));
    return o;
}

std::string answers(const std::string& ntrials, const std::string& seed, const std::string& c1, const std::string& c2,
                    const std::string& points) {
    return "in.txt\nbase.txt\ncorr.txt\nsrs.txt\ncoef.txt\n1\n1\n" + ntrials + "\n" + seed + "\n" + c1 + "\n" + c2 +
           "\n0.5\n" + points + "\na\n";
}

// Decaying tones with a zero shift, `count` samples at `rate`.
double tone(int64_t i, double rate) {
    double t = i / rate, s = t - 0.1 * 0.02;
    double a = s > 0 ? 300.0 * std::exp(-s * 200.0) * std::sin(6.2831853 * 1200.0 * s) + 4.0 * (1 - std::exp(-s * 300.0)) : 0;
    return a + std::sin(i * 1.37) * 0.5;
}

std::string record(int count, double rate, double start, bool decreasing, double scale = 1.0) {
    std::string r = "Time (s), Accel\n";
    char line[96];
    for (int i = 0; i < count; ++i) {
        double t = start + i / rate;
        double a = tone(i, rate) * scale;
        // Times stepping back in the middle, and a last time before the two
        // samples ahead of it, with a large last value: those two samples lie
        // after the last time, where only some trials' intervals reach.
        if (decreasing && (i == count / 2 || i == count / 2 + 7)) t -= 30.0 / rate;
        if (decreasing && i == count - 1) {
            t -= 2.5 / rate;
            a = 2000.0;
        }
        std::snprintf(line, sizeof line, "%.9e %.9e\n", t, a);
        r += line;
    }
    return r;
}

// A short positive pulse: at 10 Hz some trials' responses never go below
// zero, so their ave_slope is infinite and they are not recorded.
std::string pulse_record() {
    std::string r = "Pulse\n";
    char line[96];
    for (int i = 0; i < 100; ++i) {
        double t = i / 10000.0;
        double a = t < 0.003 ? std::sin(3.14159265358979 * t / 0.003) : 0.02 * std::sin(i * 1.7);
        std::snprintf(line, sizeof line, "%.6f %.6e\n", t, a);
        r += line;
    }
    return r;
}

// Amplitudes so small that the rms of trial 2 falls below 1e-20 while the
// trials before it pass.
std::string faint_record() {
    std::string r = "Faint\n";
    char line[96];
    const double s = std::ldexp(0.6679, -67);
    for (int i = 0; i < 400; ++i) {
        double a = (std::sin(i * 0.7) * 3 + (i > 100 ? 5 : 0) + std::sin(i * 0.05) * 2) * s;
        std::snprintf(line, sizeof line, "%.6f %.17g\n", i / 10000.0, a);
        r += line;
    }
    return r;
}

struct run_case {
    const char* name;
    std::string record, answers;
    const char* must_show;  // a text the transcript must hold, so the case tests what it is meant to
};

std::vector<run_case> cases() {
    std::vector<run_case> c = {
        {"decreasing time column", record(4000, 20000, 0.0, true), answers("300", "3", "20 10", "500 200", "300"), "best case"},
        {"starts after time zero", record(3000, 20000, 2.5, false), answers("250", "1", "20 10", "500 200", "120"), " 200  "},
        {"diverges", record(500, 10000, 0.0, false, 3e6), answers("8", "0", "100 10", "1000 100", "40"), "Error:  i="},
        {"rejected trials", pulse_record(), answers("40", "0", "10 1", "11 1.1", "40"), "Warning:  ave_slope"},
        {"rms stop in trial 2 of 150", faint_record(), answers("150", "0", "100 1e-20", "1000 1e-19", "40"), "rms error"},
    };
    const std::string shared = shared_dir();
    if (!shared.empty())
        c.push_back({"drop_017", read_file(shared + "/data/drop_017.lvm"), answers("24", "5", "20 10000", "2000 300000", "200"),
                     "best case"});
    return c;
}

TEST(sameness, threads_and_kernels_leave_the_same_bytes) {
    std::vector<run_options> variants;
    for (bank_target t : {bank_target::sse2, bank_target::avx2, bank_target::avx512})
        if (basetrim::bank_target_available(t)) variants.push_back({1, t});
    const bank_target best = basetrim::best_bank_target();
    for (int threads : {2, 3, 8}) variants.push_back({threads, best});

    for (const run_case& c : cases()) {
        SCOPED_TRACE(c.name);
        const outcome ref = run_with(c.record, c.answers, {1, bank_target::scalar});
        ASSERT_NE(std::string::npos, ref.transcript.find(c.must_show)) << ref.transcript.substr(0, 2000);
        for (const run_options& v : variants) {
            SCOPED_TRACE(std::to_string(v.threads) + " threads, " + basetrim::bank_target_name(v.target));
            const outcome o = run_with(c.record, c.answers, v);
            EXPECT_EQ(ref.status, o.status);
            EXPECT_EQ(ref.transcript, o.transcript);
            for (size_t k = 0; k < ref.files.size(); ++k) EXPECT_TRUE(ref.files[k] == o.files[k]) << "file " << k;
        }
    }
}

}  // namespace

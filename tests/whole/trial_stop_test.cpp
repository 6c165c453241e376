// A run whose trial loop stops at the rms check: the trial file keeps
// exactly the records of the trials before the stop, and no result is
// written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_checks.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;

std::string after_start_time(const std::string& out) {
    const std::string mark = " Current time and date: \n";
    size_t at = out.find(mark);
    if (at == std::string::npos) return "(no start time)";
    at = out.find('\n', at + mark.size());
    return at == std::string::npos ? "" : out.substr(at + 1);
}

void expect_no_results(const temp_dir& dir, const std::string& out) {
    for (const char* name : {"base.txt", "corr.txt", "srs.txt", "coef.txt"})
        EXPECT_EQ("", read_file(dir.file(name))) << name;
    EXPECT_EQ(std::string::npos, out.find(" mj=")) << "no ranking after the stop";
}

// A record scaled so that its residual rms lies close above 1e-20 for the
// first fifteen trials of this seed and below it for the sixteenth (trial 15):
// the rms of those trials is at least 1.8 % above the bound, that of trial
// 15 1.8 % below it.
TEST(trial_stop, trial_file_holds_the_trials_before_the_rms_stop) {
    const std::string data = std::string(BASETRIM_TEST_DATA) + "/whole/rms_stop";
    const std::string answers = read_file(data + "/answers.txt");
    temp_dir dir("rms_stop");
    std::filesystem::copy_file(data + "/in.txt", dir.file("in.txt"));

    run_result r = run_program(dir.path(), answers);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(read_file(data + "/stop.txt"), after_start_time(r.out)) << "rms message and trial 15's knots";
    expect_no_results(dir, r.out);

    const std::string stopped = read_file(dir.file("temp_file.out"));
    trial_file_text tf = parse_trial_file(stopped);
    EXPECT_TRUE(tf.problems.empty());
    ASSERT_EQ(15u, tf.records.size());
    for (size_t k = 0; k < tf.records.size(); ++k) {
        EXPECT_EQ(static_cast<long>(k), tf.records[k].trial);
        EXPECT_EQ(0u, tf.records[k].loose_before);
    }
    EXPECT_EQ(0u, tf.loose_after);

    // The same answers with 15 trials run those trials to the end: the same
    // trial file, and a complete run.
    std::string fifteen = answers;
    const size_t at = fifteen.find("\n40\n");
    ASSERT_NE(std::string::npos, at);
    fifteen.replace(at, 4, "\n15\n");
    temp_dir whole("rms_stop_15");
    std::filesystem::copy_file(data + "/in.txt", whole.file("in.txt"));
    run_result full = run_program(whole.path(), fifteen);
    EXPECT_EQ(97, full.status);
    EXPECT_TRUE(stopped == read_file(whole.file("temp_file.out")));
}

// An all-zero record fails the rms check in the first trial. The first draw
// of a run with arbitrary integer 0 is 18467, so that trial has
// 20 + trunc(18467 * 20 / 32767) = 31 knots.
TEST(trial_stop, all_zero_record_stops_in_the_first_trial) {
    temp_dir dir("all_zero");
    std::string record;
    for (int i = 0; i < 200; ++i) record += format("%.3f 0\n", i * 1e-3);
    write_file(dir.file("in.txt"), record);
    run_answers a;
    a.ntrials = "5";
    a.seed = "0";
    a.max_points = "40";
    run_result r = run_program(dir.path(), a.text());
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", read_file(dir.file("temp_file.out")));
    expect_no_results(dir, r.out);

    std::vector<std::string> lines = split_lines(after_start_time(r.out));
    ASSERT_EQ(5u + 31u, lines.size());
    EXPECT_EQ("", lines[0]);
    EXPECT_EQ(" rms=       0 ", lines[1]);
    EXPECT_EQ("", lines[2]);
    EXPECT_EQ("", lines[3]);
    EXPECT_EQ(" rms error  ms=       0  n=200  nn=31", lines[4]);
    EXPECT_EQ("            0 \t            0 ", lines[5]);
    for (int k = 1; k <= 12; ++k) EXPECT_EQ("           -0 \t            0 ", lines[5 + k]) << "knot " << k;
    EXPECT_EQ("            0 \t            0 ", lines[18]);
    EXPECT_EQ("        0.199 \t            0 ", lines[35]);
    for (size_t k = 5; k < lines.size(); ++k) {
        knot_pair kp;
        EXPECT_TRUE(parse_knot_line(lines[k], kp) && kp.y == 0) << lines[k];
    }
    EXPECT_EQ('\n', r.out.back());
}

}  // namespace

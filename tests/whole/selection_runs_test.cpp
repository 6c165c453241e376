// Whole runs through the selection phase: trials rejected for their
// ave_slope, too few records to rank, and result or trial files that cannot
// be written.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_checks.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;

// The shipped example record with a flat reference line far above its
// spectrum, so that ave_slope lies close to the bound of 100000: at 2.1e75
// trials 0, 5 and 10 of the first twelve go above it.
run_answers example_answers(const std::string& trials, const std::string& ref) {
    run_answers a;
    a.input = "shock.txt";
    a.ntrials = trials;
    a.seed = "0";
    a.coord1 = "20 " + ref;
    a.coord2 = "1000 " + ref;
    a.max_points = "60";
    return a;
}

void copy_example(const temp_dir& dir) {
    std::filesystem::copy_file(std::string(BASETRIM_SOURCE_DIR) + "/examples/shock.txt", dir.file("shock.txt"));
}

std::vector<long> rejected_trials(const std::string& out) {
    std::vector<long> trials;
    std::vector<std::string> lines = split_lines(out);
    for (size_t k = 0; k + 1 < lines.size(); ++k)
        if (lines[k] == " Warning:  ave_slope ") trials.push_back(std::stol(lines[k + 1]));
    return trials;
}

TEST(selection_runs, rejected_trials_leave_the_records_read_to_be_ranked) {
    temp_dir dir("rejected");
    copy_example(dir);
    run_answers a = example_answers("12", "2.1e75");
    run_result r = run_program(dir.path(), a.text());
    ASSERT_EQ(97, r.status) << r.out.substr(r.out.size() > 400 ? r.out.size() - 400 : 0);
    EXPECT_EQ((std::vector<long>{0, 5, 10}), rejected_trials(r.out));
    EXPECT_NE(std::string::npos, r.out.find("\n mj=8 \n"));

    // Slots 0 to 8 are the records of trials 1 2 3 4 6 7 8 9 11; the chosen
    // slot is 1, so the knots of trial 2 are the results'.
    trial_file_text tf = parse_trial_file(read_file(dir.file("temp_file.out")));
    ASSERT_EQ(9u, tf.records.size());
    EXPECT_EQ(2, tf.records[1].trial);
    EXPECT_NE(std::string::npos, r.out.find("\n best case = 1  sum="));
    check_complete_run(dir.path(), r.out, 1, 1, record_samples(read_file(dir.file("shock.txt"))));
}

struct too_few_case {
    const char* name;
    const char* trials;
    const char* ref;
    const char* mj_line;
    size_t rejected;
};

void PrintTo(const too_few_case& c, std::ostream* os) { *os << c.name; }

const too_few_case too_few_cases[] = {
    {"one_record_of_twelve_trials", "12", "2.2e75", " mj=0 ", 11},
    {"every_trial_rejected", "12", "1e77", " mj=-1 ", 12},
    {"one_trial", "1", "8", " mj=0 ", 0},
    {"no_trial", "0", "8", " mj=-1 ", 0},
};

class selection_too_few : public ::testing::TestWithParam<too_few_case> {};

TEST_P(selection_too_few, stops_with_mj_error) {
    const too_few_case& c = GetParam();
    temp_dir dir("too_few");
    copy_example(dir);
    run_result r = run_program(dir.path(), example_answers(c.trials, c.ref).text());
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(c.rejected, rejected_trials(r.out).size());
    const std::string end = std::string("\n") + c.mj_line + "\n\n mj Error \n";
    ASSERT_GE(r.out.size(), end.size());
    EXPECT_EQ(end, r.out.substr(r.out.size() - end.size()));
    for (const char* name : {"base.txt", "corr.txt", "srs.txt", "coef.txt"})
        EXPECT_EQ("", read_file(dir.file(name))) << name;
}

INSTANTIATE_TEST_SUITE_P(runs, selection_too_few, ::testing::ValuesIn(too_few_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file that takes no data: the run stops with a message naming it, before
// the closing lines.
struct full_case {
    const char* name;
    const char* trials;
    std::string run_answers::*file;  // the answer naming it, or none for the trial file
    const char* message;
};

void PrintTo(const full_case& c, std::ostream* os) { *os << c.name; }

const full_case full_cases[] = {
    {"output_file_1", "3", &run_answers::base, "cannot write output file 1 /dev/full (No space left on device)"},
    {"output_file_2", "3", &run_answers::corr, "cannot write output file 2 /dev/full (No space left on device)"},
    {"srs_output_file_3", "3", &run_answers::srs,
     "cannot write SRS output file 3 /dev/full (No space left on device)"},
    {"coefficient_file", "3", &run_answers::coef,
     "cannot write the coefficient file /dev/full (No space left on device)"},
    {"trial_file_at_the_end_of_the_trials", "3", nullptr,
     "cannot write the trial file temp_file.out (No space left on device)"},
};

void expect_one_stop(const full_case& c) {
    if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    temp_dir dir("full");
    copy_example(dir);
    run_answers a = example_answers(c.trials, "8");
    a.coord2 = "1000 400";
    if (c.file) {
        a.*c.file = "/dev/full";
    } else {
        ASSERT_EQ(0, symlink("/dev/full", dir.file("temp_file.out").c_str()));
    }
    run_result r = run_program(dir.path(), a.text());
    EXPECT_EQ(1, r.status);
    const std::string stop = std::string("\n Stop: ") + c.message + " \n";
    ASSERT_GE(r.out.size(), stop.size());
    EXPECT_EQ(stop, r.out.substr(r.out.size() - stop.size()));
    EXPECT_EQ(r.out.find("\n Stop: "), r.out.size() - stop.size()) << "one stop";
    EXPECT_EQ(std::string::npos, r.out.find("Calculation complete"));
    EXPECT_EQ(std::string::npos, r.out.find(" best case"));
    if (!c.file) {
        EXPECT_EQ(std::string::npos, r.out.find(" mj=")) << "stopped before the ranking";
    }
}

class selection_full_device : public ::testing::TestWithParam<full_case> {};

TEST_P(selection_full_device, stops_naming_the_file) { expect_one_stop(GetParam()); }

INSTANTIATE_TEST_SUITE_P(runs, selection_full_device, ::testing::ValuesIn(full_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// With 80 trials the trial file's buffer fills during the trials, so the
// failed write shows inside the loop. The run stops there, but at the end
// the still open trial file is closed and reported a second time:
// "\n Stop: cannot write temp_file.out (No space left on device) \n" follows
// the expected line.
TEST(selection_full_trial_file, trial_file_failing_during_the_trials_stops_once) {
    expect_one_stop({"trial_file_during_the_trials", "80", nullptr,
                     "cannot write the trial file temp_file.out (No space left on device)"});
}

}  // namespace

// The file dialogue in whole runs: the report lines and their order, files
// that fail to open, names too long for the name buffer, and output files
// emptied by the dialogue.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/whole_run.h"

namespace {

using namespace whole_run;

std::string opened(const std::string& name) { return " File: " + name + " opened. \n"; }
std::string failed(const std::string& name) { return " Failed to open file: " + name + " \n"; }

const std::string after_names =
    "\n\n The input file must have two columns:  time(sec) & amplitude(units) "
    "\n\n Enter input filename\n"
    "\n Enter output filename 1\n"
    "\n Enter output filename 2\n"
    "\n Enter SRS output filename 3\n";

TEST(file_dialogue, reports_three_files_with_their_names_as_typed) {
    run_dir d("report");
    std::filesystem::create_directory(d.file("sub"));
    std::vector<std::string> tokens = default_tokens();
    tokens[a_input] = "./in.txt";
    tokens[a_base] = "sub/../base.txt";
    tokens[a_srs] = "sub/srs.txt";
    run_result r = d.run(tokens);
    EXPECT_EQ(97, r.status);
    EXPECT_NE(std::string::npos, r.out.find(after_names + opened("./in.txt") + opened("sub/../base.txt") +
                                            opened("corr.txt") + "\n Enter coefficient filename \n"))
        << r.out.substr(0, 600);
    EXPECT_EQ(3u, count_of(r.out, " File: "));
    EXPECT_EQ(0u, count_of(r.out, "Failed"));
    EXPECT_TRUE(file_exists(d.file("sub/srs.txt")));
}

// A file that does not open: the report lines are printed all the same,
// then the run stops at once.
struct open_failure {
    const char* what;
    int index;          // the answer replaced
    const char* name;   // by this name, which does not open
    std::string reports;  // the three report lines
    bool after_coef;    // the stop follows the coefficient prompt
};

void PrintTo(const open_failure& c, std::ostream* os) { *os << c.what; }

class open_failures : public ::testing::TestWithParam<open_failure> {};

TEST_P(open_failures, stop_right_after_the_report) {
    const open_failure& c = GetParam();
    run_dir d("open_failure");
    std::vector<std::string> tokens = default_tokens();
    if (c.index >= 0) tokens[c.index] = c.name;
    else std::filesystem::create_directory(d.file("temp_file.out"));  // the trial file cannot be written
    run_result r = d.run(tokens);
    EXPECT_EQ(1, r.status) << c.what;
    EXPECT_EQ("", r.err);
    const std::string stop = final_stop(r.out);
    ASSERT_NE("", stop) << c.what << ":\n" << r.out;
    EXPECT_NE(std::string::npos, stop.find(c.name)) << stop;
    const std::string expected_end =
        after_names + c.reports + (c.after_coef ? "\n Enter coefficient filename \n" : "");
    EXPECT_TRUE(ends_with(before_stop(r.out), expected_end)) << c.what << ":\n" << r.out;
    EXPECT_EQ(3u, count_of(r.out, " File: ") + count_of(r.out, " Failed to open file: ")) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    files, open_failures,
    ::testing::Values(
        open_failure{"missing input file", a_input, "nope.txt", failed("nope.txt") + opened("base.txt") + opened("corr.txt"),
                     false},
        open_failure{"output file 1 in a missing folder", a_base, "nodir/base.txt",
                     opened("in.txt") + failed("nodir/base.txt") + opened("corr.txt"), false},
        open_failure{"output file 2 in a missing folder", a_corr, "nodir/corr.txt",
                     opened("in.txt") + opened("base.txt") + failed("nodir/corr.txt"), false},
        open_failure{"output file 3 in a missing folder", a_srs, "nodir/srs.txt",
                     opened("in.txt") + opened("base.txt") + opened("corr.txt"), false},
        open_failure{"trial file is a folder", -1, "temp_file.out",
                     opened("in.txt") + opened("base.txt") + opened("corr.txt"), false},
        open_failure{"coefficient file in a missing folder", a_coef, "nodir/coef.txt",
                     opened("in.txt") + opened("base.txt") + opened("corr.txt"), true}));

TEST(file_dialogue, several_failures_are_all_reported_before_the_stop) {
    run_dir d("two_failures");
    std::vector<std::string> tokens = default_tokens();
    tokens[a_input] = "nope.txt";
    tokens[a_corr] = "nodir/corr.txt";
    run_result r = d.run(tokens);
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(ends_with(before_stop(r.out), after_names + failed("nope.txt") + opened("base.txt") +
                                                  failed("nodir/corr.txt")))
        << r.out;
    EXPECT_NE("", final_stop(r.out));
}

TEST(file_dialogue, input_that_is_a_folder_stops_when_read) {
    run_dir d("input_folder");
    std::filesystem::create_directory(d.file("rec"));
    std::vector<std::string> tokens = default_tokens();
    tokens[a_input] = "rec";
    run_result r = d.run(tokens);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.err);
    EXPECT_NE("", final_stop(r.out)) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("Enter the number of trials"));
}

// A name of `length` characters that the file system resolves to `name`
// in the working folder.
std::string padded(const std::string& name, size_t length) {
    size_t pad = length - name.size();
    std::string prefix = pad % 2 ? ".//" : "";
    while (prefix.size() < pad) prefix += "./";
    return prefix + name;
}

const char* const name_tags[] = {"input", "output_1", "output_2", "output_3", "coefficient"};

class long_names : public ::testing::TestWithParam<int> {};

TEST_P(long_names, of_260_characters_stop_before_opening) {
    const int index = GetParam();
    const std::string plain = default_tokens()[index];
    const std::string name = padded(plain, 260);
    ASSERT_EQ(260u, name.size());
    run_dir d("long_name");
    std::vector<std::string> tokens = default_tokens();
    tokens[index] = name;
    run_result r = d.run(tokens);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.err);
    const std::string stop = final_stop(r.out);
    ASSERT_NE("", stop) << r.out;
    EXPECT_NE(std::string::npos, stop.find(std::string("\"") + prompts[index].name + "\"")) << stop;
    EXPECT_NE(std::string::npos, stop.find("260")) << stop;
    EXPECT_TRUE(ends_with(before_stop(r.out), prompts[index].printed)) << stop;
    if (index != a_input) {
        EXPECT_FALSE(file_exists(d.file(plain))) << plain << " was opened";
    }
    EXPECT_EQ(std::string::npos, r.out.find(name)) << "the name is not echoed as opened";
}

INSTANTIATE_TEST_SUITE_P(names, long_names, ::testing::Values(a_input, a_base, a_corr, a_srs, a_coef),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(name_tags[info.param]); });

TEST(long_names, of_259_characters_are_used) {
    run_dir d("name_259");
    std::vector<std::string> tokens = default_tokens();
    for (int k = a_input; k <= a_coef; ++k) {
        tokens[k] = padded(tokens[k], 259);
        ASSERT_EQ(259u, tokens[k].size());
    }
    run_result r = d.run(tokens);
    EXPECT_EQ(97, r.status) << final_stop(r.out);
    EXPECT_NE(std::string::npos,
              r.out.find(opened(tokens[a_input]) + opened(tokens[a_base]) + opened(tokens[a_corr])));
    for (const char* name : {"base.txt", "corr.txt", "srs.txt", "coef.txt"})
        EXPECT_FALSE(read_file(d.file(name)).empty()) << name;
}

// Existing files under the output names are emptied by the dialogue, also
// when the run stops later; a file not yet opened keeps its content.
struct emptied_case {
    const char* what;
    int index;  // the answer replaced
    const char* token;
    std::string record;
    bool coef_emptied;
};

void PrintTo(const emptied_case& c, std::ostream* os) { *os << c.what; }

class emptied_outputs : public ::testing::TestWithParam<emptied_case> {};

TEST_P(emptied_outputs, even_when_the_run_stops) {
    const emptied_case& c = GetParam();
    run_dir d("emptied", c.record);
    const char* outputs[] = {"base.txt", "corr.txt", "srs.txt", "temp_file.out", "coef.txt"};
    for (const char* name : outputs) write_file(d.file(name), "old content\n");
    std::vector<std::string> tokens = default_tokens();
    tokens[c.index] = c.token;
    run_result r = d.run(tokens);
    EXPECT_EQ(1, r.status) << c.what;
    for (const char* name : {"base.txt", "corr.txt", "srs.txt", "temp_file.out"})
        EXPECT_EQ("", read_file(d.file(name))) << c.what << ": " << name;
    EXPECT_EQ(c.coef_emptied ? "" : "old content\n", read_file(d.file("coef.txt"))) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    stops, emptied_outputs,
    ::testing::Values(emptied_case{"missing input file", a_input, "nope.txt", shock_record(), false},
                      emptied_case{"bad weight", a_dmax_weight, "x", shock_record(), true},
                      emptied_case{"bad data line", a_ntrials, "2", "0 1\n1 2\n3\n", true},
                      emptied_case{"no trials", a_ntrials, "0", shock_record(), true}));

TEST(file_dialogue, existing_trial_file_is_rewritten) {
    run_dir d("trial_file");
    write_file(d.file("temp_file.out"), std::string(5000, '#') + "\ncase \n7 \t 1 \t 1 \t 20 \n");
    run_result r = d.run(default_tokens());
    ASSERT_EQ(97, r.status);
    const std::string trials = read_file(d.file("temp_file.out"));
    EXPECT_EQ(0u, trials.find("case \n0 \t")) << trials.substr(0, 60);
    EXPECT_EQ(std::string::npos, trials.find('#'));
    EXPECT_EQ(2u, record_knot_counts(trials).size());
}

}  // namespace

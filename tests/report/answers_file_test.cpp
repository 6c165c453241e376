// The answers file: tokens in the order of basetrim's prompts.
#include <gtest/gtest.h>

#include "report/answers_file.h"
#include "support/harness.h"

namespace {

using namespace basetrim::report;

const char* example = "shock.txt\nbase.txt\ncorr.txt\nsrs.txt\ncoef.txt\n1\n1\n300\n0\n20 8\n1000 400\n0.5\n60\na\n";

TEST(answers_file, example_fills_every_answer) {
    report_request req;
    parse_answers(example, "answers.txt", req);
    const basetrim::answers& a = req.ans;
    EXPECT_EQ("shock.txt", a.input_name);
    EXPECT_EQ("base.txt", a.baseline_name);
    EXPECT_EQ("corr.txt", a.corrected_name);
    EXPECT_EQ("srs.txt", a.srs_name);
    EXPECT_EQ("coef.txt", a.coef_name);
    EXPECT_EQ(1.0, a.dmax_weight);
    EXPECT_EQ(1.0, a.slope_weight);
    EXPECT_EQ(300, a.ntrials);
    EXPECT_EQ(0, a.seed_skip);
    EXPECT_EQ(20.0, a.ref_freq[0]);
    EXPECT_EQ(8.0, a.ref_amp[0]);
    EXPECT_EQ(1000.0, a.ref_freq[1]);
    EXPECT_EQ(400.0, a.ref_amp[1]);
    EXPECT_EQ(0.5, a.max_exponent);
    EXPECT_EQ(60, a.max_points);
    EXPECT_EQ("answers.txt", req.answers_name);
    ASSERT_EQ(16u, req.given.size());
    EXPECT_EQ("a", req.given[15].text);
    EXPECT_EQ("", req.given[15].note);
    EXPECT_EQ("20", req.given[9].text);
    EXPECT_EQ("8", req.given[10].text);
    EXPECT_EQ("", req.given[14].note);
}

TEST(answers_file, layout_of_the_tokens_does_not_matter) {
    report_request lines, one_line;
    parse_answers(example, "a", lines);
    parse_answers("shock.txt base.txt corr.txt srs.txt coef.txt 1 1 300 0 20 8 1000 400 0.5 60 a", "b", one_line);
    parse_answers("  shock.txt\tbase.txt\r\ncorr.txt srs.txt\n\n coef.txt 1 1 300 0 20 8 1000 400 0.5 60 a\r\n", "c",
                  lines);
    EXPECT_EQ(lines.ans.coef_name, one_line.ans.coef_name);
    EXPECT_EQ(lines.ans.max_points, one_line.ans.max_points);
    EXPECT_EQ(lines.ans.ref_amp[1], one_line.ans.ref_amp[1]);
    EXPECT_EQ("a", lines.given[15].text);
}

TEST(answers_file, numbers_convert_as_the_dialogue_reads_them) {
    report_request req;
    parse_answers("i o1 o2 o3 c 2.5e-1 +3 -7 +12 1e1 .5 2E3 4e+2 7 21", "a", req);
    EXPECT_EQ(0.25, req.ans.dmax_weight);
    EXPECT_EQ(3.0, req.ans.slope_weight);
    EXPECT_EQ(-7, req.ans.ntrials);
    EXPECT_EQ(12, req.ans.seed_skip);
    EXPECT_EQ(10.0, req.ans.ref_freq[0]);
    EXPECT_EQ(0.5, req.ans.ref_amp[0]);
    EXPECT_EQ(2000.0, req.ans.ref_freq[1]);
    EXPECT_EQ(400.0, req.ans.ref_amp[1]);
    EXPECT_EQ(21, req.ans.max_points);
    EXPECT_EQ("raised to 22", req.given[14].note);  // basetrim runs with at least 22 knots
    EXPECT_EQ("none: the answers end before it", req.given[15].note);
}

TEST(answers_file, extra_tokens_are_noted) {
    report_request req;
    parse_answers(std::string(example) + "b c\n", "a", req);
    EXPECT_EQ("2 further tokens not read", req.given[15].note);
}

struct bad_case {
    const char* text;
    const char* message;
};

void PrintTo(const bad_case& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class answers_file_errors : public ::testing::TestWithParam<bad_case> {};

TEST_P(answers_file_errors, name_the_answer) {
    report_request req;
    try {
        parse_answers(GetParam().text, "ans.txt", req);
        FAIL() << "no error for: " << GetParam().text;
    } catch (const report_error& e) {
        EXPECT_EQ(GetParam().message, std::string(e.what()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    cases, answers_file_errors,
    ::testing::Values(
        bad_case{"", "ans.txt: the answers end after 0 of the 15 answers, before the input file"},
        bad_case{"i o1 o2 o3 c 1 1 300 0 20 8 1000",
                 "ans.txt: the answers end after 12 of the 15 answers, before the second coordinate, amplitude"},
        bad_case{"i o1 o2 o3 c 1 1 300 0 20 8 1000 400 0.5",
                 "ans.txt: the answers end after 14 of the 15 answers, before the maximum number of points"},
        bad_case{"i o1 o2 o3 c x 1 300 0 20 8 1000 400 0.5 60",
                 "ans.txt: answer 6, the dmax weight, is not a number: \"x\""},
        bad_case{"i o1 o2 o3 c 1 1 3.5 0 20 8 1000 400 0.5 60",
                 "ans.txt: answer 8, the number of trials, is not a whole number: \"3.5\""},
        bad_case{"i o1 o2 o3 c 1 1 300 9999999999 20 8 1000 400 0.5 60",
                 "ans.txt: answer 9, the arbitrary integer, is not a whole number: \"9999999999\""},
        bad_case{"i o1 o2 o3 c 1 1 300 0 20Hz 8 1000 400 0.5 60",
                 "ans.txt: answer 10, the first coordinate, frequency (Hz), is not a number: \"20Hz\""},
        bad_case{"i o1 o2 o3 c 1 1 300 0 20 8 1000 400 0.5 a",
                 "ans.txt: answer 15, the maximum number of points, is not a whole number: \"a\""}));

TEST(answers_file, unreadable_file_is_named) {
    report_request req;
    try {
        read_answers_file("/nonexistent/answers.txt", req);
        FAIL();
    } catch (const report_error& e) {
        EXPECT_EQ("/nonexistent/answers.txt: cannot open the answers file (No such file or directory)",
                  std::string(e.what()));
    }
}

TEST(answers_file, file_is_read_whole) {
    basetrim_test::temp_dir dir("answers");
    basetrim_test::write_file(dir.file("a.txt"), example);
    report_request req;
    read_answers_file(dir.file("a.txt"), req);
    EXPECT_EQ(60, req.ans.max_points);
    EXPECT_EQ(dir.file("a.txt"), req.answers_name);
}

}  // namespace

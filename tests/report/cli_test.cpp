// The report program's command line: options, exit status and messages.
#include <gtest/gtest.h>

#include "report_support.h"
#include "support/harness.h"

namespace {

using basetrim_test::file_exists;
using basetrim_test::read_file;
using report_test::run_command;

class report_cli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new basetrim_test::temp_dir("cli");
        status_ = report_test::run_example(dir_->path());
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static report_test::command_result report(std::vector<std::string> args) {
        args.insert(args.begin(), report_test::report_exe());
        return run_command(args, dir_->path());
    }
    static basetrim_test::temp_dir* dir_;
    static int status_;
};

basetrim_test::temp_dir* report_cli::dir_ = nullptr;
int report_cli::status_ = -1;

TEST_F(report_cli, help_lists_the_options) {
    const auto r = report({"--help"});
    EXPECT_EQ(0, r.status);
    for (const char* o : {"--answers FILE", "--input FILE", "--baseline FILE", "--corrected FILE", "--srs FILE",
                          "--coef FILE", "--first FREQ AMP", "--second FREQ AMP", "--output FILE=report.html"})
        EXPECT_NE(std::string::npos, r.out.find(o)) << o;
    EXPECT_EQ("", r.err);
}

TEST_F(report_cli, answers_file_makes_the_report) {
    ASSERT_EQ(97, status_);
    const auto r = report({"--answers", "answers.txt", "--output", "from_answers.html"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("basetrim-report: wrote from_answers.html\n", r.out);
    EXPECT_EQ("", r.err);
    const std::string page = read_file(dir_->file("from_answers.html"));
    EXPECT_NE(std::string::npos, page.find("<td>shock.txt</td>"));
    EXPECT_NE(std::string::npos, page.find("<td>60</td>"));  // the maximum number of points
}

TEST_F(report_cli, options_make_the_report) {
    const auto r = report({"-i", "shock.txt", "--baseline", "base.txt", "--corrected", "corr.txt", "--srs", "srs.txt",
                           "--coef", "coef.txt", "--first", "20", "8", "--second", "1000", "400"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("basetrim-report: wrote report.html\n", r.out);
    EXPECT_TRUE(file_exists(dir_->file("report.html")));
    EXPECT_NE(std::string::npos, read_file(dir_->file("report.html")).find("<td>1000 Hz, 400</td>"));
}

struct bad_case {
    std::vector<std::string> args;
    const char* message;
};

void PrintTo(const bad_case& c, std::ostream* os) {
    *os << "args:";
    for (const std::string& a : c.args) *os << ' ' << a;
}

class report_cli_errors : public report_cli, public ::testing::WithParamInterface<bad_case> {};

TEST_P(report_cli_errors, one_message_and_status_1) {
    const auto r = report(GetParam().args);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(std::string("basetrim-report: ") + GetParam().message + "\n", r.err);
    EXPECT_EQ("", r.out);
}

const std::vector<std::string> files = {"-i",    "shock.txt", "--baseline", "base.txt", "--corrected",
                                        "corr.txt", "--srs",  "srs.txt",    "--coef",   "coef.txt"};

std::vector<std::string> with(std::vector<std::string> more) {
    std::vector<std::string> a = files;
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    cases, report_cli_errors,
    ::testing::Values(
        bad_case{{}, "give --answers FILE, or name the run's files and coordinates; missing: --input, --baseline, "
                     "--corrected, --srs, --coef, --first, --second (see --help)"},
        bad_case{{"--bogus"}, "The following argument was not expected: --bogus (see --help)"},
        bad_case{with({"--first", "20", "8"}),
                 "give --answers FILE, or name the run's files and coordinates; missing: --second (see --help)"},
        bad_case{with({"--second", "1000", "400", "--first", "20"}), "--first: 2 required FREQ AMP missing (see --help)"},
        bad_case{with({"--first", "20", "--second", "1000", "400"}),
                 "Could not convert: --first = 20,--second (see --help)"},
        bad_case{with({"--first", "20", "x", "--second", "1000", "400"}),
                 "Could not convert: --first = 20,x (see --help)"},
        bad_case{{"--answers", "answers.txt", "--coef", "coef.txt"},
                 "--answers names every file and coordinate of the run; it cannot be combined with --coef (see --help)"},
        bad_case{{"--answers", "missing.txt"}, "missing.txt: cannot open the answers file (No such file or directory)"},
        bad_case{{"--answers", "shock.txt"},
                 "shock.txt: answer 6, the dmax weight, is not a number: \"zero\""},
        bad_case{with({"--first", "20", "8", "--second", "1000", "400", "--output", "/nonexistent/r.html"}),
                 "/nonexistent/r.html: cannot write the report (No such file or directory)"},
        bad_case{{"-i", "shock.txt", "--baseline", "shock.txt", "--corrected", "corr.txt", "--srs", "srs.txt", "--coef",
                  "coef.txt", "--first", "20", "8", "--second", "1000", "400"},
                 "shock.txt line 1: expected 2 numbers (time and baseline), found \"Synthetic shock record with a "
                 "zero shift\""}));

}  // namespace

// Result files read back: rows of numbers, blank lines passed over, any
// other text an error that names its line.
#include <gtest/gtest.h>

#include "report/request.h"
#include "report/result_files.h"
#include "support/harness.h"

namespace {

using namespace basetrim::report;

TEST(result_files, baseline_lines_as_basetrim_writes_them) {
    const number_rows r = parse_number_rows(
        " 0.0000000e+00 \t  0.0000000e+00 \n 5.0000000e-05 \t -7.8072450e-02 \n 1.0000000e-04 \t  6.9991150e+02 \n",
        "base.txt", 2, "time and baseline");
    ASSERT_EQ(3u, r.rows());
    EXPECT_EQ(0.0, r.columns[0][0]);
    EXPECT_EQ(5e-05, r.columns[0][1]);
    EXPECT_EQ(-7.807245e-02, r.columns[1][1]);
    EXPECT_EQ(699.91150, r.columns[1][2]);
}

TEST(result_files, spectrum_and_knot_lines) {
    const number_rows srs =
        parse_number_rows("           10 \t    1.514 \t     1.38 \n       11.225 \t    1.921 \t    1.822 \n", "srs.txt",
                          3, "frequency, positive and negative spectrum");
    ASSERT_EQ(2u, srs.rows());
    EXPECT_EQ(11.225, srs.columns[0][1]);
    EXPECT_EQ(1.822, srs.columns[2][1]);
    const number_rows coef = parse_number_rows("0.000000 0.000000 \n-0.000000 0.017996 \n0.033924 7.269140 \n",
                                               "coef.txt", 2, "knot time and value");
    ASSERT_EQ(3u, coef.rows());
    EXPECT_EQ(0.017996, coef.columns[1][1]);
    EXPECT_EQ(0.033924, coef.columns[0][2]);
}

TEST(result_files, blank_lines_and_crlf_are_passed_over) {
    const number_rows r = parse_number_rows("\n1 2\r\n   \n\t\n3 4\r\n\n", "f", 2, "x");
    ASSERT_EQ(2u, r.rows());
    EXPECT_EQ(3.0, r.columns[0][1]);
    EXPECT_EQ(4.0, r.columns[1][1]);
}

TEST(result_files, empty_file_has_no_rows) {
    EXPECT_EQ(0u, parse_number_rows("", "f", 2, "x").rows());
    EXPECT_EQ(0u, parse_number_rows("\n \n", "f", 3, "x").rows());
}

struct bad_case {
    const char* text;
    int count;
    const char* message;
};

void PrintTo(const bad_case& c, std::ostream* os) { *os << c.count << " numbers"; }

class result_file_errors : public ::testing::TestWithParam<bad_case> {};

TEST_P(result_file_errors, name_the_line) {
    try {
        parse_number_rows(GetParam().text, "corr.txt", GetParam().count, "time and value");
        FAIL() << "no error for: " << GetParam().text;
    } catch (const report_error& e) {
        EXPECT_EQ(GetParam().message, std::string(e.what()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    cases, result_file_errors,
    ::testing::Values(
        bad_case{"1 2\n3\n", 2, "corr.txt line 2: expected 2 numbers (time and value), found \"3\""},
        bad_case{"1 2\n\n3 4 5\n", 2, "corr.txt line 3: expected 2 numbers (time and value), found \"3 4 5\""},
        bad_case{"Time Accel\n1 2\n", 2, "corr.txt line 1: expected 2 numbers (time and value), found \"Time Accel\""},
        bad_case{"1, 2\n", 2, "corr.txt line 1: expected 2 numbers (time and value), found \"1, 2\""},
        bad_case{"1 2 3\n4 5\n", 3, "corr.txt line 2: expected 3 numbers (time and value), found \"4 5\""},
        bad_case{"1 2e\n", 2, "corr.txt line 1: expected 2 numbers (time and value), found \"1 2e\""},
        bad_case{"1 2 \r\n1 x\r\n", 2, "corr.txt line 2: expected 2 numbers (time and value), found \"1 x\""}));

TEST(result_files, unreadable_file_is_named) {
    try {
        read_number_rows("/nonexistent/base.txt", 2, "time and baseline");
        FAIL();
    } catch (const report_error& e) {
        EXPECT_EQ("/nonexistent/base.txt: cannot open (No such file or directory)", std::string(e.what()));
    }
}

TEST(result_files, file_is_read_whole) {
    basetrim_test::temp_dir dir("rows");
    std::string text;
    for (int i = 0; i < 5000; ++i) text += std::to_string(i) + " \t " + std::to_string(2 * i) + " \n";
    basetrim_test::write_file(dir.file("f.txt"), text);
    const number_rows r = read_number_rows(dir.file("f.txt"), 2, "x");
    ASSERT_EQ(5000u, r.rows());
    EXPECT_EQ(9998.0, r.columns[1][4999]);
}

}  // namespace

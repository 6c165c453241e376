// The readers under the dialogue and the input: whole-token conversions of
// answers, and line reads in pieces of at most 299 characters.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "run/dialogue.h"
#include "run/text_in.h"
#include "run/whole_run.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;

struct real_case {
    const char* token;
    bool ok;
    double value;
};

void PrintTo(const real_case& c, std::ostream* os) { *os << whole_run::shown(c.token); }

class real_answers : public ::testing::TestWithParam<real_case> {};

TEST_P(real_answers, convert_as_a_whole_token) {
    const real_case& c = GetParam();
    double v = -999.0;
    EXPECT_EQ(c.ok, basetrim::convert_real(c.token, v)) << "'" << c.token << "'";
    if (c.ok)
        EXPECT_EQ(c.value, v) << "'" << c.token << "'";
    else
        EXPECT_EQ(-999.0, v) << "a refused token leaves the value alone";
}

INSTANTIATE_TEST_SUITE_P(
    tokens, real_answers,
    ::testing::Values(real_case{"1", true, 1.0}, real_case{"-2.5", true, -2.5}, real_case{"+3", true, 3.0},
                      real_case{"1e3", true, 1000.0}, real_case{"2.5E-1", true, 0.25}, real_case{".5", true, 0.5},
                      real_case{"5.", true, 5.0}, real_case{"0x10", true, 16.0}, real_case{"", false, 0},
                      real_case{"abc", false, 0}, real_case{"1,5", false, 0}, real_case{"1.5.2", false, 0},
                      real_case{"12x", false, 0}, real_case{"e5", false, 0}, real_case{".", false, 0},
                      real_case{"-", false, 0}, real_case{"1e", false, 0}, real_case{"--1", false, 0}));

TEST(real_answers, infinity_and_not_a_number_convert) {
    double v = 0;
    ASSERT_TRUE(basetrim::convert_real("inf", v));
    EXPECT_TRUE(std::isinf(v));
    ASSERT_TRUE(basetrim::convert_real("nan", v));
    EXPECT_TRUE(std::isnan(v));
}

struct int_case {
    const char* token;
    bool ok;
    int64_t value;
};

void PrintTo(const int_case& c, std::ostream* os) { *os << whole_run::shown(c.token); }

class int_answers : public ::testing::TestWithParam<int_case> {};

TEST_P(int_answers, convert_as_a_whole_token) {
    const int_case& c = GetParam();
    int64_t v = -999;
    EXPECT_EQ(c.ok, basetrim::convert_int(c.token, v)) << "'" << c.token << "'";
    if (c.ok)
        EXPECT_EQ(c.value, v) << "'" << c.token << "'";
    else
        EXPECT_EQ(-999, v) << "a refused token leaves the value alone";
}

INSTANTIATE_TEST_SUITE_P(
    tokens, int_answers,
    ::testing::Values(int_case{"0", true, 0}, int_case{"7", true, 7}, int_case{"-7", true, -7},
                      int_case{"+7", true, 7}, int_case{"007", true, 7}, int_case{"2147483647", true, 2147483647},
                      int_case{"-2147483648", true, -2147483648LL}, int_case{"2147483648", true, 2147483648LL},
                      int_case{"", false, 0}, int_case{"3.5", false, 0}, int_case{"3.", false, 0},
                      int_case{"abc", false, 0}, int_case{"1e3", false, 0}, int_case{"0x10", false, 0},
                      int_case{"12x", false, 0}, int_case{"-", false, 0}, int_case{"+", false, 0},
                      int_case{"99999999999999999999", false, 0}));

// Line reads.

std::vector<std::string> pieces_of(const std::string& content) {
    temp_dir dir("pieces");
    write_file(dir.file("f.txt"), content);
    basetrim::text_in in;
    EXPECT_TRUE(in.open(dir.file("f.txt")));
    std::vector<std::string> pieces;
    while (in.read_line()) pieces.emplace_back(in.line());
    EXPECT_FALSE(in.read_line()) << "end of file stays the end";
    return pieces;
}

struct pieces_case {
    const char* what;
    std::string content;
    std::vector<std::string> pieces;
};

void PrintTo(const pieces_case& c, std::ostream* os) { *os << c.what; }

class line_pieces : public ::testing::TestWithParam<pieces_case> {};

TEST_P(line_pieces, read_as_the_line_buffer_takes_them) {
    EXPECT_EQ(GetParam().pieces, pieces_of(GetParam().content)) << GetParam().what;
}

const std::string x298(298, 'x'), x299(299, 'x'), x102(102, 'x');

INSTANTIATE_TEST_SUITE_P(
    files, line_pieces,
    ::testing::Values(
        pieces_case{"two lines", "abc\ndef\n", {"abc\n", "def\n"}},
        pieces_case{"last line without a line end", "abc\ndef", {"abc\n", "def"}},
        pieces_case{"empty file", "", {}},
        pieces_case{"empty lines", "\n\n", {"\n", "\n"}},
        pieces_case{"carriage returns are kept", "a\r\nb\r\n", {"a\r\n", "b\r\n"}},
        pieces_case{"298 characters and the line end fit", x298 + "\n", {x298 + "\n"}},
        pieces_case{"299 characters leave the line end for a second read", x299 + "\n", {x299, "\n"}},
        pieces_case{"300 characters", x299 + "y\n", {x299, "y\n"}},
        pieces_case{"700 letters are three lines", std::string(700, 'x') + "\n", {x299, x299, x102 + "\n"}},
        pieces_case{"long last line without a line end", std::string(600, 'x'), {x299, x299, "xx"}}));

TEST(line_pieces, lines_across_the_read_buffer) {
    // Lines of 1 to 700 characters over several hundred kilobytes, so that
    // lines and pieces straddle every refill of the reader's buffer.
    std::string content;
    std::vector<std::string> expected;
    for (int k = 0; content.size() < 400000; ++k) {
        int len = 1 + (k * 37) % 700;
        std::string line(static_cast<size_t>(len), static_cast<char>('a' + k % 26));
        content += line + "\n";
        size_t at = 0;
        while (line.size() - at >= 299) {
            expected.push_back(line.substr(at, 299));
            at += 299;
        }
        expected.push_back(line.substr(at) + "\n");
    }
    std::vector<std::string> got = pieces_of(content);
    ASSERT_EQ(expected.size(), got.size());
    for (size_t k = 0; k < got.size(); ++k) ASSERT_EQ(expected[k], got[k]) << "piece " << k;
}

TEST(line_pieces, rewind_reads_the_file_again) {
    temp_dir dir("rewind");
    write_file(dir.file("f.txt"), "first\nsecond\n");
    basetrim::text_in in;
    ASSERT_TRUE(in.open(dir.file("f.txt")));
    while (in.read_line()) {
    }
    ASSERT_TRUE(in.rewind());
    ASSERT_TRUE(in.read_line());
    EXPECT_EQ("first\n", in.line());
    ASSERT_TRUE(in.read_line());
    EXPECT_EQ("second\n", in.line());
    EXPECT_FALSE(in.read_line());
}

TEST(line_pieces, missing_file_does_not_open) {
    temp_dir dir("missing");
    basetrim::text_in in;
    EXPECT_FALSE(in.open(dir.file("none.txt")));
    EXPECT_FALSE(in.is_open());
    EXPECT_FALSE(in.read_line());
}

}  // namespace

// The header rule: which lines look like text, how many lines a file's
// header has, the echo of those lines, and where the samples start.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "input/header.h"
#include "run/output.h"
#include "run/text_in.h"
#include "run/whole_run.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;

struct text_case {
    std::string line;
    bool text;
};

void PrintTo(const text_case& c, std::ostream* os) { *os << whole_run::shown(c.line); }

class text_rule : public ::testing::TestWithParam<text_case> {};

TEST_P(text_rule, decides_each_line) {
    EXPECT_EQ(GetParam().text, basetrim::looks_like_text(GetParam().line)) << "|" << GetParam().line << "|";
}

INSTANTIATE_TEST_SUITE_P(
    lines, text_rule,
    ::testing::Values(
        text_case{"Time (sec)   Accel (G)", true}, text_case{"0.000000e+00  1.234e-03", false},
        text_case{"1.5E+01, 2.0E-01", false}, text_case{"1.0E5  2.0", true}, text_case{"1.0e5 2.0e-3", false},
        text_case{"1.0E+00 2.0e5", true}, text_case{"------", false}, text_case{"(1)", false},
        text_case{"12:00:01", false}, text_case{"x", true},
        // The exceptions for E and e work on the whole line, each on its own.
        text_case{"E", true}, text_case{"e", true}, text_case{"E+", false}, text_case{"E-", false},
        text_case{"e+", false}, text_case{"e-", false}, text_case{"1E5 2E-3", false}, text_case{"1E5 2e-3", true},
        text_case{"1e5 2E+3", true}, text_case{"1E+5 2e-5", false}, text_case{"1.0E-5 e", true},
        text_case{"1.0e-5 X", true}, text_case{"1.0E+5 x", true}, text_case{"1E +5", true},
        text_case{"+E1", true}, text_case{"-E1", true}, text_case{"E-E", false}, text_case{"e+e", false},
        text_case{"1E5\n", true}, text_case{"1E-5 2E5\r\n", false},
        // Nothing but numbers, separators and white space.
        text_case{"", false}, text_case{"\r\n", false}, text_case{" \t \n", false},
        text_case{"-1.5, +2.25e+01\r\n", false}, text_case{"[1] {2} _ ' \" | \\ ~ ` : ( ) . , + -", false},
        text_case{"0.1\xC2\xB0 2.0", false}, text_case{"1.0; 2.0", true}, text_case{"1 @ 2", true}));

TEST(text_rule, exactly_letters_and_fourteen_marks_make_a_line_text) {
    const std::string_view marks = "!#$%^&*/><?=;@";
    int text_chars = 0;
    for (int c = 1; c < 256; ++c) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool mark = marks.find(static_cast<char>(c)) != std::string_view::npos;
        std::string line = "1.0 ";
        line += static_cast<char>(c);
        line += " 2.0\n";
        EXPECT_EQ(letter || mark, basetrim::looks_like_text(line)) << "character " << c;
        text_chars += letter || mark;
    }
    EXPECT_EQ(66, text_chars);
}

struct header_result {
    int64_t count = -1;
    std::string console;
    std::optional<std::string> next;  // the line the sample reader reads first
};

header_result scan(const std::string& content) {
    temp_dir dir("header");
    write_file(dir.file("in.txt"), content);
    basetrim::text_in in;
    EXPECT_TRUE(in.open(dir.file("in.txt")));
    basetrim::out_text con;
    header_result h;
    h.count = basetrim::count_header_lines(in, con);
    h.console = con.str();
    if (in.read_line()) h.next = std::string(in.line());
    return h;
}

std::string count_line(int n) { return "\n " + std::to_string(n) + " header lines detected \n\n"; }

struct file_case {
    const char* what;
    std::string content;
    int count;
    std::string echo;                  // what follows the count line
    std::optional<std::string> next;   // first line after the header
};

void PrintTo(const file_case& c, std::ostream* os) { *os << c.what; }

class header_files : public ::testing::TestWithParam<file_case> {};

TEST_P(header_files, count_echo_and_position) {
    const file_case& c = GetParam();
    header_result h = scan(c.content);
    EXPECT_EQ(c.count, h.count) << c.what;
    EXPECT_EQ(count_line(c.count) + c.echo, h.console) << c.what;
    EXPECT_EQ(c.next, h.next) << c.what;
}

std::string numeric_lines(int from, int to) {
    std::string s;
    for (int k = from; k <= to; ++k) s += std::to_string(k) + ".0 " + std::to_string(2 * k) + ".5\n";
    return s;
}

std::string echo_of(const std::string& lines) {
    std::string e;
    for (const std::string& line : split_lines(lines)) e += " " + line + "\n ";
    return e;
}

const std::string a299(299, 'a'), a102(102, 'a');

INSTANTIATE_TEST_SUITE_P(
    files, header_files,
    ::testing::Values(
        file_case{"title and column names", "Shock record\nTime (s) Accel (g)\n0 1\n1 2\n", 2,
                  " Shock record\n  Time (s) Accel (g)\n ", "0 1\n"},
        file_case{"numbers ending with END", "0 1\n1 2\n2 3\nEND\n", 4, " 0 1\n  1 2\n  2 3\n  END\n ", std::nullopt},
        file_case{"title, numbers, text at line 50", "Title\n" + numeric_lines(2, 49) + "note\n" + numeric_lines(51, 53),
                  50, echo_of("Title\n" + numeric_lines(2, 49) + "note\n"), "51.0 102.5\n"},
        file_case{"empty file", "", 0, "", std::nullopt},
        file_case{"no text lines", "0.0 1.5E+00\n1.0e-3 -2.0e+01\n", 0, "", "0.0 1.5E+00\n"},
        file_case{"700 letters are three lines", std::string(700, 'a') + "\n0 1\n", 3,
                  " " + a299 + "  " + a299 + "  " + a102 + "\n ", "0 1\n"},
        file_case{"a letter in the third piece only", std::string(600, '0') + "x" + std::string(99, '0') + "\n0 1\n", 3,
                  " " + std::string(299, '0') + "  " + std::string(299, '0') + "  00x" + std::string(99, '0') + "\n ",
                  "0 1\n"},
        file_case{"a letter in the first piece only", "x" + std::string(699, '0') + "\n0 1\n", 1,
                  " x" + std::string(298, '0') + " ", std::string(299, '0')},
        file_case{"299 letters: the line end is a line of its own", a299 + "\n0 1\n", 1, " " + a299 + " ", "\n"},
        file_case{"carriage-return line ends are echoed as read", "Title\r\n0 1\r\n", 1, " Title\r\n ", "0 1\r\n"},
        file_case{"last line text without a line end", "0 1\n1 2\nend", 3, " 0 1\n  1 2\n  end ", std::nullopt},
        file_case{"blank lines before the title count", "\n\nTitle\n0 1\n", 3, " \n  \n  Title\n ", "0 1\n"}));

}  // namespace

// The sample reader: the two line forms, blank and bad lines, the capacity,
// the time base and its printed lines, and the stops on records that give
// no usable time base.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "input/header.h"
#include "input/samples.h"
#include "run/output.h"
#include "run/run_state.h"
#include "run/text_in.h"
#include "run/whole_run.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;

struct sample_line {
    std::string line;
    bool ok;
    double time, amp;
};

void PrintTo(const sample_line& c, std::ostream* os) { *os << whole_run::shown(c.line); }

class sample_lines : public ::testing::TestWithParam<sample_line> {};

TEST_P(sample_lines, scan_in_their_own_form) {
    const sample_line& c = GetParam();
    double t = -1, a = -1;
    ASSERT_EQ(c.ok, basetrim::parse_sample(c.line, t, a)) << "|" << c.line << "|";
    if (c.ok) {
        EXPECT_EQ(c.time, t) << "|" << c.line << "|";
        EXPECT_EQ(c.amp, a) << "|" << c.line << "|";
    }
}

INSTANTIATE_TEST_SUITE_P(
    lines, sample_lines,
    ::testing::Values(
        // "%lf %lf": any white space between, anything after the second number ignored.
        sample_line{"0.1 5.0\n", true, 0.1, 5.0}, sample_line{"\t0.1\t\t5.0\r\n", true, 0.1, 5.0},
        sample_line{"  -1e-3   +2.5e+2  7 8\n", true, -1e-3, 250.0}, sample_line{".5 .25", true, 0.5, 0.25},
        sample_line{"1. 2.", true, 1.0, 2.0}, sample_line{"0.1 5.0)", true, 0.1, 5.0},
        // "%lf, %lf": the comma right after the first number, any white space or none after it.
        sample_line{"0.1,5.0\n", true, 0.1, 5.0}, sample_line{"0.1, 5.0\n", true, 0.1, 5.0},
        sample_line{"  0.1,\t  5.0\r\n", true, 0.1, 5.0}, sample_line{"1.5E+01, 2.0E-01", true, 15.0, 0.2},
        sample_line{"0.000000,-0.158299,-2.577300,100000.000000\n", true, 0.0, -0.158299},
        sample_line{"0.1,5.0 7", true, 0.1, 5.0},
        // Lines that do not yield two numbers in their form.
        sample_line{"0.1 ,5.0\n", false, 0, 0}, sample_line{"0.1 , 5.0\n", false, 0, 0},
        sample_line{"0.1 5.0, 6\n", false, 0, 0}, sample_line{"0.1 5.0,\n", false, 0, 0},
        sample_line{"0.1\n", false, 0, 0}, sample_line{"0.1,\n", false, 0, 0}, sample_line{",5.0\n", false, 0, 0},
        sample_line{"0.1,,5.0\n", false, 0, 0}, sample_line{"-- --\n", false, 0, 0},
        sample_line{"12:00:01 5\n", false, 0, 0}, sample_line{"(1) (2)\n", false, 0, 0}, sample_line{"", false, 0, 0},
        sample_line{"  \n", false, 0, 0}));

TEST(sample_lines, infinite_and_not_a_number_times_scan) {
    double t = 0, a = 0;
    ASSERT_TRUE(basetrim::parse_sample("inf 1\n", t, a));
    EXPECT_TRUE(std::isinf(t));
    ASSERT_TRUE(basetrim::parse_sample("nan, 1\n", t, a));
    EXPECT_TRUE(std::isnan(t));
    EXPECT_EQ(1.0, a);
}

// A record read as the run reads it: header scan, then the sample reader.
struct read_result {
    basetrim::time_history th;
    std::string console;  // from the sample reader on
    bool stopped = false;
    int status = 0;
};

read_result read_record(const std::string& content) {
    temp_dir dir("samples");
    write_file(dir.file("in.txt"), content);
    basetrim::text_in in;
    EXPECT_TRUE(in.open(dir.file("in.txt")));
    basetrim::out_text head, con;
    read_result r;
    int64_t header = basetrim::count_header_lines(in, head);
    try {
        basetrim::read_samples(r.th, in, con, header);
    } catch (const basetrim::run_stop& stop) {
        r.stopped = true;
        r.status = stop.status;
    }
    r.console = con.str();
    return r;
}

std::string base_lines(const char* xone, const char* dt, int n) {
    return std::string("\n R2 xone = ") + xone + "  xa[0]=" + xone + " \n\n delta t = " + dt + " \n n = " +
           std::to_string(n) + " \n";
}

std::string times_from(int first_ms, int last_ms, const char* fmt) {
    std::string s;
    char line[64];
    for (int k = first_ms; k <= last_ms; ++k) {
        std::snprintf(line, sizeof line, fmt, k / 1000.0, (k % 7) * 0.5);
        s += line;
    }
    return s;
}

TEST(time_base, thousand_samples_a_millisecond_apart) {
    read_result r = read_record(times_from(0, 999, "%.3f %.1f\n"));
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(base_lines("       0", "0.001000", 1000), r.console);
    EXPECT_EQ(1000, r.th.n);
    EXPECT_EQ(0.0, r.th.xone);
    EXPECT_EQ(0.999, r.th.xlast);
    EXPECT_EQ(0.999 / 999.0, r.th.dt);
    EXPECT_EQ(1.0 / (0.999 / 999.0), r.th.sr);
    ASSERT_EQ(1000u, r.th.amp_in.size());
    EXPECT_EQ(0.5, r.th.amp_in[1]);
    EXPECT_EQ(3.0, r.th.amp_in[6]);
    EXPECT_EQ(0.0, r.th.amp_in[7]);
}

TEST(time_base, a_final_empty_line_is_no_sample) {
    // 1001 lines 1.000 .. 2.000 and an empty line: the empty line would be a
    // sample at time 0 if it were read as one, giving a negative interval.
    read_result r = read_record(times_from(1000, 2000, "%.3f %.1f\n") + "\n");
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(base_lines("       1", "0.001000", 1001), r.console);
    EXPECT_EQ(2.0, r.th.xlast);
}

TEST(time_base, comma_and_blank_lines_mixed) {
    read_result r = read_record("0.0, 1.5\n0.5 -2.0\n1.0,3.25\n1.5\t4\r\n2.0,\t-0.5e+1\n");
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(base_lines("       0", "0.500000", 5), r.console);
    EXPECT_EQ((std::vector<double>{0.0, 0.5, 1.0, 1.5, 2.0}), r.th.xa);
    EXPECT_EQ((std::vector<double>{1.5, -2.0, 3.25, 4.0, -5.0}), r.th.amp_in);
}

TEST(time_base, blank_lines_anywhere_are_skipped) {
    read_result r = read_record("Time Accel\n\n  \n0 1\n\t\r\n1 2\n \n\n");
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(2, r.th.n);
    EXPECT_EQ((std::vector<double>{1.0, 2.0}), r.th.amp_in);
    EXPECT_EQ(1.0, r.th.dt);
}

TEST(time_base, rests_on_the_first_and_last_times_only) {
    read_result r = read_record("2.5 0\n2.6 1\n3.0 2\n4.0 3\n");
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(base_lines("     2.5", "0.500000", 4), r.console);
    EXPECT_EQ(2.5, r.th.xone);
    EXPECT_EQ(4.0, r.th.xlast);
}

TEST(time_base, a_record_may_start_before_time_zero) {
    read_result r = read_record("-1 0\n-0.5 1\n0 2\n");
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(base_lines("      -1", "0.500000", 3), r.console);
}

// Lines that stop the run, with the 1-based line number of the file that
// the message names: header lines, blank lines and the pieces of long lines
// all count.
struct bad_line_case {
    const char* what;
    std::string content;
    int line;
};

void PrintTo(const bad_line_case& c, std::ostream* os) { *os << c.what; }

class bad_lines : public ::testing::TestWithParam<bad_line_case> {};

TEST_P(bad_lines, stop_naming_their_line) {
    read_result r = read_record(GetParam().content);
    ASSERT_TRUE(r.stopped) << GetParam().what;
    EXPECT_EQ(1, r.status);
    const std::string named = "line " + std::to_string(GetParam().line) + " ";
    EXPECT_EQ(0u, r.console.find("\n Stop: ")) << "nothing printed before the stop: " << r.console;
    EXPECT_NE(std::string::npos, r.console.find(named)) << GetParam().what << ": " << r.console;
    EXPECT_EQ(r.console.size() - 1, r.console.find('\n', 1)) << "one line: " << r.console;
    EXPECT_TRUE(r.console.size() >= 2 && r.console.compare(r.console.size() - 2, 2, " \n") == 0);
}

INSTANTIATE_TEST_SUITE_P(
    files, bad_lines,
    ::testing::Values(
        bad_line_case{"blank before the comma", "0 1\n1 2\n0.1 ,5.0\n", 3},
        bad_line_case{"one number after two header lines", "Time Accel\nsec g\n0 1\n1 2\n3\n", 5},
        bad_line_case{"blank lines count", "0 1\n\n  \n1 2, 3\n", 4},
        bad_line_case{"a long header line counts as three", std::string(700, 'x') + "\n0 1\n1\n", 5},
        bad_line_case{"second number beyond the first piece", "0 1\n1.5" + std::string(300, ' ') + "2.5\n", 2},
        bad_line_case{"the line end of a 299-character line counts",
                      "0 1" + std::string(296, ' ') + "\n1 2\n--\n", 4},
        bad_line_case{"carriage-return line ends", "0 1\r\n1 2\r\n-\r\n", 3},
        bad_line_case{"a trailing comma changes the form", "0 1\n1 2,\n", 2}));

TEST(bad_lines, message_names_the_file_and_shows_the_line) {
    temp_dir dir("bad_line_message");
    write_file(dir.file("rec.txt"), "0 1\n0.1 ,5.0\r\n");
    basetrim::text_in in;
    ASSERT_TRUE(in.open(dir.file("rec.txt")));
    basetrim::out_text con;
    basetrim::time_history th;
    EXPECT_THROW(basetrim::read_samples(th, in, con, 0), basetrim::run_stop);
    EXPECT_NE(std::string::npos, con.str().find("line 2 ")) << con.str();
    EXPECT_NE(std::string::npos, con.str().find(dir.file("rec.txt"))) << con.str();
    EXPECT_NE(std::string::npos, con.str().find("0.1 ,5.0")) << con.str();
}

// Records without a usable time base: the run stops right after the count line.
struct no_base_case {
    const char* what;
    std::string content;
    int n;
};

void PrintTo(const no_base_case& c, std::ostream* os) { *os << c.what; }

class unusable_time_base : public ::testing::TestWithParam<no_base_case> {};

TEST_P(unusable_time_base, stops_after_the_count_line) {
    read_result r = read_record(GetParam().content);
    ASSERT_TRUE(r.stopped) << GetParam().what << ": " << r.console;
    EXPECT_EQ(1, r.status);
    const std::string count = "\n n = " + std::to_string(GetParam().n) + " \n";
    const size_t at = r.console.find(count + "\n Stop: ");
    ASSERT_NE(std::string::npos, at) << GetParam().what << ": " << r.console;
    EXPECT_EQ(0u, r.console.find("\n R2 xone = ")) << r.console;
    const std::string stop = r.console.substr(at + count.size());
    EXPECT_EQ(stop.size() - 1, stop.find('\n', 1)) << "one line: " << stop;
    EXPECT_EQ(" \n", stop.substr(stop.size() - 2));
}

INSTANTIATE_TEST_SUITE_P(
    records, unusable_time_base,
    ::testing::Values(no_base_case{"empty file", "", 0}, no_base_case{"header only", "Time Accel\n", 0},
                      no_base_case{"blank lines only", "\n \n\t\n", 0}, no_base_case{"one sample", "0 1\n", 1},
                      no_base_case{"zero duration", "1 0\n1 5\n", 2},
                      no_base_case{"last time before the first", "2 0\n1 0\n0.5 0\n", 3},
                      no_base_case{"last time below zero", "-2 0\n-1 0\n", 2},
                      // Letters make a line text, so a time that is not finite comes from overflow.
                      no_base_case{"infinite time inside", "0 0\n1e+999 1\n2 0\n", 3},
                      no_base_case{"infinite last time", "0 0\n1 0\n1E+400 0\n", 3},
                      no_base_case{"minus infinite first time", "-1e+999 0\n1 0\n", 2},
                      // The free-decay tail after the record would take more steps than can be counted.
                      no_base_case{"interval too short for the tail", "0 0\n1.0E-12 0\n", 2}));

TEST(capacity, a_million_samples_and_more) {
    // Times are the line numbers from 0, so the interval is exactly 1.
    std::string content;
    content.reserve(7200000);
    char line[32];
    for (int k = 0; k < 1000000; ++k) {
        std::snprintf(line, sizeof line, "%d %d\n", k, k % 3);
        content += line;
    }
    {
        read_result r = read_record(content + "\n\n");
        ASSERT_FALSE(r.stopped) << r.console;
        EXPECT_EQ(base_lines("       0", "1.000000", 1000000), r.console) << "no warning for exactly the capacity";
    }
    content += "1000000 0\n1000001 1\n--\n";  // lines past the capacity are not read
    read_result r = read_record(content);
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(1000000, r.th.n);
    EXPECT_EQ(999999.0, r.th.xlast);
    EXPECT_EQ(1.0, r.th.dt);
    const std::string expected_base = base_lines("       0", "1.000000", 1000000);
    ASSERT_GE(r.console.size(), expected_base.size());
    EXPECT_EQ(expected_base, r.console.substr(r.console.size() - expected_base.size()));
    const std::string warning = r.console.substr(0, r.console.size() - expected_base.size());
    EXPECT_NE(std::string::npos, warning.find("only the first 1000000")) << warning;
    EXPECT_EQ(1u, std::count(warning.begin(), warning.end(), '\n') - (warning.front() == '\n'))
        << "one line: " << warning;
}

// The drop-shock records of the shared folder.
struct drop_case {
    const char* file;
    const char* xone_shown;
    double xone, xlast, amp_first, amp_last;
};

void PrintTo(const drop_case& c, std::ostream* os) { *os << c.file; }

class drop_records : public ::testing::TestWithParam<drop_case> {};

TEST_P(drop_records, read_as_24_header_lines_and_51200_samples) {
    const drop_case& c = GetParam();
    const std::string path = shared_dir().empty() ? "" : shared_dir() + "/data/" + c.file;
    if (path.empty() || !file_exists(path)) GTEST_SKIP() << "no " << c.file;
    basetrim::text_in in;
    ASSERT_TRUE(in.open(path));
    basetrim::out_text head, con;
    EXPECT_EQ(24, basetrim::count_header_lines(in, head));
    EXPECT_EQ(0u, head.str().find("\n 24 header lines detected \n\n LabVIEW Measurement,\n  Writer_Version,2\n "));
    EXPECT_TRUE(head.str().find("\n  X_Value,Acceleration_0,") != std::string::npos);
    basetrim::time_history th;
    basetrim::read_samples(th, in, con, 24);
    EXPECT_EQ(base_lines(c.xone_shown, "0.000020", 51200), con.str());
    EXPECT_EQ(51200, th.n);
    EXPECT_EQ(c.xone, th.xone);
    EXPECT_EQ(c.xlast, th.xlast);
    EXPECT_EQ((c.xlast - c.xone) / 51199.0, th.dt);
    EXPECT_EQ(c.amp_first, th.amp_in.front());
    EXPECT_EQ(c.amp_last, th.amp_in.back());
}

INSTANTIATE_TEST_SUITE_P(shared, drop_records,
                         ::testing::Values(drop_case{"drop_017.lvm", "       0", 0.0, 0.999980, -0.158299, -35.709573},
                                           drop_case{"drop_020.lvm", "   158.9", 158.858646, 159.858627, 0.751522,
                                                     -26.747832}));

}  // namespace

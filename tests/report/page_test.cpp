// Pieces of the report page: the packing of the data, escaping, the
// tables, and the inlined files.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "report/page.h"
#include "report/resources.h"
#include "support/harness.h"

namespace {

using namespace basetrim::report;

struct text_case {
    std::string in, out;
};

void PrintTo(const text_case& c, std::ostream* os) { *os << '"' << c.out << '"'; }

class base64_cases : public ::testing::TestWithParam<text_case> {};

TEST_P(base64_cases, standard_alphabet_with_padding) { EXPECT_EQ(GetParam().out, base64(GetParam().in)); }

// The test vectors of RFC 4648, and bytes that use the last digits.
INSTANTIATE_TEST_SUITE_P(cases, base64_cases,
                         ::testing::Values(text_case{"", ""}, text_case{"f", "Zg=="}, text_case{"fo", "Zm8="},
                                           text_case{"foo", "Zm9v"}, text_case{"foob", "Zm9vYg=="},
                                           text_case{"fooba", "Zm9vYmE="}, text_case{"foobar", "Zm9vYmFy"},
                                           text_case{std::string("\xfb\xff\xbf", 3), "+/+/"},
                                           text_case{std::string("\0\0\0\0", 4), "AAAAAA=="}));

TEST(packed, little_endian_ieee_values) {
    // 1.0 is 3ff0000000000000 as a double, 3f800000 as a float; -2.0 is
    // c000000000000000 and c0000000.
    EXPECT_EQ(base64(std::string("\0\0\0\0\0\0\xf0\x3f\0\0\0\0\0\0\0\xc0", 16)), packed({1.0, -2.0}, false));
    EXPECT_EQ(base64(std::string("\0\0\x80\x3f\0\0\0\xc0", 8)), packed({1.0, -2.0}, true));
    EXPECT_EQ("", packed({}, true));
    // A float keeps 24 bits: 0.1 comes back as the nearest float.
    EXPECT_EQ(packed({static_cast<double>(0.1f)}, true), packed({0.1}, true));
}

TEST(escaping, html_and_json) {
    EXPECT_EQ("a &lt;b&gt; &amp; &quot;c&quot; &#39;d&#39;", html_escape("a <b> & \"c\" 'd'"));
    EXPECT_EQ("0.5", json_number(0.5));
    EXPECT_EQ("-1.0000000000000001e-05", json_number(-1e-5));
    EXPECT_EQ("null", json_number(std::numeric_limits<double>::infinity()));
    EXPECT_EQ("null", json_number(std::nan("")));
}

TEST(table_number, six_digits_or_infinite) {
    EXPECT_EQ("3.91834", table_number(3.918341));
    EXPECT_EQ("177.717", table_number(177.71749));
    EXPECT_EQ("0.00709138", table_number(0.007091384));
    EXPECT_EQ("100000", table_number(100000));
    EXPECT_EQ("infinite", table_number(std::numeric_limits<double>::infinity()));
}

TEST(resources, are_the_vendored_files_unchanged) {
    const std::string dir = BASETRIM_SOURCE_DIR;
    EXPECT_EQ(basetrim_test::read_file(dir + "/third_party/uplot/uPlot.iife.min.js"), uplot_script());
    EXPECT_EQ(basetrim_test::read_file(dir + "/third_party/uplot/uPlot.min.css"), uplot_style());
    EXPECT_EQ(basetrim_test::read_file(dir + "/src/report/page.js"), page_script());
    EXPECT_EQ(basetrim_test::read_file(dir + "/src/report/page.css"), page_style());
}

// A small report: 5 samples, no spectrum grid.
report_data tiny() {
    report_data d;
    d.req.ans.input_name = "in<1>.txt";
    d.req.ans.baseline_name = "b.txt";
    d.th.n = 5;
    d.th.xa = {0, 1, 2, 3, 4};
    d.th.amp_in = {0, 1, 0, -1, 0};
    d.th.xone = 0;
    d.th.xlast = 4;
    d.th.dt = 1;
    d.time = d.th.xa;
    d.baseline = {0, 0, 0, 0, 0};
    d.corrected = d.th.amp_in;
    d.vel_before = {0, 0.5, 1, 0.5, 0};
    d.vel_after = {0, 0.5, 1, 0.5, 0.25};
    d.knot_t = {0, 4};
    d.knot_y = {0, 0};
    d.plan_message = "the reference band lies above the grid";
    d.before.messages = d.after.messages = d.plan_message;
    return d;
}

TEST(report_page, shows_the_measures_and_escapes_names) {
    const std::string page = report_page(tiny());
    EXPECT_EQ(0u, page.find("<!DOCTYPE html>"));
    EXPECT_NE(std::string::npos, page.find("<title>basetrim report: in&lt;1&gt;.txt</title>"));
    EXPECT_EQ(std::string::npos, page.find("in<1>"));
    EXPECT_NE(std::string::npos,
              page.find("<tr><th scope=\"row\">dmax, dB</th><td>not available: the reference band lies above the "
                        "grid</td><td>not available: the reference band lies above the grid</td></tr>"));
    EXPECT_NE(std::string::npos,
              page.find("<tr><th scope=\"row\">final velocity, amplitude × s</th><td>0</td><td>0.25</td></tr>"));
    EXPECT_NE(std::string::npos,
              page.find("<tr><th scope=\"row\">knots of the chosen baseline</th><td></td><td>2</td></tr>"));
    EXPECT_NE(std::string::npos, page.find("\"spectrum\":null"));
    EXPECT_NE(std::string::npos, page.find("\"knot_t\":[0,4]"));
    EXPECT_NE(std::string::npos, page.find("\"time\":\"" + packed({0, 1, 2, 3, 4}, false) + "\""));
    EXPECT_NE(std::string::npos, page.find("\"vel_after\":\"" + packed({0, 0.5, 1, 0.5, 0.25}, true) + "\""));
    // Nothing is loaded from elsewhere: no script, style sheet, image or
    // font by reference, no request from a script.
    for (const char* ref : {"src=", "<link", "url(", "@import", "fetch(", "XMLHttpRequest", "<iframe"})
        EXPECT_EQ(std::string::npos, page.find(ref)) << ref;
}

TEST(report_page, answers_from_options_and_from_a_file) {
    report_data d = tiny();
    d.req.ans.ref_freq[0] = 20;
    d.req.ans.ref_amp[0] = 8;
    std::string page = report_page(d);
    EXPECT_NE(std::string::npos,
              page.find("<tr><th scope=\"row\">first coordinate</th><td>20 Hz, 8</td><td></td></tr>"));
    EXPECT_NE(std::string::npos, page.find("not known: give --answers to show the whole dialogue"));
    d.req.given = {{"maximum number of points", "5", "raised to 22"}};
    d.req.answers_name = "run/answers.txt";
    page = report_page(d);
    EXPECT_NE(std::string::npos,
              page.find("<tr><th scope=\"row\">maximum number of points</th><td>5</td><td>raised to 22</td></tr>"));
    EXPECT_NE(std::string::npos, page.find("<tr><th scope=\"row\">answers file</th><td>run/answers.txt</td></tr>"));
    EXPECT_EQ(std::string::npos, page.find("not known"));
}

TEST(write_page, unwritable_file_is_named) {
    try {
        write_page("/nonexistent/report.html", "x");
        FAIL();
    } catch (const report_error& e) {
        EXPECT_EQ("/nonexistent/report.html: cannot write the report (No such file or directory)", std::string(e.what()));
    }
}

}  // namespace

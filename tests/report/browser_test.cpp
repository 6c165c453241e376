// The report in a real browser: headless Chromium loads the page of a run,
// which must draw its plots without script errors; a screenshot must show
// them; the decimation and the zoom are tested inside the page; and a
// record of 1,000,000 samples must stay quick. Skips without Chromium.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "report_support.h"
#include "support/harness.h"

namespace {

using basetrim_test::read_file;
using basetrim_test::split_lines;
using basetrim_test::write_file;
using namespace report_test;

// What the page's render check says about one plot.
struct plot_check {
    long painted = 0, area = 0, points = 0, columns = 0;
    double x = 0, y = 0, w = 0, h = 0;  // CSS px: the drawing area on the page
    struct series {
        int r = -1, g = -1, b = -1;
        long pixels = 0;
        std::string label;
    };
    std::vector<series> lines;
};

struct render_check {
    bool present = false;
    std::vector<std::string> errors;
    std::map<std::string, plot_check> plots;
    double decimate_ms = -1, loaded_ms = -1;
};

render_check parse_render_check(const std::string& text) {
    render_check c;
    for (const std::string& line : split_lines(text)) {
        c.present = true;
        char id[64] = {};
        plot_check p;
        int k = 0, r = 0, g = 0, b = 0, used = 0;
        long pixels = 0;
        if (std::sscanf(line.c_str(), "plot %63s painted=%ld area=%ld points=%ld columns=%ld x=%lf y=%lf w=%lf h=%lf",
                        id, &p.painted, &p.area, &p.points, &p.columns, &p.x, &p.y, &p.w, &p.h) == 9) {
            c.plots[id] = p;
        } else if (std::sscanf(line.c_str(), "series %63s %d %d,%d,%d %ld %n", id, &k, &r, &g, &b, &pixels, &used) == 6) {
            c.plots[id].lines.push_back({r, g, b, pixels, line.substr(used)});
        } else if (line.rfind("timing ", 0) == 0) {
            for (auto [key, value] : {std::pair{"decimate_ms=", &c.decimate_ms}, std::pair{"loaded_ms=", &c.loaded_ms}}) {
                const size_t at = line.find(key);
                if (at != std::string::npos) *value = std::strtod(line.c_str() + at + std::strlen(key), nullptr);
            }
        } else if (line.rfind("error ", 0) == 0) {
            c.errors.push_back(line.substr(6));
        }
    }
    return c;
}

// Loads the page and reads its render check (and, when the page has one,
// its test results) from the DOM after the load event.
struct loaded_page {
    command_result run;
    render_check check;
    std::string test_results;
};

loaded_page load(const std::string& page) {
    loaded_page p;
    p.run = run_chromium(page, {"--enable-logging=stderr", "--v=0", "--dump-dom"});
    p.check = parse_render_check(element_text(p.run.out, "render-check"));
    p.test_results = element_text(p.run.out, "test-results");
    return p;
}

// Console lines of the page that tell of a script error.
std::vector<std::string> console_errors(const std::string& log) {
    std::vector<std::string> found;
    for (const std::string& line : split_lines(log))
        if (line.find("CONSOLE") != std::string::npos && line.find("Uncaught") != std::string::npos)
            found.push_back(line);
    return found;
}

// The checks every loaded report passes: no errors, three plots, each
// painted, each line drawn in its colour, the time plots decimated.
void expect_drawn(const loaded_page& p) {
    ASSERT_FALSE(p.run.timed_out);
    ASSERT_EQ(0, p.run.status) << p.run.err;
    ASSERT_TRUE(p.check.present) << "no render check in the page:\n" << p.run.out.substr(0, 2000);
    EXPECT_TRUE(p.check.errors.empty()) << p.check.errors[0];
    EXPECT_TRUE(console_errors(p.run.err).empty()) << console_errors(p.run.err)[0];
    for (const char* id : {"record-plot", "velocity-plot", "spectrum-plot"}) {
        ASSERT_TRUE(p.check.plots.count(id)) << id;
        const plot_check& c = p.check.plots.at(id);
        EXPECT_GT(c.painted, c.area / 50) << id;
        EXPECT_GT(c.w, 600) << id;
        EXPECT_GT(c.h, 200) << id;
        for (const auto& s : c.lines) EXPECT_GE(s.pixels, 20) << id << ": " << s.label;
    }
    EXPECT_EQ(3u, p.check.plots.at("record-plot").lines.size());
    EXPECT_EQ(2u, p.check.plots.at("velocity-plot").lines.size());
    EXPECT_EQ(5u, p.check.plots.at("spectrum-plot").lines.size());
    for (const char* id : {"record-plot", "velocity-plot"}) {
        const plot_check& c = p.check.plots.at(id);
        EXPECT_LE(c.points, 2 * static_cast<long>(c.lines.size()) * c.columns + 4) << id;
    }
}

// Checks in-page test results: every line "ok", at least `count` of them.
void expect_tests_pass(const std::string& results, size_t count) {
    size_t ok = 0;
    for (const std::string& line : split_lines(results)) {
        if (line.rfind("ok ", 0) == 0) ++ok;
        EXPECT_TRUE(line.rfind("ok ", 0) == 0 || line.rfind("zoom_ms ", 0) == 0) << line;
    }
    EXPECT_GE(ok, count) << results;
}

double zoom_ms(const std::string& results) {
    for (const std::string& line : split_lines(results))
        if (line.rfind("zoom_ms ", 0) == 0) return std::stod(line.substr(8));
    return -1;
}

// The report page with the in-page tests appended.
std::string with_page_tests(const std::string& page) {
    std::string html = read_file(page);
    const std::string tests = read_file(std::string(BASETRIM_SOURCE_DIR) + "/tests/report/page_test.js");
    const size_t at = html.rfind("</body>");
    html.insert(at, "<pre id=\"test-results\"></pre>\n<script>" + tests + "</script>\n");
    const std::string path = page.substr(0, page.size() - 5) + "_tests.html";
    write_file(path, html);
    return path;
}

// One example run and its report, shared by the tests.
class browser : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (chromium().empty()) return;
        dir_ = new basetrim_test::temp_dir("browser");
        status_ = run_example(dir_->path());
        made_ = run_command({report_exe(), "--answers", "answers.txt"}, dir_->path());
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        if (chromium().empty()) GTEST_SKIP() << "no Chromium (/usr/bin/chromium or BASETRIM_CHROMIUM)";
        ASSERT_EQ(97, status_);
        ASSERT_EQ(0, made_.status) << made_.err;
    }
    static std::string page() { return dir_->file("report.html"); }

    static basetrim_test::temp_dir* dir_;
    static int status_;
    static command_result made_;
};

basetrim_test::temp_dir* browser::dir_ = nullptr;
int browser::status_ = -1;
command_result browser::made_;

TEST_F(browser, page_loads_and_draws_its_plots) { expect_drawn(load(page())); }

TEST_F(browser, screenshot_shows_the_plots) {
    const loaded_page p = load(page());
    expect_drawn(p);
    const std::string shot = dir_->file("shot.png");
    const command_result r = run_chromium(page(), {"--screenshot=" + shot});
    ASSERT_EQ(0, r.status) << r.err;
    const picture pic = read_png(shot);
    ASSERT_EQ(1280, pic.width);
    ASSERT_EQ(2300, pic.height);
    for (const auto& [id, c] : p.check.plots) {
        // The drawing area, a few pixels inside its edges.
        const int x0 = static_cast<int>(std::ceil(c.x)) + 3, x1 = static_cast<int>(c.x + c.w) - 3;
        const int y0 = static_cast<int>(std::ceil(c.y)) + 3, y1 = static_cast<int>(c.y + c.h) - 3;
        ASSERT_TRUE(x0 >= 0 && x1 <= pic.width && y0 >= 0 && y1 <= pic.height) << id << " lies outside the picture";
        long inked = 0;
        std::vector<long> in_colour(c.lines.size(), 0);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint8_t* px = pic.at(x, y);
                if (px[0] < 200 || px[1] < 200 || px[2] < 200) ++inked;
                for (size_t k = 0; k < c.lines.size(); ++k) {
                    const auto& s = c.lines[k];
                    if (std::abs(px[0] - s.r) < 40 && std::abs(px[1] - s.g) < 40 && std::abs(px[2] - s.b) < 40)
                        ++in_colour[k];
                }
            }
        const long area = static_cast<long>(x1 - x0) * (y1 - y0);
        EXPECT_GT(inked, area / 200) << id << ": the plot area is blank";
        for (size_t k = 0; k < c.lines.size(); ++k)
            EXPECT_GE(in_colour[k], 20) << id << ": no pixels of " << c.lines[k].label;
    }
    // The margin beside the page is blank, as the plot areas are not.
    long margin_ink = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < 30; ++x)
            if (pic.at(x, y)[0] < 200) ++margin_ink;
    EXPECT_EQ(0, margin_ink);
}

TEST_F(browser, decimation_and_zoom_work_in_the_page) {
    const loaded_page p = load(with_page_tests(page()));
    expect_drawn(p);
    expect_tests_pass(p.test_results, 18);
}

TEST_F(browser, page_without_spectra_still_draws) {
    // A reference band above the grid leaves no grid; a negative reference
    // amplitude stops both spectrum runs. The page says so and draws the rest.
    const std::vector<std::vector<std::string>> coordinates = {{"50000", "8", "60000", "400"},
                                                               {"20", "-8", "1000", "400"}};
    for (const auto& c : coordinates) {
        const command_result r =
            run_command({report_exe(), "-i", "shock.txt", "--baseline", "base.txt", "--corrected", "corr.txt", "--srs",
                         "srs.txt", "--coef", "coef.txt", "--first", c[0], c[1], "--second", c[2], c[3], "-o",
                         "no_spectra.html"},
                        dir_->path());
        ASSERT_EQ(0, r.status) << r.err;
        const loaded_page p = load(dir_->file("no_spectra.html"));
        ASSERT_TRUE(p.check.present) << c[1];
        EXPECT_TRUE(p.check.errors.empty()) << p.check.errors[0];
        EXPECT_TRUE(console_errors(p.run.err).empty()) << console_errors(p.run.err)[0];
        EXPECT_EQ(2u, p.check.plots.size()) << c[1];
        EXPECT_EQ(0u, p.check.plots.count("spectrum-plot")) << c[1];
        EXPECT_NE(std::string::npos, p.run.out.find("Spectra not available")) << c[1];
    }
}

// A record of 1,000,000 samples at 100,000 samples per second: a pulse,
// a zero shift and noise.
void write_big_record(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(nullptr, f);
    const double pi = std::acos(-1.0);
    unsigned noise = 1u;
    for (int i = 0; i < 1000000; ++i) {
        const double t = i / 100000.0;
        double a = 0;
        if (t >= 0.5) {
            const double s = t - 0.5;
            a = 100 * std::exp(-s / 0.01) * std::sin(2 * pi * 800 * s) + 5 * (1 - std::exp(-s / 0.004)) * std::exp(-s / 3);
        }
        noise = noise * 1103515245u + 12345u;
        a += ((noise >> 16) & 0x7fff) / 32767.0 * 0.4 - 0.2;
        std::fprintf(f, "%.8e %.6e\n", t, a);
    }
    std::fclose(f);
}

TEST(browser_big, million_samples_stay_responsive) {
    if (chromium().empty()) GTEST_SKIP() << "no Chromium (/usr/bin/chromium or BASETRIM_CHROMIUM)";
    basetrim_test::temp_dir dir("big");
    write_big_record(dir.file("big.txt"));
    const std::string answers = "big.txt base.txt corr.txt srs.txt coef.txt 1 1 2 0 20 8 1000 400 0.5 22 a\n";
    write_file(dir.file("answers.txt"), answers);
    ASSERT_EQ(97, basetrim_test::run_program(dir.path(), answers).status);
    const command_result made = run_command({report_exe(), "--answers", "answers.txt"}, dir.path(), 600);
    ASSERT_EQ(0, made.status) << made.err;

    const auto start = std::chrono::steady_clock::now();
    const loaded_page p = load(with_page_tests(dir.file("report.html")));
    const double wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    expect_drawn(p);
    expect_tests_pass(p.test_results, 18);
    // One pass over all samples, and a zoom, take well under a second; the
    // whole load of the 37 MB page, browser start included, a few seconds.
    EXPECT_LT(p.check.decimate_ms, 1000) << "decimation of 1,000,000 samples";
    EXPECT_LT(zoom_ms(p.test_results), 1000) << "zoom";
    EXPECT_LT(p.check.loaded_ms, 20000) << "page load";
    EXPECT_LT(wall_s, 60) << "browser run";
}

}  // namespace

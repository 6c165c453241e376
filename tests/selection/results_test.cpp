// The result phase on a small record: the chosen record's knots as read
// back, the baseline and corrected files they give, the spectrum file and
// the closing lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "input/samples.h"
#include "selection/selection.h"
#include "spectrum/spectrum.h"
#include "support/harness.h"

namespace {

using basetrim::out_text;
using basetrim::trial_state;
using basetrim_test::read_file;
using basetrim_test::split_lines;
using basetrim_test::temp_dir;
using basetrim_test::write_file;

using basetrim_test::format;

struct knot {
    double t, y;
};

class result_files : public ::testing::Test {
protected:
    temp_dir dir{"results"};
    std::unique_ptr<basetrim::run_data> rd = std::make_unique<basetrim::run_data>();
    basetrim::run_files f;
    basetrim::selection sel;
    std::unique_ptr<trial_state> ts = std::make_unique<trial_state>();
    out_text con;

    // Eleven samples 0.1 ms apart, all of amplitude 1; reference band 20 to
    // 100 Hz. The grid ends below a tenth of the sample rate: 39 * 1/6
    // octave above 10 Hz is 905 Hz.
    void SetUp() override {
        std::string record;
        for (int i = 0; i <= 10; ++i) record += format("%.4f 1\n", i * 1e-4);
        write_file(dir.file("in.txt"), record);
        ASSERT_TRUE(f.input_file.open(dir.file("in.txt")));
        out_text setup;
        basetrim::read_samples(rd->th, f.input_file, setup, 0);
        ASSERT_EQ(11, rd->th.n);
        rd->ans.ref_freq[0] = 20;
        rd->ans.ref_freq[1] = 100;
        rd->ans.ref_amp[0] = 1;
        rd->ans.ref_amp[1] = 1;
        rd->ans.dmax_weight = 1;
        rd->ans.slope_weight = 1;
        basetrim::plan_spectrum(rd->plan, rd->ans, rd->th, setup);
        ASSERT_EQ(39, rd->plan.nspec);
        ASSERT_TRUE(f.baseline_file.open(dir.file("base.txt"), "w"));
        ASSERT_TRUE(f.corrected_file.open(dir.file("corr.txt"), "w"));
        ASSERT_TRUE(f.srs_file.open(dir.file("srs.txt"), "w"));
        ASSERT_TRUE(f.coef_file.open(dir.file("coef.txt"), "w"));
        ASSERT_TRUE(f.trial_file.open(dir.file("temp_file.out"), "w"));
        // What the last trial left behind; the results must not use it.
        ts->baseline.assign(11, -5.0);
        ts->residual.assign(11, 99.0);
    }

    // Two trials; the second has the better measures and is chosen.
    void choose(const std::vector<knot>& chosen) {
        const std::vector<knot> other = {{0, 7}, {0.001, 7}};
        const std::vector<knot>* knots[2] = {&other, &chosen};
        for (int32_t t = 0; t < 2; ++t) {
            ts->trial = t;
            ts->dmax = 3 - t;
            ts->ave_slope = 6 - t;
            ts->nn = static_cast<int32_t>(knots[t]->size());
            for (int32_t k = 0; k < ts->nn; ++k) {
                ts->knot_t[k] = (*knots[t])[k].t;
                ts->knot_y[k] = (*knots[t])[k].y;
            }
            basetrim::write_trial_record(*ts);
            f.trial_file.drain(ts->block);
        }
        basetrim::read_trial_records(sel, f, 2, con);
        sel.peak_sym = {0.5, 0.25};
        basetrim::rank_trials(sel, rd->ans, con);
        ASSERT_EQ(1, sel.best_case);
        con.clear();
        ts->nn = 2;  // a stale baseline of the last trial
        ts->knot_y[0] = ts->knot_y[1] = 42;
        basetrim::write_results(*ts, sel, *rd, f, con);
    }

    // The spectrum file that the corrected series must give, and the
    // warnings its spectrum run prints.
    std::string spectrum_messages;
    std::string expected_srs(const std::vector<double>& corrected) {
        auto check = std::make_unique<trial_state>();
        check->residual = corrected;
        basetrim::spectrum_run(*check, rd->plan, rd->th.n);
        spectrum_messages = check->console.str();
        std::string srs;
        for (int32_t j = 0; j <= rd->plan.nspec; ++j)
            srs += format(" %12.5g \t %8.4g \t %8.4g \n", rd->plan.fn[j], check->xmax[j], std::fabs(check->xmin[j]));
        return srs;
    }
};

// The knot value 0.2000004 goes to the trial file as 0.2: the results are
// built from that, so the baseline halfway to it is 0.1, not 0.1000002.
TEST_F(result_files, are_built_from_the_knots_as_read_back) {
    choose({{0, 0}, {0.0004, 0.2000004}, {0.001, 0}});

    EXPECT_EQ("0.000000 0.000000 \n0.000400 0.200000 \n0.001000 0.000000 \n", read_file(dir.file("coef.txt")));
    EXPECT_EQ(3, ts->nn);
    EXPECT_EQ(" 0.0000000e+00 \t  0.0000000e+00 \n"
              " 1.0000000e-04 \t  5.0000000e-02 \n"
              " 2.0000000e-04 \t  1.0000000e-01 \n"
              " 3.0000000e-04 \t  1.5000000e-01 \n"
              " 4.0000000e-04 \t  2.0000000e-01 \n"
              " 5.0000000e-04 \t  1.6666667e-01 \n"
              " 6.0000000e-04 \t  1.3333333e-01 \n"
              " 7.0000000e-04 \t  1.0000000e-01 \n"
              " 8.0000000e-04 \t  6.6666667e-02 \n"
              " 9.0000000e-04 \t  3.3333333e-02 \n"
              " 1.0000000e-03 \t  0.0000000e+00 \n",
              read_file(dir.file("base.txt")));
    EXPECT_EQ(" 0.0000000e+00 \t  1.0000000e+00 \n"
              " 1.0000000e-04 \t  9.5000000e-01 \n"
              " 2.0000000e-04 \t  9.0000000e-01 \n"
              " 3.0000000e-04 \t  8.5000000e-01 \n"
              " 4.0000000e-04 \t  8.0000000e-01 \n"
              " 5.0000000e-04 \t  8.3333333e-01 \n"
              " 6.0000000e-04 \t  8.6666667e-01 \n"
              " 7.0000000e-04 \t  9.0000000e-01 \n"
              " 8.0000000e-04 \t  9.3333333e-01 \n"
              " 9.0000000e-04 \t  9.6666667e-01 \n"
              " 1.0000000e-03 \t  1.0000000e+00 \n",
              read_file(dir.file("corr.txt")));

    std::vector<double> corrected(11);
    for (int i = 0; i < 11; ++i) corrected[i] = 1.0 - ts->baseline[i];
    EXPECT_EQ(corrected, ts->residual);
    std::string srs = read_file(dir.file("srs.txt"));
    EXPECT_EQ(expected_srs(corrected), srs);
    EXPECT_EQ(40u, split_lines(srs).size());

    // Knot echo, the spectrum run's warnings (the lowest frequencies never
    // swing below zero in so short a record), best case, closing prompt.
    EXPECT_NE("", spectrum_messages);
    EXPECT_EQ("0.000000 0.000000 \n0.000400 0.200000 \n0.001000 0.000000 \n" + spectrum_messages +
                  "\n best case = 1  sum=       0  p=0  q=0\n"
                  "\n\n Calculation complete. \n Press any key to exit.",
              con.str());
    EXPECT_FALSE(f.input_file.is_open());
}

// Knots that end before the record: the samples after them get baseline 0,
// so their corrected value is the input, and the spectrum is taken of that
// series, not of what the working signal held before.
TEST_F(result_files, samples_outside_the_knots_keep_the_input) {
    choose({{0, 0}, {0.0004, 0.2}});

    std::vector<std::string> base = split_lines(read_file(dir.file("base.txt")));
    std::vector<std::string> corr = split_lines(read_file(dir.file("corr.txt")));
    ASSERT_EQ(11u, base.size());
    ASSERT_EQ(11u, corr.size());
    EXPECT_EQ(" 4.0000000e-04 \t  2.0000000e-01 ", base[4]);
    EXPECT_EQ(" 4.0000000e-04 \t  8.0000000e-01 ", corr[4]);
    for (int i = 5; i <= 10; ++i) {
        EXPECT_EQ(format("%14.7e \t %14.7e ", i * 1e-4, 0.0), base[i]);
        EXPECT_EQ(format("%14.7e \t %14.7e ", i * 1e-4, 1.0), corr[i]);
    }
    std::vector<double> corrected(11, 1.0);
    for (int i = 0; i <= 4; ++i) corrected[i] = 1.0 - ts->baseline[i];
    EXPECT_EQ(corrected, ts->residual);
    std::string srs = read_file(dir.file("srs.txt"));
    EXPECT_EQ(expected_srs(corrected), srs);
    for (const std::string& line : split_lines(srs)) EXPECT_EQ(std::string::npos, line.rfind('-')) << line;
    EXPECT_EQ("0.000000 0.000000 \n0.000400 0.200000 \n" + spectrum_messages +
                  "\n best case = 1  sum=       0  p=0  q=0\n"
                  "\n\n Calculation complete. \n Press any key to exit.",
              con.str());
}

}  // namespace

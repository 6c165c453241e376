// The report's numbers from a whole run of basetrim on the shipped example,
// and the checks that the files belong together.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "input/header.h"
#include "input/samples.h"
#include "report/answers_file.h"
#include "report/gather.h"
#include "report/numbers.h"
#include "report_support.h"
#include "spectrum/spectrum.h"
#include "support/harness.h"

namespace {

using namespace basetrim;
using namespace basetrim::report;
using basetrim_test::read_file;
using basetrim_test::split_lines;
using basetrim_test::write_file;

// One run of the example, shared by the tests; each test that changes a
// file works on a copy.
class example_run : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new basetrim_test::temp_dir("example");
        status_ = report_test::run_example(dir_->path());
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    // The answers file of the run, with its names in folder `dir`.
    static report_request request(const std::string& dir) {
        report_request req;
        read_answers_file(dir + "/answers.txt", req);
        for (std::string* name : {&req.ans.input_name, &req.ans.baseline_name, &req.ans.corrected_name,
                                  &req.ans.srs_name, &req.ans.coef_name})
            *name = dir + "/" + *name;
        return req;
    }

    // A copy of the run in a folder of its own.
    std::unique_ptr<basetrim_test::temp_dir> copy() {
        auto c = std::make_unique<basetrim_test::temp_dir>("copy");
        for (const auto& e : std::filesystem::directory_iterator(dir_->path()))
            std::filesystem::copy_file(e.path(), c->file(e.path().filename().string()));
        return c;
    }

    // The error that gathering the copy `dir` gives.
    static std::string error_of(const std::string& dir) {
        try {
            gather_report(request(dir));
        } catch (const report_error& e) {
            return e.what();
        }
        return "(no error)";
    }

    static basetrim_test::temp_dir* dir_;
    static int status_;
};

basetrim_test::temp_dir* example_run::dir_ = nullptr;
int example_run::status_ = -1;

TEST_F(example_run, reads_the_whole_run) {
    ASSERT_EQ(97, status_);
    const report_data d = gather_report(request(dir_->path()));
    EXPECT_EQ(8000, d.th.n);
    EXPECT_EQ(8000u, d.baseline.size());
    EXPECT_EQ(8000u, d.corrected.size());
    EXPECT_EQ(d.th.xa, d.time);
    EXPECT_EQ("", d.time_note);
    EXPECT_EQ(split_lines(read_file(dir_->file("coef.txt"))).size(), d.knot_t.size());
    ASSERT_TRUE(d.plan);
    EXPECT_EQ(45, d.plan->nspec);  // 20,000 samples per second: grid up to 1810 Hz
    EXPECT_TRUE(d.before.ok) << d.before.messages;
    EXPECT_TRUE(d.after.ok) << d.after.messages;
    EXPECT_EQ(46u, d.srs_pos.size());
    EXPECT_LE(d.srs_difference, 1e-3);
    EXPECT_EQ("", d.srs_note);
}

TEST_F(example_run, before_is_the_spectrum_run_of_the_record) {
    const report_data d = gather_report(request(dir_->path()));
    // The record and the grid as basetrim sets them up, and one spectrum run.
    text_in in;
    ASSERT_TRUE(in.open(dir_->file("shock.txt")));
    out_text sink;
    time_history th;
    read_samples(th, in, sink, count_header_lines(in, sink));
    auto plan = std::make_unique<spectrum_plan>();
    plan_spectrum(*plan, d.req.ans, th, sink);
    auto ts = std::make_unique<trial_state>();
    ts->residual = th.amp_in;
    spectrum_run(*ts, *plan, th.n);
    EXPECT_EQ(ts->dmax, d.before.dmax);
    EXPECT_EQ(ts->ave_slope, d.before.ave_slope);
    for (int32_t j = 0; j <= plan->nspec; ++j) EXPECT_EQ(ts->xmax[j], d.before.pos[j]);
}

TEST_F(example_run, after_matches_the_chosen_trial_of_the_run) {
    const report_data d = gather_report(request(dir_->path()));
    // basetrim recorded the chosen trial's measures in temp_file.out (4
    // digits); its slot is the best case of the transcript.
    const std::string transcript = read_file(dir_->file("transcript.txt"));
    const size_t at = transcript.find("best case = ");
    ASSERT_NE(std::string::npos, at);
    const int best = std::stoi(transcript.substr(at + 12));
    const std::vector<std::string> lines = split_lines(read_file(dir_->file("temp_file.out")));
    int slot = -1;
    double dmax = -1, slope = -1;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].find('c') != std::string::npos && ++slot == best) {
            std::sscanf(lines[i + 1].c_str(), "%*d %lf %lf", &dmax, &slope);
            break;
        }
    ASSERT_EQ(best, slot);
    EXPECT_NEAR(dmax, d.after.dmax, 2e-3 * dmax);
    EXPECT_NEAR(slope, d.after.ave_slope, 2e-3 * slope);
    // The correction is what the run was for: a smaller dmax, and a velocity
    // that comes back to rest instead of drifting.
    EXPECT_LT(d.after.dmax, d.before.dmax);
    EXPECT_GT(std::fabs(d.vel_before.back()), 1.0);
    EXPECT_LT(std::fabs(d.vel_after.back()), 0.05 * std::fabs(d.vel_before.back()));
}

TEST_F(example_run, velocity_is_the_integral_of_the_time_axis) {
    const report_data d = gather_report(request(dir_->path()));
    EXPECT_EQ(velocity(d.time, d.th.amp_in), d.vel_before);
    EXPECT_EQ(velocity(d.time, d.corrected), d.vel_after);
}

// Drops the last line of a file.
void drop_last_line(const std::string& path) {
    std::string text = read_file(path);
    text.erase(text.rfind('\n', text.size() - 2) + 1);
    write_file(path, text);
}

// Replaces the first occurrence of `from` in a file.
void replace_in(const std::string& path, const std::string& from, const std::string& to) {
    std::string text = read_file(path);
    size_t at = text.find(from);
    ASSERT_NE(std::string::npos, at) << from;
    text.replace(at, from.size(), to);
    write_file(path, text);
}

TEST_F(example_run, files_of_another_record_are_refused) {
    {
        auto c = copy();
        drop_last_line(c->file("corr.txt"));
        EXPECT_EQ(c->file("corr.txt") + ": 7999 samples, the record has 8000; the result files are not from this record",
                  error_of(c->path()));
    }
    {
        auto c = copy();
        replace_in(c->file("base.txt"), " 1.0000000e-04 \t", " 1.0000100e-04 \t");
        EXPECT_EQ(c->file("base.txt") +
                      ": sample 3 has the time 0.000100001, the record 0.0001; the result files are not from this record",
                  error_of(c->path()));
    }
    {
        auto c = copy();
        replace_in(c->file("corr.txt"), "-7.8072450e-02", "-7.8072460e-02");
        EXPECT_EQ(c->file("corr.txt") +
                      ": sample 2: baseline 0 plus corrected value -0.07807246 is not the record's -0.07807245; "
                      "the result files are not from this record",
                  error_of(c->path()));
    }
    {
        auto c = copy();
        drop_last_line(c->file("srs.txt"));
        EXPECT_EQ(c->file("srs.txt") +
                      ": 45 frequencies, the grid of the record has 46; the result files are not from this record",
                  error_of(c->path()));
    }
    {
        auto c = copy();
        replace_in(c->file("srs.txt"), "       11.225 \t", "       11.5 \t");
        EXPECT_EQ(c->file("srs.txt") +
                      ": frequency 2 is 11.5 Hz, the grid's 11.22462 Hz; the result files are not from this record",
                  error_of(c->path()));
    }
}

TEST_F(example_run, unfinished_or_missing_files_are_named) {
    {
        auto c = copy();
        write_file(c->file("coef.txt"), "");
        EXPECT_EQ(c->file("coef.txt") + ": empty: the run did not finish", error_of(c->path()));
    }
    {
        auto c = copy();
        write_file(c->file("base.txt"), "");
        EXPECT_EQ(c->file("base.txt") + ": empty: the run did not finish", error_of(c->path()));
    }
    {
        auto c = copy();
        std::filesystem::remove(c->file("shock.txt"));
        EXPECT_EQ(c->file("shock.txt") + ": cannot open the record (No such file or directory)", error_of(c->path()));
    }
    {
        auto c = copy();
        replace_in(c->file("corr.txt"), "-7.8072450e-02", "-7.8O72450e-02");
        EXPECT_EQ(c->file("corr.txt") +
                      " line 2: expected 2 numbers (time and corrected value), found \"5.0000000e-05 \t -7.8O72450e-02\"",
                  error_of(c->path()));
    }
    {
        auto c = copy();
        replace_in(c->file("shock.txt"), "5.00000000e-05, -7.807245e-02", "5.00000000e-05, (");
        EXPECT_EQ("line 4 of the input file " + c->file("shock.txt") +
                      " does not hold a time and an amplitude: \"5.00000000e-05, (\"",
                  error_of(c->path()));
    }
}

TEST_F(example_run, empty_spectrum_file_is_a_note) {
    auto c = copy();
    write_file(c->file("srs.txt"), "");
    const report_data d = gather_report(request(c->path()));
    EXPECT_EQ(c->file("srs.txt") + " is empty: basetrim stopped before writing the spectrum of the corrected record.",
              d.srs_note);
    EXPECT_EQ(-1, d.srs_difference);
    EXPECT_TRUE(d.after.ok);
}

TEST_F(example_run, spectrum_file_of_another_run_is_a_note) {
    auto c = copy();
    replace_in(c->file("srs.txt"), "    1.514 \t", "    1.714 \t");
    const report_data d = gather_report(request(c->path()));
    EXPECT_NEAR(0.2 / 1.514, d.srs_difference, 2e-3);
    EXPECT_EQ(0u, d.srs_note.find(c->file("srs.txt") + " differs from the spectrum of " + c->file("corr.txt") +
                                  " by up to 13.")) << d.srs_note;
}

TEST_F(example_run, reference_band_above_the_grid_leaves_no_spectra) {
    report_request req = request(dir_->path());
    req.ans.ref_freq[0] = 50000;
    req.ans.ref_freq[1] = 60000;
    const report_data d = gather_report(req);
    EXPECT_FALSE(d.plan);
    EXPECT_NE("", d.plan_message);
    EXPECT_FALSE(d.before.ok);
    EXPECT_FALSE(d.after.ok);
    EXPECT_EQ(d.plan_message, d.before.messages);
}

TEST(stop_message, takes_the_stop_line_or_the_last_line) {
    EXPECT_EQ("line 3 holds no number", stop_message("\n 2 header lines \n\n Stop: line 3 holds no number \n"));
    EXPECT_EQ("xmax[6]= 0", stop_message("\n Warning: 10 0 0 \n\n xmax[6]=        0\n"));
    EXPECT_EQ("", stop_message("  \n\n"));
    EXPECT_EQ("a b", one_line("\n a \t\r\n b  \n"));
}

}  // namespace

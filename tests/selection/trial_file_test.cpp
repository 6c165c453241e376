// The trial record file: the block each trial writes, reading the records
// back, and fetching the chosen record's knots.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "selection/selection.h"
#include "support/harness.h"

namespace {

using basetrim::out_text;
using basetrim::run_files;
using basetrim::run_stop;
using basetrim::selection;
using basetrim::trial_state;
using basetrim_test::read_file;
using basetrim_test::temp_dir;

constexpr double inf = std::numeric_limits<double>::infinity();

struct knot {
    double t, y;
};

// ---------------------------------------------------------------- writing

struct write_case {
    const char* name;
    int32_t trial;
    double dmax, slope;
    std::vector<knot> knots;
    const char* block;    // what goes to the trial file
    const char* console;  // what goes to the console
    double dmax_after, slope_after;
};

void PrintTo(const write_case& c, std::ostream* os) { *os << c.name; }

const write_case write_cases[] = {
    {"slope_of_exactly_100000_is_recorded", 3, 1.23456, 100000, {{0.123456789, -0.0}, {1e-7, 12345678}},
     "case \n"
     "3 \t    1.235 \t    1e+05 \t 2 \n"
     "     0.123457 \t           -0 \n"
     "        1e-07 \t  1.23457e+07 \n",
     "", 1.23456, 100000},
    {"slope_above_100000_is_rejected_but_its_knots_written", 3, 1.23456, 100000.5,
     {{0.123456789, -0.0}, {1e-7, 12345678}},
     "     0.123457 \t           -0 \n"
     "        1e-07 \t  1.23457e+07 \n",
     "\n Warning:  ave_slope \n"
     "3 \t    1.235 \t    1e+05 \t 2 \n",
     1.23456, 100000.5},
    {"negative_measures_are_recorded_as_magnitudes", 0, -2.5, -7, {{0, 1}},
     "case \n"
     "0 \t      2.5 \t        7 \t 1 \n"
     "            0 \t            1 \n",
     "", 2.5, 7},
    {"negative_slope_beyond_100000_is_rejected", 12, 4, -100000.5, {{0, 1}},
     "            0 \t            1 \n",
     "\n Warning:  ave_slope \n"
     "12 \t        4 \t    1e+05 \t 1 \n",
     4, 100000.5},
    {"infinite_slope_is_rejected", 7, 0.001234567, inf, {{2.5, -3.25}},
     "          2.5 \t        -3.25 \n",
     "\n Warning:  ave_slope \n"
     "7 \t 0.001235 \t      inf \t 1 \n",
     0.001234567, inf},
    {"slope_that_is_not_a_number_is_rejected", 7, 1, std::numeric_limits<double>::quiet_NaN(), {},
     "",
     "\n Warning:  ave_slope \n"
     "7 \t        1 \t      nan \t 0 \n",
     1, std::numeric_limits<double>::quiet_NaN()},
    {"trial_without_knots_writes_the_record_alone", 99999, 55555.55, 0, {},
     "case \n"
     "99999 \t 5.556e+04 \t        0 \t 0 \n",
     "", 55555.55, 0},
};

class write_trial_record_cases : public ::testing::TestWithParam<write_case> {};

TEST_P(write_trial_record_cases, writes_the_block) {
    const write_case& c = GetParam();
    auto ts = std::make_unique<trial_state>();
    ts->trial = c.trial;
    ts->dmax = c.dmax;
    ts->ave_slope = c.slope;
    ts->nn = static_cast<int32_t>(c.knots.size());
    for (size_t k = 0; k < c.knots.size(); ++k) {
        ts->knot_t[k] = c.knots[k].t;
        ts->knot_y[k] = c.knots[k].y;
    }
    basetrim::write_trial_record(*ts);
    EXPECT_EQ(c.block, ts->block.str());
    EXPECT_EQ(c.console, ts->console.str());
    EXPECT_EQ(c.dmax_after, ts->dmax);
    if (std::isnan(c.slope_after))
        EXPECT_TRUE(std::isnan(ts->ave_slope) && !std::signbit(ts->ave_slope));
    else
        EXPECT_EQ(c.slope_after, ts->ave_slope);
}

INSTANTIATE_TEST_SUITE_P(block, write_trial_record_cases, ::testing::ValuesIn(write_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------ reading, fetching

class trial_file : public ::testing::Test {
protected:
    temp_dir dir{"trial_file"};
    run_files f;
    selection sel;
    std::unique_ptr<trial_state> ts = std::make_unique<trial_state>();
    out_text con;

    std::string path() const { return dir.file("temp_file.out"); }

    void write(const std::string& text) {
        ASSERT_TRUE(f.trial_file.open(path(), "w"));
        f.trial_file.write(text);
    }
    void read(int32_t ntrials) { basetrim::read_trial_records(sel, f, ntrials, con); }
    // Fetches slot `best` and returns the coefficient file it wrote.
    std::string fetch(int32_t best) {
        sel.best_case = best;
        EXPECT_TRUE(f.coef_file.open(dir.file("coef.txt"), "w"));
        basetrim::fetch_chosen_knots(*ts, sel, f, con);
        EXPECT_TRUE(f.coef_file.close());
        return read_file(dir.file("coef.txt"));
    }
    std::vector<knot> knots() const {
        std::vector<knot> k;
        for (int32_t j = 0; j < ts->nn; ++j) k.push_back({ts->knot_t[j], ts->knot_y[j]});
        return k;
    }
    // The console text of a step that must stop the run.
    std::string stop_text(const std::function<void()>& step) {
        try {
            step();
            ADD_FAILURE() << "the run did not stop";
        } catch (const run_stop& stop) {
            EXPECT_EQ(1, stop.status);
        }
        return con.str();
    }
};

bool operator==(const knot& a, const knot& b) { return a.t == b.t && a.y == b.y; }
std::ostream& operator<<(std::ostream& o, const knot& k) { return o << "(" << k.t << ", " << k.y << ")"; }

// Two records with rejected trials' knot lines before, between and after
// them, as the trial loop leaves them.
const char* const with_rejected_blocks =
    "            1 \t            1 \n"  // trial 0, rejected
    "case \n"
    "1 \t      2.5 \t     10.5 \t 2 \n"
    "            0 \t            1 \n"
    "          0.5 \t            2 \n"
    "          0.1 \t          0.7 \n"  // trial 2, rejected
    "          0.2 \t          0.8 \n"
    "          0.3 \t          0.9 \n"
    "case \n"
    "3 \t      1.5 \t     20.5 \t 3 \n"
    "            0 \t            4 \n"
    "         0.25 \t            5 \n"
    "          0.5 \t            6 \n"
    "          0.4 \t            7 \n";  // trial 4, rejected

TEST_F(trial_file, records_between_rejected_blocks_land_in_consecutive_slots) {
    write(with_rejected_blocks);
    read(5);
    EXPECT_EQ((std::vector<int32_t>{1, 3}), sel.rec_trial);
    EXPECT_EQ((std::vector<double>{2.5, 1.5}), sel.rec_dmax);
    EXPECT_EQ((std::vector<double>{10.5, 20.5}), sel.rec_slope);
    EXPECT_EQ(3, sel.rec_nn);
    EXPECT_EQ("", con.str());
}

TEST_F(trial_file, fetch_reads_only_the_lines_after_the_chosen_record) {
    write(with_rejected_blocks);
    read(5);
    EXPECT_EQ("0.000000 4.000000 \n0.250000 5.000000 \n0.500000 6.000000 \n", fetch(1));
    EXPECT_EQ((std::vector<knot>{{0, 4}, {0.25, 5}, {0.5, 6}}), knots());
    EXPECT_EQ(3, ts->nn);
    EXPECT_EQ("0.000000 4.000000 \n0.250000 5.000000 \n0.500000 6.000000 \n", con.str());
    EXPECT_EQ(2u, sel.rec_dmax.size()) << "the fetch adds no records";
}

TEST_F(trial_file, fetch_of_slot_0_reads_the_first_record_after_leading_knot_lines) {
    write(with_rejected_blocks);
    read(5);
    ts->nn = 77;
    EXPECT_EQ("0.000000 1.000000 \n0.500000 2.000000 \n", fetch(0));
    EXPECT_EQ((std::vector<knot>{{0, 1}, {0.5, 2}}), knots());
    EXPECT_EQ(2, ts->nn) << "the knot count of the chosen record, not of the record read last";
}

TEST_F(trial_file, knot_lines_of_other_records_are_not_parsed_by_the_fetch) {
    write("case \n0 \t 1 \t 2 \t 2 \n zz \t zz \n zz \t zz \ncase \n1 \t 3 \t 4 \t 1 \n 0.5 \t 0.25 \n");
    read(2);
    EXPECT_EQ("0.500000 0.250000 \n", fetch(1));
}

TEST_F(trial_file, empty_file_gives_no_record) {
    write("");
    read(4);
    EXPECT_TRUE(sel.rec_dmax.empty());
    EXPECT_TRUE(sel.rec_slope.empty());
    EXPECT_EQ("", con.str());
}

// Measures come back in 4 significant digits and knots in 6, so trials that
// differ only beyond that tie in the ranking and the results use the
// rounded knots.
TEST_F(trial_file, written_records_read_back_rounded) {
    struct trial_values {
        double dmax, slope;
        std::vector<knot> knots;
    };
    const trial_values trials[] = {
        {1.23454, 10.00004, {{0.1234564, 1.0000004}, {0.5, 2.71828182846}}},
        {1.23456, 10.00049, {{0, 0}, {0.5, 1}}},
        {0.5, 3, {{0, 0}, {0.25, 1}, {0.5, 2}}},
    };
    ASSERT_TRUE(f.trial_file.open(path(), "w"));
    for (int32_t t = 0; t < 3; ++t) {
        ts->trial = t;
        ts->dmax = trials[t].dmax;
        ts->ave_slope = trials[t].slope;
        ts->nn = static_cast<int32_t>(trials[t].knots.size());
        for (int32_t k = 0; k < ts->nn; ++k) {
            ts->knot_t[k] = trials[t].knots[k].t;
            ts->knot_y[k] = trials[t].knots[k].y;
        }
        basetrim::write_trial_record(*ts);
        f.trial_file.drain(ts->block);
    }
    read(3);
    sel.peak_sym = {0, 0, 0};
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2}), sel.rec_trial);
    EXPECT_EQ((std::vector<double>{1.235, 1.235, 0.5}), sel.rec_dmax);
    EXPECT_EQ((std::vector<double>{10, 10, 3}), sel.rec_slope);
    EXPECT_EQ(3, sel.rec_nn);

    // Exact values would rank slot 0 before slot 1 on dmax (p = 1, 2, 0);
    // the rounded ones tie, and the exchange order puts slot 1 first.
    basetrim::answers ans;
    ans.dmax_weight = 1;
    ans.slope_weight = 0;
    basetrim::rank_trials(sel, ans, con);
    EXPECT_EQ((std::vector<uint32_t>{2, 1, 0}), sel.p);
    con.clear();

    EXPECT_EQ("0.123456 1.000000 \n0.500000 2.718280 \n", fetch(0));
    EXPECT_EQ((std::vector<knot>{{0.123456, 1}, {0.5, 2.71828}}), knots());
    EXPECT_EQ(2, ts->nn);
}

// Variants of one file that must read the same: line ends with a carriage
// return, and any line holding a "c" as the marker.
struct layout_case {
    const char* name;
    std::function<std::string(const std::string&)> change;
};

std::string replace_all(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

const layout_case layout_cases[] = {
    {"line_feed", [](const std::string& s) { return s; }},
    {"carriage_return_line_feed", [](const std::string& s) { return replace_all(s, "\n", "\r\n"); }},
    {"bare_c_marker", [](const std::string& s) { return replace_all(s, "case \n", "c\n"); }},
    {"marker_with_other_text", [](const std::string& s) { return replace_all(s, "case \n", "next case follows\n"); }},
};

void PrintTo(const layout_case& c, std::ostream* os) { *os << c.name; }

class trial_file_layout : public trial_file, public ::testing::WithParamInterface<layout_case> {};

TEST_P(trial_file_layout, reads_and_fetches_the_same) {
    write(GetParam().change(with_rejected_blocks));
    read(5);
    EXPECT_EQ((std::vector<int32_t>{1, 3}), sel.rec_trial);
    EXPECT_EQ((std::vector<double>{2.5, 1.5}), sel.rec_dmax);
    EXPECT_EQ((std::vector<double>{10.5, 20.5}), sel.rec_slope);
    EXPECT_EQ(3, sel.rec_nn);
    EXPECT_EQ("0.000000 4.000000 \n0.250000 5.000000 \n0.500000 6.000000 \n", fetch(1));
    EXPECT_EQ((std::vector<knot>{{0, 4}, {0.25, 5}, {0.5, 6}}), knots());
}

INSTANTIATE_TEST_SUITE_P(variants, trial_file_layout, ::testing::ValuesIn(layout_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(trial_file, chosen_record_without_knots_fetches_none) {
    write("case \n0 \t 1 \t 2 \t 0 \ncase \n1 \t 1 \t 2 \t -3 \n 5 \t 5 \ncase \n2 \t 1 \t 2 \t 1 \n 7 \t 8 \n");
    read(3);
    EXPECT_EQ("", fetch(0));
    EXPECT_EQ(0, ts->nn);
    EXPECT_EQ("", fetch(1));
    EXPECT_EQ(-3, ts->nn);
    EXPECT_EQ("7.000000 8.000000 \n", fetch(2));
    EXPECT_EQ("7.000000 8.000000 \n", con.str());
}

// ------------------------------------------------------------------ stops

struct stop_case {
    const char* name;
    const char* text;   // the trial file
    int32_t ntrials;
    int32_t fetch;        // slot to fetch after reading, or -1 to read only
    const char* echoed;   // knot pairs echoed before the stop
    const char* message;  // "@" stands for the trial file's path
};

void PrintTo(const stop_case& c, std::ostream* os) { *os << c.name; }

const char* const two_records =
    "case \n0 \t 1 \t 2 \t 1 \n 0 \t 1 \n"
    "case \n1 \t 3 \t 4 \t 1 \n 0 \t 2 \n";

const stop_case stop_cases[] = {
    {"record_field_not_a_number", "case \n0 \t abc \t 1 \t 2 \n", 3, -1, "", "record 1 of the trial file @ does not parse"},
    {"record_cut_short_at_the_end", "case \n0 \t 1.5 \t", 3, -1, "", "record 1 of the trial file @ does not parse"},
    {"trial_number_not_whole", "case \n0.5 \t 1 \t 2 \t 2 \n", 3, -1, "", "record 1 of the trial file @ does not parse"},
    {"second_record_broken", "case \n0 \t 1 \t 2 \t 0 \ncase \n1 \t 2 \t x3 \t 0 \n", 3, -1,
     "", "record 2 of the trial file @ does not parse"},
    {"more_records_than_trials", two_records, 1, -1, "", "the trial file @ holds more records than the 1 trials run"},
    {"file_ends_before_the_chosen_record", two_records, 2, 2, "", "the trial file @ ends before record 3"},
    {"file_ends_inside_the_knots", "case \n0 \t 1 \t 2 \t 3 \n 0 \t 1 \n 1 \t 1 \n", 2, 0,
     "0.000000 1.000000 \n1.000000 1.000000 \n", "knot 3 of record 1 in the trial file @ is missing or does not parse"},
    {"next_marker_inside_the_knots", "case \n0 \t 1 \t 2 \t 3 \n 0 \t 1 \ncase \n1 \t 1 \t 2 \t 0 \n", 2, 0,
     "0.000000 1.000000 \n", "knot 2 of record 1 in the trial file @ is missing or does not parse"},
    {"knot_value_not_a_number", "case \n0 \t 1 \t 2 \t 2 \n 0 \t zz \n 1 \t 1 \n", 2, 0,
     "", "knot 1 of record 1 in the trial file @ is missing or does not parse"},
    {"more_knots_than_a_trial_can_have", "case \n0 \t 1 \t 2 \t 1001 \n", 2, 0,
     "", "record 1 of the trial file @ has 1001 knots; at most 1000 are possible"},
};

class trial_file_stop : public trial_file, public ::testing::WithParamInterface<stop_case> {};

TEST_P(trial_file_stop, stops_with_a_message) {
    const stop_case& c = GetParam();
    write(c.text);
    std::string text = stop_text([&] {
        read(c.ntrials);
        if (c.fetch >= 0) {
            EXPECT_EQ("", con.str()) << "reading stopped already";
            fetch(c.fetch);
        }
    });
    EXPECT_EQ(c.echoed + ("\n Stop: " + replace_all(c.message, "@", path()) + " \n"), text);
}

INSTANTIATE_TEST_SUITE_P(broken, trial_file_stop, ::testing::ValuesIn(stop_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(trial_file, stops_when_the_file_cannot_be_reopened) {
    write(two_records);
    ASSERT_EQ(0, unlink(path().c_str()));
    EXPECT_EQ("\n Stop: cannot reopen the trial file " + path() + " (No such file or directory) \n",
              stop_text([&] { read(2); }));
}

TEST_F(trial_file, stops_when_the_records_cannot_be_written) {
    ASSERT_TRUE(f.trial_file.open("/dev/full", "w"));
    f.trial_file.write(two_records);
    EXPECT_EQ("\n Stop: cannot write the trial file /dev/full (No space left on device) \n",
              stop_text([&] { read(2); }));
}

}  // namespace

// Whole runs through the console dialogue: the order of the prompts, answer
// layouts, the bounds on the answers, the stops on answers that are wrong
// or missing, the discarded draws, the progress lines and the final key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/whole_run.h"

namespace {

bool digits(const std::string& s, size_t from, size_t count) {
    if (from + count > s.size()) return false;
    for (size_t k = from; k < from + count; ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    return true;
}

// "Www Mmm DD HH:MM:SS YYYY\n" with English day and month names.
bool is_date_line(const std::string& s) {
    const std::string days = "Sun Mon Tue Wed Thu Fri Sat ", months = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec ";
    if (s.size() != 25 || s[3] != ' ' || s[7] != ' ' || s[10] != ' ' || s[13] != ':' || s[16] != ':' || s[19] != ' ' ||
        s[24] != '\n')
        return false;
    if (days.find(s.substr(0, 4)) % 4 != 0 || days.find(s.substr(0, 4)) == std::string::npos) return false;
    if (months.find(s.substr(4, 4)) == std::string::npos || months.find(s.substr(4, 4)) % 4 != 0) return false;
    return digits(s, 8, 2) && digits(s, 11, 2) && digits(s, 14, 2) && digits(s, 17, 2) && digits(s, 20, 4);
}

// " N  S sec": the trial number N and the elapsed seconds S.
bool is_progress_line(const std::string& line, std::string& number) {
    const std::string tail = " sec";
    if (line.size() < 8 || line[0] != ' ' || line.compare(line.size() - tail.size(), tail.size(), tail) != 0) return false;
    const size_t gap = line.find("  ", 1);
    if (gap == std::string::npos || gap == 1 || !digits(line, 1, gap - 1)) return false;
    const size_t secs = line.size() - tail.size() - (gap + 2);
    if (secs == 0 || !digits(line, gap + 2, secs)) return false;
    number = line.substr(1, gap - 1);
    return true;
}


using namespace whole_run;

const char* const result_files[] = {"base.txt", "corr.txt", "srs.txt", "coef.txt", "temp_file.out"};

// Every prompt printed, each after the one before it.
void expect_prompts_in_order(const std::string& out) {
    size_t at = 0;
    for (int k = 0; k < a_key; ++k) {
        if (k == a_amp1 || k == a_amp2) continue;  // one prompt asks for both numbers of a coordinate
        size_t found = out.find(prompts[k].printed, at);
        ASSERT_NE(std::string::npos, found) << "prompt for " << prompts[k].name << " missing or out of order";
        at = found + 1;
    }
}

TEST(dialogue_run, complete_run_prints_the_dialogue_in_order) {
    run_dir d("dialogue_order");
    run_result r = d.run(default_tokens());
    EXPECT_EQ(97, r.status);
    EXPECT_EQ("", r.err);
    expect_prompts_in_order(r.out);

    EXPECT_EQ(0u, r.out.find("\n basetrim, ver 2.0, June 12, 2008\n")) << r.out.substr(0, 80);
    // From the coefficient prompt to the first coordinate: the weights, the
    // header count, the time base (1000 samples 0.0000 .. 0.0999 s), the
    // trial count and the arbitrary integer.
    EXPECT_NE(std::string::npos,
              r.out.find("\n Enter coefficient filename \n"
                         "\n\n Enter dmax weight \n"
                         "\n\n Enter slope weight \n"
                         "\n"
                         "\n 0 header lines detected \n\n"
                         "\n R2 xone =        0  xa[0]=       0 \n"
                         "\n delta t = 0.000100 "
                         "\n n = 1000 \n"
                         "\n\n Enter the number of trials \n"
                         "\n\n Enter arbitrary integer. \n"
                         "\n\n"
                         "\n Enter first coordinate \n"
                         "\n Enter second coordinate \n"));
    const std::string tail =
        "\n ntrials=2 \n"
        "\n Enter the maximum exponent\n"
        "\n Enter the maximum number of points for curve-fit\n"
        "\n\n Current time and date: \n"
        "   ";
    const size_t at = r.out.find(tail);
    ASSERT_NE(std::string::npos, at);
    EXPECT_TRUE(is_date_line(r.out.substr(at + tail.size(), 25))) << r.out.substr(at + tail.size(), 25);
    EXPECT_TRUE(ends_with(r.out, "\n\n Calculation complete. \n Press any key to exit.")) << r.out.substr(r.out.size() - 80);
    EXPECT_EQ("", final_stop(r.out));
}

// Layouts of the same answers, and answers that must not change the run.
struct layout_case {
    const char* what;
    std::string answers;
};

void PrintTo(const layout_case& c, std::ostream* os) { *os << c.what; }

class answer_layouts : public ::testing::TestWithParam<layout_case> {};

std::vector<std::string> with(std::vector<std::string> tokens, int index, const std::string& value) {
    tokens[index] = value;
    return tokens;
}

TEST_P(answer_layouts, drive_the_same_run) {
    run_dir ref_dir("layout_ref"), alt_dir("layout_alt");
    run_result ref = ref_dir.run(default_tokens());
    run_result alt = alt_dir.run_text(GetParam().answers);
    ASSERT_EQ(97, ref.status);
    EXPECT_EQ(ref.status, alt.status) << GetParam().what;
    EXPECT_EQ(mask_transcript(ref.out), mask_transcript(alt.out)) << GetParam().what;
    for (const char* name : result_files)
        EXPECT_TRUE(read_file(ref_dir.file(name)) == read_file(alt_dir.file(name))) << GetParam().what << ": " << name;
    EXPECT_FALSE(read_file(ref_dir.file("coef.txt")).empty());
}

INSTANTIATE_TEST_SUITE_P(
    answers, answer_layouts,
    ::testing::Values(layout_case{"all on one line", join(default_tokens(), " ")},
                      layout_case{"tabs and runs of blanks", "  " + join(default_tokens(), " \t  ")},
                      layout_case{"empty lines between", "\n\n" + join(default_tokens(), "\n\n\n")},
                      layout_case{"carriage returns", join(default_tokens(), "\r\n")},
                      layout_case{"coordinates as pairs, rest grouped",
                                  "in.txt base.txt corr.txt\nsrs.txt\tcoef.txt 1\n1 2 0\n20 10\n200 100\n0.5 40\na\n"},
                      layout_case{"maximum exponent 7", join(with(default_tokens(), a_max_exponent, "7"))},
                      layout_case{"maximum exponent -3.5", join(with(default_tokens(), a_max_exponent, "-3.5"))}));

// The knot count of the first trial shows the maximum number of points the
// run works with: with the arbitrary integer 0 the first trial's first draw
// is 18467.
struct points_case {
    const char* answer;
    int first_nn;
};

void PrintTo(const points_case& c, std::ostream* os) { *os << c.answer; }

class max_points_answers : public ::testing::TestWithParam<points_case> {};

TEST_P(max_points_answers, bound_the_knot_count) {
    run_dir d("max_points");
    run_result r = d.run(with(default_tokens(), a_max_points, GetParam().answer));
    ASSERT_EQ(97, r.status) << r.out.substr(r.out.size() > 400 ? r.out.size() - 400 : 0);
    std::vector<int> nn = record_knot_counts(read_file(d.file("temp_file.out")));
    ASSERT_EQ(2u, nn.size());
    EXPECT_EQ(GetParam().first_nn, nn[0]) << "maximum " << GetParam().answer;
}

INSTANTIATE_TEST_SUITE_P(answers, max_points_answers,
                         ::testing::Values(points_case{"-7", knot_count(18467, 22)},
                                           points_case{"5", knot_count(18467, 22)},
                                           points_case{"21", knot_count(18467, 22)},
                                           points_case{"22", knot_count(18467, 22)},
                                           points_case{"23", knot_count(18467, 23)},
                                           points_case{"40", knot_count(18467, 40)},
                                           points_case{"1000", knot_count(18467, 1000)}));

TEST(max_points_answers, below_22_runs_as_22) {
    EXPECT_EQ(21, knot_count(18467, 22));  // the test's own rule, by hand: 18467 * 2 / 32767 = 1.13
    run_dir d22("points22"), d5("points5"), d21("points21");
    run_result r22 = d22.run(with(default_tokens(), a_max_points, "22"));
    run_result r5 = d5.run(with(default_tokens(), a_max_points, "5"));
    run_result r21 = d21.run(with(default_tokens(), a_max_points, "21"));
    ASSERT_EQ(97, r22.status);
    EXPECT_EQ(mask_transcript(r22.out), mask_transcript(r5.out));
    EXPECT_EQ(mask_transcript(r22.out), mask_transcript(r21.out));
    for (const char* name : result_files) {
        EXPECT_TRUE(read_file(d22.file(name)) == read_file(d5.file(name))) << name;
        EXPECT_TRUE(read_file(d22.file(name)) == read_file(d21.file(name))) << name;
    }
    EXPECT_EQ(std::string::npos, r5.out.find("Stop")) << "raised without a message";
}

// The arbitrary integer: the first trial's knot count, with the maximum
// 1000, shows which draw the first trial started from.
struct seed_case {
    const char* answer;
    int32_t first_draw;
};

void PrintTo(const seed_case& c, std::ostream* os) { *os << c.answer; }

class arbitrary_integers : public ::testing::TestWithParam<seed_case> {};

TEST_P(arbitrary_integers, shift_the_first_draw_of_the_first_trial) {
    run_dir d("seed");
    std::vector<std::string> tokens = with(default_tokens(), a_max_points, "1000");
    tokens[a_seed] = GetParam().answer;
    run_result r = d.run(tokens);
    ASSERT_EQ(97, r.status) << r.out.substr(r.out.size() > 400 ? r.out.size() - 400 : 0);
    std::vector<int> nn = record_knot_counts(read_file(d.file("temp_file.out")));
    ASSERT_EQ(2u, nn.size());
    EXPECT_EQ(knot_count(GetParam().first_draw, 1000), nn[0]) << "answer " << GetParam().answer;
}

INSTANTIATE_TEST_SUITE_P(answers, arbitrary_integers,
                         ::testing::Values(seed_case{"-2147483648", 41}, seed_case{"-5", 41}, seed_case{"-1", 41},
                                           seed_case{"0", 18467}, seed_case{"1", 6334}, seed_case{"2", 26500},
                                           seed_case{"3", 19169},
                                           // 2^31 draws discarded: must end, and the rule still holds
                                           seed_case{"2147483647", draw_of(state_after((1ull << 31) + 1))}));

TEST(arbitrary_integers, distinct_first_draws_give_distinct_knot_counts) {
    // Guards the table above: each draw it names leads to its own count.
    const int counts[] = {knot_count(41, 1000), knot_count(18467, 1000), knot_count(6334, 1000),
                          knot_count(26500, 1000), knot_count(19169, 1000)};
    EXPECT_EQ(21, counts[0]);   // 41 * 980 / 32767 = 1.23
    EXPECT_EQ(572, counts[1]);  // 18467 * 980 / 32767 = 552.3
    EXPECT_EQ(209, counts[2]);  // 6334 * 980 / 32767 = 189.4
    EXPECT_EQ(812, counts[3]);  // 26500 * 980 / 32767 = 792.6
    EXPECT_EQ(593, counts[4]);  // 19169 * 980 / 32767 = 573.3
}

TEST(progress_lines, every_hundredth_trial) {
    struct {
        const char* ntrials;
        std::vector<std::string> shown;
    } const cases[] = {{"99", {}}, {"100", {"100"}}, {"250", {"100", "200"}}};
    for (const auto& c : cases) {
        run_dir d("progress");
        std::vector<std::string> tokens = with(default_tokens(), a_ntrials, c.ntrials);
        tokens[a_max_points] = "22";
        run_result r = d.run(tokens);
        ASSERT_EQ(97, r.status) << c.ntrials << " trials";
        std::vector<std::string> shown;
        bool after_start = false;
        for (const std::string& line : split_lines(r.out)) {
            if (line == " Current time and date: ") after_start = true;
            std::string number;
            if (is_progress_line(line, number)) {
                EXPECT_TRUE(after_start) << "progress line before the trials: " << line;
                shown.push_back(number);
            }
        }
        EXPECT_EQ(c.shown, shown) << c.ntrials << " trials";
        EXPECT_EQ(c.shown.size(), count_of(r.out, " sec\n")) << c.ntrials << " trials";
    }
}

TEST(trial_counts, fewer_than_two_trials_stop_in_the_ranking) {
    for (const char* ntrials : {"0", "1", "-3"}) {
        run_dir d("few_trials");
        run_result r = d.run(with(default_tokens(), a_ntrials, ntrials));
        EXPECT_EQ(1, r.status) << ntrials;
        EXPECT_TRUE(ends_with(r.out, "\n mj Error \n")) << ntrials;
        EXPECT_EQ(std::string::npos, r.out.find("Calculation complete")) << ntrials;
        EXPECT_EQ("", r.err);
    }
}

// Answers that stop the run: each stop is one line at the very end of the
// transcript, right after the prompt whose answer is wrong.
struct bad_answer_case {
    int index;
    const char* token;
    const char* named;         // what the message must name
    bool names_prompt = true;  // the message quotes the prompt
};

void PrintTo(const bad_answer_case& c, std::ostream* os) { *os << std::string(prompts[c.index].name) + ": " + c.token; }

class bad_answers : public ::testing::TestWithParam<bad_answer_case> {};

TEST_P(bad_answers, stop_after_their_prompt) {
    const bad_answer_case& c = GetParam();
    run_dir d("bad_answer");
    run_result r = d.run(with(default_tokens(), c.index, c.token));
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.err);
    const std::string stop = final_stop(r.out);
    ASSERT_NE("", stop) << r.out.substr(r.out.size() > 300 ? r.out.size() - 300 : 0);
    if (c.names_prompt) {
        EXPECT_NE(std::string::npos, stop.find(std::string("\"") + prompts[c.index].name + "\"")) << stop;
    }
    EXPECT_NE(std::string::npos, stop.find(c.named)) << stop;
    EXPECT_TRUE(ends_with(before_stop(r.out), prompts[c.index].printed)) << stop;
    EXPECT_EQ(1u, count_of(r.out, "Stop:"));
}

INSTANTIATE_TEST_SUITE_P(
    answers, bad_answers,
    ::testing::Values(bad_answer_case{a_dmax_weight, "abc", "abc"}, bad_answer_case{a_slope_weight, "1,5", "1,5"},
                      bad_answer_case{a_ntrials, "3.5", "3.5"}, bad_answer_case{a_ntrials, "abc", "abc"},
                      bad_answer_case{a_ntrials, "10x", "10x"}, bad_answer_case{a_ntrials, "2147483648", "2147483648"},
                      bad_answer_case{a_seed, "1e3", "1e3"}, bad_answer_case{a_seed, "-2147483649", "-2147483649"},
                      bad_answer_case{a_freq1, "twenty", "twenty"}, bad_answer_case{a_amp1, "1..0", "1..0"},
                      bad_answer_case{a_freq2, "x200", "x200"}, bad_answer_case{a_amp2, "100%", "100%"},
                      bad_answer_case{a_max_exponent, "half", "half"}, bad_answer_case{a_max_points, "40.0", "40.0"},
                      // convert, but lie above the capacity of a run
                      bad_answer_case{a_ntrials, "100001", "100000", false},
                      bad_answer_case{a_max_points, "1001", "1000", false},
                      bad_answer_case{a_max_points, "2147483647", "1000", false}));

class input_ends : public ::testing::TestWithParam<int> {};

TEST_P(input_ends, before_an_answer_stops_after_its_prompt) {
    const int given = GetParam();
    std::vector<std::string> tokens = default_tokens();
    tokens.resize(static_cast<size_t>(given));
    run_dir d("input_ends");
    run_result r = d.run(tokens);
    EXPECT_EQ(1, r.status) << given << " answers";
    EXPECT_EQ("", r.err);
    const std::string stop = final_stop(r.out);
    ASSERT_NE("", stop) << r.out.substr(r.out.size() > 300 ? r.out.size() - 300 : 0);
    EXPECT_NE(std::string::npos, stop.find(std::string("\"") + prompts[given].name + "\"")) << stop;
    EXPECT_NE(std::string::npos, stop.find("ended")) << stop;
    EXPECT_TRUE(ends_with(before_stop(r.out), prompts[given].printed)) << stop;
}

INSTANTIATE_TEST_SUITE_P(answers, input_ends, ::testing::Range(0, static_cast<int>(a_key)),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "after_" + std::to_string(info.param) + "_answers";
                         });

TEST(trial_bounds, largest_trial_count_passes_the_dialogue) {
    // 100000 trials are accepted; the run then stops at the set-up, on a
    // reference band above the grid, before any trial.
    run_dir d("max_trials");
    std::vector<std::string> tokens = with(default_tokens(), a_ntrials, "100000");
    tokens[a_freq1] = "2000";
    tokens[a_freq2] = "3000";
    run_result r = d.run(tokens);
    EXPECT_EQ(1, r.status);
    const std::string stop = final_stop(r.out);
    EXPECT_EQ(std::string::npos, stop.find("trials")) << stop;
    EXPECT_NE(std::string::npos, stop.find("2000")) << stop;
}

TEST(reference_band, wholly_above_the_grid_stops_at_set_up) {
    // The grid of a 10 kHz record ends near 1 kHz.
    for (auto [f1, f2] : {std::pair{"2000", "3000"}, std::pair{"3000", "2000"}, std::pair{"1100", "1200"}}) {
        run_dir d("band_above");
        std::vector<std::string> tokens = default_tokens();
        tokens[a_freq1] = f1;
        tokens[a_freq2] = f2;
        run_result r = d.run(tokens);
        EXPECT_EQ(1, r.status) << f1 << " " << f2;
        EXPECT_EQ("", r.err);
        const std::string stop = final_stop(r.out);
        ASSERT_NE("", stop) << f1 << " " << f2;
        EXPECT_NE(std::string::npos, stop.find(f1)) << stop;
        EXPECT_NE(std::string::npos, stop.find(f2)) << stop;
        const std::string before = before_stop(r.out);
        EXPECT_NE(std::string::npos, before.find("\n nspec = ")) << "stops after the grid is set up";
        EXPECT_EQ(std::string::npos, before.find(" ntrials=")) << "stops before the trial count is echoed";
    }
}

// The final key: the next non-blank character on standard input.
struct key_case {
    const char* what;
    std::string after_answers;
    int status;
};

void PrintTo(const key_case& c, std::ostream* os) { *os << c.what; }

class final_keys : public ::testing::TestWithParam<key_case> {};

TEST_P(final_keys, give_the_exit_status) {
    std::vector<std::string> tokens = default_tokens();
    tokens.pop_back();
    run_dir d("key");
    run_result r = d.run_text(join(tokens) + GetParam().after_answers);
    EXPECT_EQ(GetParam().status, r.status) << GetParam().what;
    EXPECT_TRUE(ends_with(r.out, "\n\n Calculation complete. \n Press any key to exit.")) << GetParam().what;
    EXPECT_EQ("", final_stop(r.out));
    EXPECT_EQ("", r.err);
}

INSTANTIATE_TEST_SUITE_P(keys, final_keys,
                         ::testing::Values(key_case{"a", "a\n", 97}, key_case{"z without a line end", "z", 122},
                                           key_case{"first character of a word", "Quit\n", 81},
                                           key_case{"after blank lines and tabs", "\n\n \t 7\n", 55},
                                           key_case{"input ended", "", 0},
                                           key_case{"only white space left", " \n\t\n", 0}));

}  // namespace

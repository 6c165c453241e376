// The natural-frequency grid, its size by sample rate, the reference line
// and the set-up's console lines.
#include <cmath>
#include <string>
#include <vector>

#include "support/harness.h"
#include "spectrum_fixtures.h"

namespace {

using namespace spectrum_test;

// One-sixth octaves from 10 Hz, each computed from its index: the octave
// points are exact.
TEST(frequency_grid, values) {
    auto plan = make_plan(1e6, 10, 1, 100, 10);
    ASSERT_EQ(60, plan->nspec);
    for (int j = 0; j <= 60; j += 6) EXPECT_EQ(std::ldexp(10.0, j / 6), plan->fn[j]) << "j = " << j;
    const struct {
        int j;
        const char* shown;
    } printed[] = {{1, "11.22"}, {2, "12.6"}, {7, "22.45"}, {39, "905.1"}};
    for (const auto& p : printed) EXPECT_EQ(p.shown, format("%.4g", plan->fn[p.j])) << "j = " << p.j;
    EXPECT_NEAR(9122.8, plan->fn[59], 0.05);
    EXPECT_NEAR(11494.0, plan->fn[61], 0.05);
    for (int j = 0; j <= 61; ++j) {
        EXPECT_NEAR(10.0 * std::exp2(j / 6.0), plan->fn[j], 1e-13 * plan->fn[j]) << "j = " << j;
        // Each entry from its own index, not by repeated multiplication.
        EXPECT_EQ(std::pow(2.0, j * (1.0 / 6.0)) * 10.0, plan->fn[j]) << "j = " << j;
        if (j > 0) {
            EXPECT_LT(plan->fn[j - 1], plan->fn[j]);
        }
    }
}

// The grid ends at the last frequency not above a tenth of the sample rate
// (at most 10600 Hz); the frequency after it is stored and printed too.
TEST(frequency_grid, size_by_sample_rate) {
    struct row {
        double sr;
        int32_t nspec;
        const char* last_line;  // the table line of fn[nspec + 1]
        const char* summary;
    };
    const row rows[] = {
        {50, 0, "    11.22     1.122 \n", "\n nspec = 0  last freq =       10 Hz \n"},
        {112.24, 0, "    11.22     1.122 \n", "\n nspec = 0  last freq =       10 Hz \n"},
        {112.25, 1, "     12.6      1.26 \n", "\n nspec = 1  last freq =    11.22 Hz \n"},
        {199.99999999999, 5, "       20         2 \n", "\n nspec = 5  last freq =    17.82 Hz \n"},
        {200, 6, "    22.45     2.245 \n", "\n nspec = 6  last freq =       20 Hz \n"},
        {1000, 19, "    100.8     10.08 \n", "\n nspec = 19  last freq =     89.8 Hz \n"},
        {10000, 39, "     1016     101.6 \n", "\n nspec = 39  last freq =    905.1 Hz \n"},
        {20000, 45, "     2032     203.2 \n", "\n nspec = 45  last freq =     1810 Hz \n"},
        {100000, 59, " 1.024e+04      1024 \n", "\n nspec = 59  last freq =     9123 Hz \n"},
        {102400, 60, " 1.149e+04      1149 \n", "\n nspec = 60  last freq = 1.024e+04 Hz \n"},
        {1e6, 60, " 1.149e+04      1149 \n", "\n nspec = 60  last freq = 1.024e+04 Hz \n"},
    };
    for (const row& w : rows) {
        SCOPED_TRACE(testing::Message() << "sample rate " << w.sr);
        std::string con;
        auto plan = make_plan(w.sr, 10, 1, 100, 10, &con);
        EXPECT_EQ(w.nspec, plan->nspec);
        std::vector<std::string> lines = basetrim_test::split_lines(con);
        // The slope line, nspec + 1 table lines, an empty line and the summary.
        ASSERT_EQ(static_cast<size_t>(w.nspec) + 4, lines.size()) << con;
        EXPECT_EQ(" ref_freq[0]=      10  nr=       1 ", lines[0]);
        EXPECT_EQ("    11.22     1.122 ", lines[1]);
        EXPECT_EQ(std::string(w.last_line) + w.summary, lines[w.nspec + 1] + "\n" + lines[w.nspec + 2] + "\n" +
                                                            lines[w.nspec + 3] + "\n");
    }
}

// Sample rate 200: the limit 20 Hz is itself a grid frequency and belongs
// to the grid.
TEST(frequency_grid, whole_set_up_text_at_200_samples_per_second) {
    std::string con;
    auto plan = make_plan(200, 10, 1, 100, 10, &con);
    EXPECT_EQ(
        " ref_freq[0]=      10  nr=       1 \n"
        "    11.22     1.122 \n"
        "     12.6      1.26 \n"
        "    14.14     1.414 \n"
        "    15.87     1.587 \n"
        "    17.82     1.782 \n"
        "       20         2 \n"
        "    22.45     2.245 \n"
        "\n nspec = 6  last freq =       20 Hz \n",
        con);
    EXPECT_EQ(20.0, plan->fn[6]);
}

// ref[0] is the first amplitude itself; every other entry lies on the line
// through the two coordinates.
TEST(reference_line, through_the_two_coordinates) {
    std::string con;
    auto plan = make_plan(10000, 5, 3, 80, 12, &con);  // slope ln 4 / ln 16 = 0.5
    EXPECT_EQ(" ref_freq[0]=       5  nr=     0.5 \n", basetrim_test::split_lines(con)[0] + "\n");
    EXPECT_EQ(3.0, plan->ref[0]);
    for (int j = 1; j <= plan->nspec + 1; ++j)
        EXPECT_NEAR(3.0 * std::sqrt(plan->fn[j] / 5.0), plan->ref[j], 1e-12 * plan->ref[j]) << "j = " << j;
    EXPECT_EQ(5.0, plan->ref_freq[0]);
    EXPECT_EQ(80.0, plan->ref_freq[1]);

    auto unit = make_plan(1000, 10, 1, 100, 10);
    for (int j = 0; j <= unit->nspec + 1; ++j) EXPECT_NEAR(unit->fn[j] / 10.0, unit->ref[j], 1e-13 * unit->ref[j]);
}

// Both reference frequencies above the last stored grid frequency: the walk
// over the reference band would find no end, and the set-up stops the run.
TEST(reference_line, band_above_the_grid_stops_the_set_up) {
    answers ans;
    ans.ref_freq[0] = 30;
    ans.ref_amp[0] = 1;
    ans.ref_freq[1] = 50;
    ans.ref_amp[1] = 2;
    auto plan = std::make_unique<spectrum_plan>();
    out_text con;
    try {
        plan_spectrum(*plan, ans, time_base(200), con);
        FAIL() << "no stop";
    } catch (const run_stop& s) {
        EXPECT_EQ(1, s.status);
    }
    EXPECT_NE(std::string::npos, con.str().find("\n Stop: ")) << con.str();
}

}  // namespace

// The time-history input inside whole runs: where its lines stand in the
// transcript, and where a run stops on a record it cannot use.
#include <gtest/gtest.h>

#include <string>

#include "run/whole_run.h"

namespace {

using namespace whole_run;

TEST(input_run, header_echo_and_time_base_in_the_transcript) {
    // Two header lines, then comma and blank lines mixed, 10 kHz.
    std::string record = "Shock record\r\nt (s), a (g)\r\n";
    const std::string samples = shock_record();
    size_t at = 0;
    for (int k = 0; at < samples.size(); ++k) {
        size_t nl = samples.find('\n', at);
        std::string line = samples.substr(at, nl - at);
        if (k % 2) line.replace(line.find(' '), 1, ", ");
        record += line + "\r\n";
        at = nl + 1;
    }
    run_dir d("input_transcript", record);
    run_result r = d.run(default_tokens());
    EXPECT_EQ(97, r.status) << final_stop(r.out);
    EXPECT_NE(std::string::npos, r.out.find("\n\n Enter slope weight \n"
                                            "\n"
                                            "\n 2 header lines detected \n\n"
                                            " Shock record\r\n  t (s), a (g)\r\n "
                                            "\n R2 xone =        0  xa[0]=       0 \n"
                                            "\n delta t = 0.000100 "
                                            "\n n = 1000 \n"
                                            "\n\n Enter the number of trials \n"));
}

TEST(input_run, bad_data_line_stops_before_the_time_base) {
    run_dir d("input_bad_line", "Time Accel\n0 1\n1 2\n\n2 3 4\n3;4\n5\n6 7\n");
    run_result r = d.run(default_tokens());
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.err);
    const std::string stop = final_stop(r.out);
    ASSERT_NE("", stop) << r.out;
    EXPECT_NE(std::string::npos, stop.find("line 7 ")) << stop;
    EXPECT_TRUE(ends_with(before_stop(r.out), "\n 6 header lines detected \n\n"
                                              " Time Accel\n  0 1\n  1 2\n  \n  2 3 4\n  3;4\n "))
        << r.out;
}

TEST(input_run, records_without_a_time_base_stop_after_the_count_line) {
    struct {
        const char* what;
        std::string record;
        const char* count_line;
    } const cases[] = {{"empty file", "", "\n n = 0 \n"},
                       {"header only", "Time Accel\n", "\n n = 0 \n"},
                       {"one sample", "0 1\n", "\n n = 1 \n"},
                       {"times running backwards", "0.2 1\n0.1 2\n", "\n n = 2 \n"}};
    for (const auto& c : cases) {
        run_dir d("input_no_base", c.record);
        run_result r = d.run(default_tokens());
        EXPECT_EQ(1, r.status) << c.what;
        EXPECT_EQ("", r.err) << c.what;
        EXPECT_NE("", final_stop(r.out)) << c.what << ":\n" << r.out;
        EXPECT_TRUE(ends_with(before_stop(r.out), c.count_line)) << c.what << ":\n" << r.out;
    }
}

}  // namespace

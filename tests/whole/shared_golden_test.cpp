// Whole runs compared byte for byte with runs made independently of this
// program (../shared/golden), where that folder is present.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/harness.h"

namespace {

using namespace basetrim_test;

class shared_golden : public ::testing::TestWithParam<const char*> {};

TEST_P(shared_golden, whole_run_is_byte_identical) {
    const std::string shared = shared_dir();
    if (shared.empty()) GTEST_SKIP() << "no shared folder";
    const std::string golden = shared + "/golden/" + GetParam();
    if (!std::filesystem::is_directory(golden)) GTEST_SKIP() << "no golden run " << GetParam();
    temp_dir dir(GetParam());
    const std::string input = file_exists(golden + "/in.txt") ? golden + "/in.txt" : shared + "/data/drop_020.lvm";
    std::filesystem::copy_file(input, dir.file("in.txt"));

    run_result r = run_program(dir.path(), read_file(golden + "/answers.txt"));

    EXPECT_EQ(std::to_string(r.status) + "\n", read_file(golden + "/exit_status"));
    EXPECT_EQ(mask_transcript(read_file(golden + "/stdout.txt")), mask_transcript(r.out));
    for (const char* name : {"base.txt", "corr.txt", "srs.txt", "coef.txt", "temp_file.out"})
        EXPECT_TRUE(read_file(golden + "/" + name) == read_file(dir.file(name))) << name << " differs";
    EXPECT_EQ("", r.err);
}

INSTANTIATE_TEST_SUITE_P(runs, shared_golden, ::testing::Values("synthetic_progress", "drop_020", "divergence"));

}  // namespace

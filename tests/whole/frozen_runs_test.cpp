// Whole runs compared with runs of this program frozen in tests/data/whole,
// each also checked against the rules that tie its files together.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "run_checks.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;

struct frozen_run {
    const char* name;
    bool shared_record;  // the input comes from the shared records, else from examples/
    const char* source;  // file name of the record there
};

void PrintTo(const frozen_run& r, std::ostream* os) { *os << r.name; }

std::vector<std::string> tokens(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    return t;
}

// "digest  name" lines as sha256sum prints them.
std::map<std::string, std::string> digests(const std::string& path) {
    std::map<std::string, std::string> d;
    std::vector<std::string> t = tokens(read_file(path));
    for (size_t k = 0; k + 1 < t.size(); k += 2) d[t[k + 1]] = t[k];
    return d;
}

class frozen_runs : public ::testing::TestWithParam<frozen_run> {};

TEST_P(frozen_runs, match_the_frozen_run_and_its_own_rules) {
    const frozen_run& run = GetParam();
    std::string input;
    if (run.shared_record) {
        if (shared_dir().empty()) GTEST_SKIP() << "no shared folder";
        input = shared_dir() + "/data/" + run.source;
    } else {
        input = std::string(BASETRIM_SOURCE_DIR) + "/examples/" + run.source;
    }
    const std::string frozen = std::string(BASETRIM_TEST_DATA) + "/whole/" + run.name;
    const std::string answers = read_file(frozen + "/answers.txt");
    const std::vector<std::string> answer = tokens(answers);
    ASSERT_GE(answer.size(), 7u);
    temp_dir dir(run.name);
    std::filesystem::copy_file(input, dir.file(answer[0]));

    run_result r = run_program(dir.path(), answers);

    EXPECT_EQ(read_file(frozen + "/exit_status"), std::to_string(r.status) + "\n");
    const std::string want = mask_transcript(read_file(frozen + "/stdout.txt"));
    const std::string got = mask_transcript(r.out);
    EXPECT_TRUE(want == got) << "transcript, " << first_difference(want, got);
    EXPECT_EQ("", r.err);
    const std::map<std::string, std::string> sums = digests(frozen + "/sha256.txt");
    for (const char* name : {"base.txt", "corr.txt", "srs.txt", "coef.txt", "temp_file.out"}) {
        if (file_exists(frozen + "/" + name)) {
            const std::string a = read_file(frozen + "/" + name), b = read_file(dir.file(name));
            EXPECT_TRUE(a == b) << name << ", " << first_difference(a, b);
        } else {
            ASSERT_EQ(1u, sums.count(name)) << "nothing frozen for " << name;
            EXPECT_EQ(sums.at(name), sha256_of(dir.file(name))) << name;
        }
    }

    check_complete_run(dir.path(), r.out, std::stod(answer[5]), std::stod(answer[6]),
                       record_samples(read_file(input)));
}

INSTANTIATE_TEST_SUITE_P(runs, frozen_runs,
                         ::testing::Values(frozen_run{"example", false, "shock.txt"},
                                           frozen_run{"drop_017", true, "drop_017.lvm"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

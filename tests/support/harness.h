// Support for tests: whole runs of the program in a folder of their own,
// files, and the parts of a transcript that differ from run to run.
#pragma once

#include <string>
#include <vector>

namespace basetrim_test {

// The folder with the shared records and golden runs, or "" when absent.
std::string shared_dir();

// A new empty folder for one test, removed by the destructor.
class temp_dir {
public:
    explicit temp_dir(const std::string& tag);
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct run_result {
    int status = -1;     // exit status, or -1 when the program did not exit normally
    std::string out;     // standard output
    std::string err;     // standard error
};

// Runs the program in `dir` with `answers` on standard input. `env` holds
// extra NAME=VALUE settings.
run_result run_program(const std::string& dir, const std::string& answers,
                       const std::vector<std::string>& env = {}, const std::string& exe = "");

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);

// The transcript with the lines that are not fixed replaced: the second and
// third banner lines, the line after "Current time and date:" and the
// seconds of the progress lines.
std::string mask_transcript(const std::string& out);

// printf into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Lines of a text, without their line ends.
std::vector<std::string> split_lines(const std::string& text);

// The answers of a run, one per line, in the order of the prompts:
// input, output files 1 to 3, coefficient file, dmax weight, slope weight,
// trials, arbitrary integer, first and second coordinate, maximum exponent,
// maximum number of points, final key.
struct run_answers {
    std::string input = "in.txt";
    std::string base = "base.txt", corr = "corr.txt", srs = "srs.txt", coef = "coef.txt";
    std::string dmax_weight = "1", slope_weight = "1";
    std::string ntrials = "10", seed = "0";
    std::string coord1 = "20 10", coord2 = "200 100";
    std::string max_exponent = "0.5", max_points = "40";
    std::string key = "a";
    std::string text() const;
};

}  // namespace basetrim_test

#include "support/harness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace basetrim_test {

std::string shared_dir() {
    std::string dir = BASETRIM_SHARED_DIR;
    return std::filesystem::is_directory(dir + "/data") ? dir : "";
}

temp_dir::temp_dir(const std::string& tag) {
    std::string base = std::filesystem::temp_directory_path().string() + "/basetrim_" + tag + "_XXXXXX";
    std::vector<char> buf(base.begin(), base.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

temp_dir::~temp_dir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

run_result run_program(const std::string& dir, const std::string& answers, const std::vector<std::string>& env,
                       const std::string& exe) {
    std::string program = exe.empty() ? std::string(BASETRIM_EXE) : exe;
    std::string in_path = dir + "/.answers", out_path = dir + "/.stdout", err_path = dir + "/.stderr";
    write_file(in_path, answers);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        int in = open(in_path.c_str(), O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0) {
    }
    run_result r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    std::filesystem::remove(in_path);
    std::filesystem::remove(out_path);
    std::filesystem::remove(err_path);
    return r;
}

std::string format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    char small[512];
    va_list again;
    va_copy(again, ap);
    int len = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    std::string s;
    if (len >= 0 && static_cast<size_t>(len) < sizeof small) {
        s.assign(small, static_cast<size_t>(len));
    } else if (len >= 0) {
        s.resize(static_cast<size_t>(len) + 1);
        std::vsnprintf(s.data(), s.size(), fmt, again);
        s.resize(static_cast<size_t>(len));
    }
    va_end(again);
    return s;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

namespace {

bool all_digits(const std::string& s, size_t from, size_t to) {
    if (from >= to) return false;
    for (size_t k = from; k < to; ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    return true;
}

// " 100  7 sec" becomes " 100  N sec".
std::string mask_progress(const std::string& line) {
    const std::string tail = " sec";
    if (line.size() < 8 || line[0] != ' ' || line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
        return line;
    size_t gap = line.find("  ", 1);
    if (gap == std::string::npos || !all_digits(line, 1, gap)) return line;
    size_t from = gap + 2, to = line.size() - tail.size();
    if (from < to && line[from] == '-') ++from;
    if (!all_digits(line, from, to)) return line;
    return line.substr(0, gap + 2) + "N sec";
}

}  // namespace

std::string mask_transcript(const std::string& out) {
    std::vector<std::string> lines = split_lines(out);
    std::string masked;
    for (size_t k = 0; k < lines.size(); ++k) {
        std::string line = lines[k];
        if (k == 3 || k == 4) line = "(banner line)";
        if (k > 0 && lines[k - 1] == " Current time and date: ") line = "(time of day)";
        line = mask_progress(line);
        masked += line;
        if (k + 1 < lines.size() || (!out.empty() && out.back() == '\n')) masked += '\n';
    }
    return masked;
}

std::string run_answers::text() const {
    std::string t;
    for (const std::string* s : {&input, &base, &corr, &srs, &coef, &dmax_weight, &slope_weight, &ntrials, &seed,
                                 &coord1, &coord2, &max_exponent, &max_points, &key})
        t += *s + "\n";
    return t;
}

}  // namespace basetrim_test

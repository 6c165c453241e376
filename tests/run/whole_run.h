// Helpers for whole runs of the program on a small record: the record, the
// answers as tokens, and the pieces of a transcript and of the trial file
// that the tests look at.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/harness.h"

namespace whole_run {

using namespace basetrim_test;

// A decaying 370 Hz oscillation on a zero shift of 0.2: `n` samples at
// 10 kHz, blank-separated. The grid of such a record reaches 1000 Hz, so the
// default reference band (20 to 200 Hz) lies inside it.
inline std::string shock_record(int n = 1000) {
    std::string text;
    char line[64];
    for (int i = 0; i < n; ++i) {
        double t = i * 0.0001;
        double a = 0.2 + 5.0 * std::sin(2.0 * 3.141592653589793 * 370.0 * t) * std::exp(-30.0 * t);
        std::snprintf(line, sizeof line, "%.4f %.6f\n", t, a);
        text += line;
    }
    return text;
}

// The answers in the order the program asks for them, one token each.
enum answer_index {
    a_input, a_base, a_corr, a_srs, a_coef, a_dmax_weight, a_slope_weight, a_ntrials, a_seed,
    a_freq1, a_amp1, a_freq2, a_amp2, a_max_exponent, a_max_points, a_key, answer_count
};

// The prompt that asks for each answer, as the program prints it, and the
// name it goes by in messages.
struct prompt {
    const char* printed;
    const char* name;
};
inline const prompt prompts[answer_count] = {
    {"\n\n Enter input filename\n", "Enter input filename"},
    {"\n Enter output filename 1\n", "Enter output filename 1"},
    {"\n Enter output filename 2\n", "Enter output filename 2"},
    {"\n Enter SRS output filename 3\n", "Enter SRS output filename 3"},
    {"\n Enter coefficient filename \n", "Enter coefficient filename"},
    {"\n\n Enter dmax weight \n", "Enter dmax weight"},
    {"\n\n Enter slope weight \n", "Enter slope weight"},
    {"\n\n Enter the number of trials \n", "Enter the number of trials"},
    {"\n\n Enter arbitrary integer. \n", "Enter arbitrary integer."},
    {"\n Enter first coordinate \n", "Enter first coordinate"},
    {"\n Enter first coordinate \n", "Enter first coordinate"},
    {"\n Enter second coordinate \n", "Enter second coordinate"},
    {"\n Enter second coordinate \n", "Enter second coordinate"},
    {"\n Enter the maximum exponent\n", "Enter the maximum exponent"},
    {"\n Enter the maximum number of points for curve-fit\n", "Enter the maximum number of points for curve-fit"},
    {"", "final key"},
};

// Answers for a short complete run on shock_record(): two trials.
inline std::vector<std::string> default_tokens() {
    return {"in.txt", "base.txt", "corr.txt", "srs.txt", "coef.txt", "1", "1", "2", "0",
            "20", "10", "200", "100", "0.5", "40", "a"};
}

// The tokens joined, each followed by `sep`.
inline std::string join(const std::vector<std::string>& tokens, const std::string& sep = "\n") {
    std::string t;
    for (const std::string& s : tokens) t += s + sep;
    return t;
}

// A folder with the record as in.txt.
struct run_dir {
    temp_dir dir;
    explicit run_dir(const std::string& tag, const std::string& record = shock_record()) : dir(tag) {
        write_file(dir.file("in.txt"), record);
    }
    run_result run(const std::vector<std::string>& tokens) const { return run_program(dir.path(), join(tokens)); }
    run_result run_text(const std::string& answers) const { return run_program(dir.path(), answers); }
    std::string file(const std::string& name) const { return dir.file(name); }
};

// A text for test names: control characters escaped, "(empty)" for "".
inline std::string shown(const std::string& s) {
    if (s.empty()) return "(empty)";
    std::string out;
    char hex[8];
    for (unsigned char c : s) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c >= 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    return out.size() > 60 ? out.substr(0, 57) + "..." : out;
}

inline bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

inline size_t count_of(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

// The stop message at the end of a transcript, from its "\n Stop: " on, or
// "" when the transcript does not end with one.
inline std::string final_stop(const std::string& out) {
    size_t at = out.rfind("\n Stop: ");
    if (at == std::string::npos) return "";
    std::string tail = out.substr(at);
    if (tail.find('\n', 1) != tail.size() - 1) return "";  // one line, ending the transcript
    return tail;
}

// The transcript before its final stop message.
inline std::string before_stop(const std::string& out) {
    size_t at = out.rfind("\n Stop: ");
    return at == std::string::npos ? out : out.substr(0, at);
}

// The knot count of every record in a trial file, in file order.
inline std::vector<int> record_knot_counts(const std::string& trial_text) {
    std::vector<int> counts;
    std::vector<std::string> lines = split_lines(trial_text);
    for (size_t k = 0; k + 1 < lines.size(); ++k) {
        if (lines[k] != "case ") continue;
        std::istringstream rec(lines[k + 1]);
        long trial = 0, nn = 0;
        double dmax = 0, slope = 0;
        if (rec >> trial >> dmax >> slope >> nn) counts.push_back(static_cast<int>(nn));
    }
    return counts;
}

// The generator's state after k steps from its starting state 1, in closed
// form: a^k + c (a^k - 1) / (a - 1) modulo 2^32, with a = 214013 and
// c = 2531011. The power is taken modulo (a - 1) 2^32, so the division is
// exact and leaves the sum modulo 2^32.
inline uint32_t state_after(uint64_t k) {
    using u128 = unsigned __int128;
    const uint32_t a = 214013, c = 2531011;
    const u128 m = static_cast<u128>(a - 1) << 32;
    u128 power = 1, base = a;
    for (uint64_t e = k; e; e >>= 1) {
        if (e & 1) power = power * base % m;
        base = base * base % m;
    }
    const uint32_t a_k = static_cast<uint32_t>(power);
    const uint32_t geometric = static_cast<uint32_t>((power - 1) / (a - 1));
    return a_k + c * geometric;
}

// The draw a state gives: bits 16 to 30.
inline int32_t draw_of(uint32_t state) { return static_cast<int32_t>((state >> 16) & 0x7FFF); }

// The first knot count a trial draws from `draw` with the given maximum:
// the product is an integer, divided as a real and truncated.
inline int knot_count(int32_t draw, int32_t max_points) {
    return static_cast<int>(static_cast<double>(draw * (max_points - 20)) / 32767.0) + 20;
}

}  // namespace whole_run

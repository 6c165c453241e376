// Checks of a whole run from what it leaves behind: the trial records, the
// ranking tables, the chosen knots and the result files must agree with
// each other and with the input record. The ranking is worked out here from
// the records as written, independently of the program.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "support/harness.h"

namespace basetrim_test {


struct knot_pair {
    double t = 0, y = 0;
};

struct trial_record {
    long trial = 0;
    double dmax = 0, slope = 0;
    long nn = 0;
    std::vector<knot_pair> knots;
    size_t loose_before = 0;  // knot lines of rejected trials just before the marker
};

struct trial_file_text {
    std::vector<trial_record> records;
    size_t loose_after = 0;  // knot lines of rejected trials after the last record
    std::vector<std::string> problems;
};

// A knot line exactly as the trial file writes it.
inline bool parse_knot_line(const std::string& line, knot_pair& k) {
    char extra;
    if (std::sscanf(line.c_str(), "%lf %lf %c", &k.t, &k.y, &extra) != 2) return false;
    return format(" %12.6g \t %12.6g ", k.t, k.y) == line;
}

// A record line exactly as the trial file writes it.
inline bool parse_record_line(const std::string& line, trial_record& r) {
    char extra;
    if (std::sscanf(line.c_str(), "%ld %lf %lf %ld %c", &r.trial, &r.dmax, &r.slope, &r.nn, &extra) != 4) return false;
    return format("%ld \t %8.4g \t %8.4g \t %ld ", r.trial, r.dmax, r.slope, r.nn) == line;
}

inline trial_file_text parse_trial_file(const std::string& text) {
    trial_file_text tf;
    if (!text.empty() && text.back() != '\n') tf.problems.push_back("the last line has no line end");
    std::vector<std::string> lines = split_lines(text);
    size_t loose = 0;
    for (size_t i = 0; i < lines.size();) {
        knot_pair k;
        if (lines[i] == "case ") {
            trial_record r;
            if (i + 1 >= lines.size() || !parse_record_line(lines[i + 1], r)) {
                tf.problems.push_back(format("line %zu: no record after the marker", i + 2));
                break;
            }
            i += 2;
            for (long j = 0; j < r.nn; ++j, ++i) {
                if (i >= lines.size() || !parse_knot_line(lines[i], k)) {
                    tf.problems.push_back(format("line %zu: knot %ld of trial %ld missing", i + 1, j + 1, r.trial));
                    return tf;
                }
                r.knots.push_back(k);
            }
            r.loose_before = loose;
            loose = 0;
            tf.records.push_back(r);
        } else if (parse_knot_line(lines[i], k)) {
            ++loose;
            ++i;
        } else {
            tf.problems.push_back(format("line %zu: unexpected \"%s\"", i + 1, lines[i].c_str()));
            ++i;
        }
    }
    tf.loose_after = loose;
    return tf;
}

// The order of the exchange sort: for a < b, exchange when v[b] < v[a].
inline std::vector<int> exchange_reference(std::vector<double> v) {
    std::vector<int> ord(v.size());
    std::iota(ord.begin(), ord.end(), 0);
    for (size_t a = 0; a + 1 < v.size(); ++a)
        for (size_t b = a + 1; b < v.size(); ++b)
            if (v[b] < v[a] || std::isnan(v[a]) || std::isnan(v[b])) {
                std::swap(v[a], v[b]);
                std::swap(ord[a], ord[b]);
            }
    return ord;
}

struct ranking_reference {
    std::vector<int> ord_dmax, ord_slope;
    std::vector<uint32_t> p, q;
    std::vector<double> sum;
    int best = 0;
};

// Ranks on both measures, weighted scores, and the choice with a running
// minimum that keeps the low 32 bits of the truncated score.
inline ranking_reference rank_reference(const std::vector<trial_record>& recs, double dmax_weight,
                                        double slope_weight) {
    ranking_reference r;
    std::vector<double> dmax, slope;
    for (const trial_record& t : recs) {
        dmax.push_back(t.dmax);
        slope.push_back(t.slope);
    }
    r.ord_dmax = exchange_reference(dmax);
    r.ord_slope = exchange_reference(slope);
    const size_t m = recs.size();
    r.p.assign(m, 0);
    r.q.assign(m, 0);
    for (size_t pos = 0; pos < m; ++pos) {
        r.p[r.ord_dmax[pos]] = static_cast<uint32_t>(pos);
        r.q[r.ord_slope[pos]] = static_cast<uint32_t>(pos);
    }
    uint32_t sum_min = 100000;
    for (size_t i = 0; i < m; ++i) {
        r.sum.push_back(static_cast<double>(r.q[i]) * slope_weight + static_cast<double>(r.p[i]) * dmax_weight);
        if (static_cast<double>(sum_min) > r.sum[i]) {
            r.best = static_cast<int>(i);
            sum_min = static_cast<uint32_t>(static_cast<int64_t>(std::trunc(r.sum[i])));
        }
    }
    return r;
}

// Time and amplitude of every line of a record file that starts with a
// number; header lines start otherwise.
inline std::vector<std::pair<double, double>> record_samples(const std::string& text) {
    std::vector<std::pair<double, double>> samples;
    for (const std::string& line : split_lines(text)) {
        size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || !(std::isdigit(static_cast<unsigned char>(line[at])) || line[at] == '-' ||
                                         line[at] == '+' || line[at] == '.'))
            continue;
        double t, a;
        if (std::sscanf(line.c_str(), "%lf%*[ ,\t]%lf", &t, &a) == 2) samples.push_back({t, a});
    }
    return samples;
}

inline std::string sha256_of(const std::string& path) {
    std::string digest;
    FILE* p = popen(("sha256sum '" + path + "'").c_str(), "r");
    if (!p) return "";
    char buf[80] = {};
    if (std::fgets(buf, sizeof buf, p)) digest.assign(buf, std::min<size_t>(64, std::strlen(buf)));
    pclose(p);
    return digest;
}

// Line number (from 0) of the first line at or after `from` that starts
// with `prefix`, or lines.size().
inline size_t line_starting(const std::vector<std::string>& lines, const std::string& prefix, size_t from = 0) {
    for (size_t k = from; k < lines.size(); ++k)
        if (lines[k].rfind(prefix, 0) == 0) return k;
    return lines.size();
}

// Where two texts first differ, for failure messages on long files.
inline std::string first_difference(const std::string& expected, const std::string& actual) {
    std::vector<std::string> e = split_lines(expected), a = split_lines(actual);
    for (size_t k = 0; k < std::max(e.size(), a.size()); ++k) {
        std::string le = k < e.size() ? e[k] : "(none)", la = k < a.size() ? a[k] : "(none)";
        if (le != la) return format("line %zu: expected \"%s\", got \"%s\"", k + 1, le.c_str(), la.c_str());
    }
    return expected == actual ? "" : "line ends differ";
}

// Every check of a run that ended with the closing prompt, in folder `dir`
// with transcript `out`, made with the given weights on `samples`.
inline void check_complete_run(const std::string& dir, const std::string& out, double dmax_weight,
                               double slope_weight, const std::vector<std::pair<double, double>>& samples) {
    const std::vector<std::string> lines = split_lines(out);
    long n = -1, nspec = -1, ntrials = -1, mj = -2;
    size_t at_n = line_starting(lines, " n = "), at_nspec = line_starting(lines, " nspec = ");
    size_t at_ntrials = line_starting(lines, " ntrials="), at_mj = line_starting(lines, " mj=");
    size_t at_time = line_starting(lines, " Current time and date:");
    ASSERT_LT(at_mj, lines.size()) << "no mj line";
    ASSERT_EQ(1, std::sscanf(lines[at_n].c_str(), " n = %ld", &n));
    ASSERT_EQ(1, std::sscanf(lines[at_nspec].c_str(), " nspec = %ld", &nspec));
    ASSERT_EQ(1, std::sscanf(lines[at_ntrials].c_str(), " ntrials=%ld", &ntrials));
    ASSERT_EQ(1, std::sscanf(lines[at_mj].c_str(), " mj=%ld", &mj));
    ASSERT_LT(at_time, at_mj);

    // The trial file: one record per recorded trial, in trial order, and
    // the knot lines of each rejected trial where that trial stood.
    const trial_file_text tf = parse_trial_file(read_file(dir + "/temp_file.out"));
    for (const std::string& problem : tf.problems) ADD_FAILURE() << "temp_file.out " << problem;
    const std::vector<trial_record>& recs = tf.records;
    ASSERT_EQ(static_cast<size_t>(mj + 1), recs.size()) << "mj is the number of records less one";
    std::vector<trial_record> rejected;
    for (size_t k = at_time; k + 1 < at_mj; ++k)
        if (lines[k] == " Warning:  ave_slope ") {
            trial_record r;
            EXPECT_TRUE(parse_record_line(lines[k + 1], r)) << lines[k + 1];
            EXPECT_EQ("", lines[k - 1]);
            rejected.push_back(r);
        }
    std::vector<long> seen;
    size_t next_rejected = 0;
    for (const trial_record& r : recs) {
        size_t loose = 0;
        for (; next_rejected < rejected.size() && rejected[next_rejected].trial < r.trial; ++next_rejected) {
            loose += static_cast<size_t>(rejected[next_rejected].nn);
            seen.push_back(rejected[next_rejected].trial);
        }
        EXPECT_EQ(loose, r.loose_before) << "knot lines of rejected trials before the record of trial " << r.trial;
        seen.push_back(r.trial);
    }
    size_t loose = 0;
    for (; next_rejected < rejected.size(); ++next_rejected) {
        loose += static_cast<size_t>(rejected[next_rejected].nn);
        seen.push_back(rejected[next_rejected].trial);
    }
    EXPECT_EQ(loose, tf.loose_after) << "knot lines of rejected trials after the last record";
    std::vector<long> all(static_cast<size_t>(std::max(ntrials, 0L)));
    std::iota(all.begin(), all.end(), 0L);
    EXPECT_EQ(all, seen) << "every trial once, recorded or rejected, in trial order";

    // The tables after the mj line.
    const ranking_reference ref = rank_reference(recs, dmax_weight, slope_weight);
    const size_t m = recs.size();
    size_t k = at_mj + 1;
    ASSERT_LE(k + 2 * m + 2 + m, lines.size());
    std::vector<int> peak_order;
    for (size_t i = 0; i < m; ++i, ++k) {
        std::string prefix = format(" %zu %d %d %zu ", i, ref.ord_dmax[i], ref.ord_slope[i], i);
        int peak = -1;
        EXPECT_EQ(0u, lines[k].rfind(prefix, 0)) << "order table row " << i << ": " << lines[k];
        EXPECT_EQ(1, std::sscanf(lines[k].c_str() + std::min(prefix.size(), lines[k].size()), "%d", &peak));
        EXPECT_EQ(format("%s%d", prefix.c_str(), peak), lines[k]);
        peak_order.push_back(peak);
    }
    std::sort(peak_order.begin(), peak_order.end());
    std::vector<int> slots(m);
    std::iota(slots.begin(), slots.end(), 0);
    EXPECT_EQ(slots, peak_order) << "the peak-symmetry order is a permutation";
    for (size_t i = 0; i < m; ++i, ++k)
        EXPECT_EQ(format("ttt  %u %u  sum=%8.4g", ref.p[i], ref.q[i], ref.sum[i]), lines[k]);
    EXPECT_EQ("", lines[k++]);
    EXPECT_EQ(" ref 10 ", lines[k++]);
    for (size_t i = 0; i < m; ++i, ++k) EXPECT_EQ(format(" sum[%zu]=%8.4g ", i, ref.sum[i]), lines[k]);

    // The chosen record's knots, echoed and in the coefficient file.
    const trial_record& best = recs[static_cast<size_t>(ref.best)];
    std::string echo;
    for (const knot_pair& kp : best.knots) {
        std::string line = format("%lf %lf ", kp.t, kp.y);
        EXPECT_EQ(line, k < lines.size() ? lines[k] : "") << "knot echo";
        echo += line + "\n";
        ++k;
    }
    EXPECT_EQ(echo, read_file(dir + "/coef.txt"));
    while (k < lines.size() && (lines[k].empty() || lines[k].rfind(" Warning: ", 0) == 0) &&
           lines[k] != " Warning:  ave_slope ")
        ++k;
    ASSERT_EQ(k + 5, lines.size()) << "the closing lines follow the spectrum warnings";
    EXPECT_EQ(format(" best case = %d  sum=%8.4g  p=%u  q=%u", ref.best, ref.sum[ref.best], ref.p[ref.best],
                  ref.q[ref.best]),
              lines[k]);
    EXPECT_EQ("", lines[k + 1]);
    EXPECT_EQ("", lines[k + 2]);
    EXPECT_EQ(" Calculation complete. ", lines[k + 3]);
    EXPECT_EQ(" Press any key to exit.", lines[k + 4]);
    EXPECT_EQ('.', out.back()) << "the prompt ends the transcript without a line end";

    // Baseline and corrected files: n lines each on the input's time column,
    // adding up to the input amplitude.
    ASSERT_EQ(static_cast<size_t>(n), samples.size());
    const std::vector<std::string> base = split_lines(read_file(dir + "/" + "base.txt"));
    const std::vector<std::string> corr = split_lines(read_file(dir + "/" + "corr.txt"));
    ASSERT_EQ(static_cast<size_t>(n), base.size());
    ASSERT_EQ(static_cast<size_t>(n), corr.size());
    int bad = 0;
    for (size_t i = 0; i < base.size() && bad < 5; ++i) {
        double tb, b, tc, c;
        bool ok = std::sscanf(base[i].c_str(), "%lf %lf", &tb, &b) == 2 &&
                  std::sscanf(corr[i].c_str(), "%lf %lf", &tc, &c) == 2 &&
                  format("%14.7e \t %14.7e ", tb, b) == base[i] && format("%14.7e \t %14.7e ", tc, c) == corr[i] &&
                  base[i].substr(0, 14) == corr[i].substr(0, 14) &&
                  std::fabs(tb - samples[i].first) <= 6e-8 * std::fabs(samples[i].first) &&
                  std::fabs(b + c - samples[i].second) <= 6e-8 * (std::fabs(b) + std::fabs(c)) + 1e-300;
        if (!ok) {
            ++bad;
            ADD_FAILURE() << "sample " << i << ": base \"" << base[i] << "\", corrected \"" << corr[i]
                          << "\", input " << samples[i].first << " " << samples[i].second;
        }
    }

    // Spectrum file: one line per grid frequency, magnitudes not negative.
    const std::vector<std::string> srs = split_lines(read_file(dir + "/srs.txt"));
    ASSERT_EQ(static_cast<size_t>(nspec + 1), srs.size());
    double previous = 0;
    for (const std::string& line : srs) {
        double f, hi, lo;
        ASSERT_EQ(3, std::sscanf(line.c_str(), "%lf %lf %lf", &f, &hi, &lo)) << line;
        EXPECT_EQ(format(" %12.5g \t %8.4g \t %8.4g ", f, hi, lo), line);
        EXPECT_GE(hi, 0) << line;
        EXPECT_GE(lo, 0) << line;
        EXPECT_FALSE(std::signbit(lo)) << line;
        EXPECT_GT(f, previous) << line;
        previous = f;
    }
}

}  // namespace basetrim_test

#include "input/samples.h"

#include <cmath>
#include <string>

#include "run/limits.h"

namespace basetrim {

bool parse_sample(std::string_view line, double& time, double& amp) {
    size_t used = parse_double(line, time);
    if (used == 0) return false;
    std::string_view rest = line.substr(used);
    if (line.find(',') != std::string_view::npos) {
        // "%lf, %lf": the comma follows the first number directly.
        if (rest.empty() || rest.front() != ',') return false;
        rest.remove_prefix(1);
    }
    return parse_double(rest, amp) != 0;
}

namespace {

bool is_blank(std::string_view line) {
    for (char c : line)
        if (!is_space(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

void read_samples(time_history& th, text_in& in, out_text& con, int64_t header_count) {
    th.xa.clear();
    th.amp_in.clear();
    int64_t line_no = header_count;
    int64_t bad_time_line = 0;  // first line whose time is not finite
    bool more = false;          // sample lines beyond the capacity
    while (in.read_line()) {
        ++line_no;
        std::string_view line = in.line();
        if (is_blank(line)) continue;
        if (th.xa.size() == static_cast<size_t>(max_samples)) {
            more = true;
            break;
        }
        double t, a;
        if (!parse_sample(line, t, a)) {
            std::string shown(line.substr(0, 60));
            while (!shown.empty() && is_space(static_cast<unsigned char>(shown.back()))) shown.pop_back();
            stop_run(con, "line %ld of the input file %s does not hold a time and an amplitude: \"%s\"",
                     static_cast<long>(line_no), in.name().c_str(), shown.c_str());
        }
        if (!std::isfinite(t) && bad_time_line == 0) bad_time_line = line_no;
        th.xa.push_back(t);
        th.amp_in.push_back(a);
    }
    if (in.failed())
        stop_run(con, "cannot read the input file %s (%s)", in.name().c_str(), error_text(in.error()).c_str());
    if (more)
        con.printf("\n Warning: the input file holds more than %ld samples; only the first %ld are used. \n",
                   static_cast<long>(max_samples), static_cast<long>(max_samples));

    th.n = static_cast<int32_t>(th.xa.size());
    double first = th.n > 0 ? th.xa[0] : 0.0;
    th.xlast = th.n > 0 ? th.xa[th.n - 1] : 0.0;
    th.ascending = true;
    for (int32_t i = 1; i < th.n; ++i)
        if (!(th.xa[i] >= th.xa[i - 1])) {
            th.ascending = false;
            break;
        }

    // Time base: the samples are taken to be evenly spaced.
    double duration = th.xlast - first;
    th.dt = duration / static_cast<double>(th.n - 1);
    th.xone = first;
    con.printf("\n R2 xone = %8.4g  xa[0]=%8.4g \n", first, first);
    th.sr = 1.0 / th.dt;
    con.printf("\n delta t = %lf ", th.dt);
    con.printf("\n n = %ld \n", static_cast<long>(th.n));

    if (th.n < 2)
        stop_run(con, "the input file holds %ld sample%s; at least 2 are needed for a time base",
                 static_cast<long>(th.n), th.n == 1 ? "" : "s");
    if (bad_time_line)
        stop_run(con, "the time on line %ld of the input file is not finite", static_cast<long>(bad_time_line));
    if (!(duration > 0))
        stop_run(con, "the last time %g is not after the first time %g; the record must span a time",
                 th.xlast, first);
    if (th.xlast < 0)
        stop_run(con, "the last time %g is below zero; the record must end at time zero or later", th.xlast);
    if (!((tail_time / th.dt) * tail_factor < 2147483648.0))
        stop_run(con, "the sample interval %g s is too short; it must be at least %g s", th.dt,
                 tail_time * tail_factor / 2147483647.0);
}

}  // namespace basetrim

#include "report/gather.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "input/header.h"
#include "input/samples.h"
#include "report/result_files.h"
#include "run/text_in.h"
#include "spectrum/spectrum.h"

namespace basetrim::report {

namespace {

constexpr double print_tolerance = 1e-7;  // ratio: "%14.7e" keeps 8 digits, so a printed value is within 5e-8 of its own size
constexpr double grid_tolerance = 1e-4;   // ratio: "%12.5g" keeps 5 digits of a grid frequency
constexpr double srs_tolerance = 1e-3;    // ratio: "%8.4g" keeps 4 digits of a spectrum value
constexpr double srs_floor = 1e-90;       // signal unit: spectrum values not above this count as zero

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.8g", v);
    return text;
}

const char* not_this_record = "; the result files are not from this record";

// Output file 1 or 2: one row per sample, with the record's sample times.
void check_series(const number_rows& rows, const std::string& name, const time_history& th) {
    if (rows.rows() == 0) throw report_error(name + ": empty: the run did not finish");
    if (rows.rows() != static_cast<size_t>(th.n))
        throw report_error(name + ": " + std::to_string(rows.rows()) + " samples, the record has " +
                           std::to_string(th.n) + not_this_record);
    const std::vector<double>& t = rows.columns[0];
    for (size_t i = 0; i < t.size(); ++i)
        if (!(std::fabs(t[i] - th.xa[i]) <= print_tolerance * std::fmax(std::fabs(t[i]), std::fabs(th.xa[i]))))
            throw report_error(name + ": sample " + std::to_string(i + 1) + " has the time " + num(t[i]) +
                               ", the record " + num(th.xa[i]) + not_this_record);
}

}  // namespace

std::string one_line(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (is_space(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ') out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string stop_message(const std::string& console) {
    size_t at = console.rfind(" Stop:");
    if (at != std::string::npos) return one_line(console.substr(at + 6));
    size_t end = console.find_last_not_of(" \t\r\n");
    if (end == std::string::npos) return "";
    size_t start = console.find_last_of('\n', end);
    start = start == std::string::npos ? 0 : start + 1;
    return one_line(console.substr(start, end + 1 - start));
}

report_data gather_report(const report_request& req) {
    report_data d;
    d.req = req;
    const answers& a = req.ans;

    // The record, read as basetrim reads it: header lines, samples, time
    // base. A stop of the reader becomes an error with its message.
    {
        text_in in;
        if (!in.open(a.input_name))
            throw report_error(a.input_name + ": cannot open the record (" + std::strerror(in.error()) + ")");
        out_text con;
        try {
            const int64_t header_count = count_header_lines(in, con);
            read_samples(d.th, in, con, header_count);
        } catch (const run_stop&) {
            const std::string m = stop_message(con.str());
            throw report_error(m.find(a.input_name) != std::string::npos ? m : a.input_name + ": " + m);
        }
    }
    const time_history& th = d.th;
    const int32_t n = th.n;

    // The time axis: the record's time column when it never decreases, as
    // plots and integrals need; else the evenly spaced time base.
    if (th.ascending) {
        d.time = th.xa;
    } else {
        d.time.resize(n);
        for (int32_t i = 0; i < n; ++i) d.time[i] = th.xone + i * th.dt;
        d.time_note = "The time column of the record decreases somewhere; plots and velocities use evenly spaced "
                      "times from the first time with the record's sample interval.";
    }

    // Output files 1 and 2: the record's sample times, and baseline plus
    // corrected value equal to the record within print precision.
    const number_rows base = read_number_rows(a.baseline_name, 2, "time and baseline");
    check_series(base, a.baseline_name, th);
    const number_rows corr = read_number_rows(a.corrected_name, 2, "time and corrected value");
    check_series(corr, a.corrected_name, th);
    d.baseline = base.columns[1];
    d.corrected = corr.columns[1];
    for (int32_t i = 0; i < n; ++i) {
        const double b = d.baseline[i], c = d.corrected[i];
        if (!(std::fabs(b + c - th.amp_in[i]) <= print_tolerance * (std::fabs(b) + std::fabs(c))))
            throw report_error(a.corrected_name + ": sample " + std::to_string(i + 1) + ": baseline " + num(b) +
                               " plus corrected value " + num(c) + " is not the record's " + num(th.amp_in[i]) +
                               not_this_record);
    }

    // The knot list.
    const number_rows coef = read_number_rows(a.coef_name, 2, "knot time and value");
    if (coef.rows() == 0) throw report_error(a.coef_name + ": empty: the run did not finish");
    d.knot_t = coef.columns[0];
    d.knot_y = coef.columns[1];

    // Velocities of the record and of the corrected record.
    d.vel_before = velocity(d.time, th.amp_in);
    d.vel_after = velocity(d.time, d.corrected);

    // The grid and reference line of this record, then both spectra. A stop
    // of the set-up or of a spectrum run leaves that part not available.
    d.plan = std::make_unique<spectrum_plan>();
    out_text setup_lines;
    try {
        plan_spectrum(*d.plan, a, th, setup_lines);
    } catch (const run_stop&) {
        d.plan_message = stop_message(setup_lines.str());
        d.plan.reset();
    }
    if (d.plan) {
        d.before = run_spectrum(*d.plan, th.amp_in);
        d.after = run_spectrum(*d.plan, d.corrected);
    } else {
        d.before.messages = d.after.messages = d.plan_message;
    }

    // SRS output file 3: the grid of this record, and values that agree
    // with the spectrum of output file 2 within print precision.
    const number_rows srs = read_number_rows(a.srs_name, 3, "frequency, positive and negative spectrum");
    if (srs.rows() == 0) {
        d.srs_note = a.srs_name + " is empty: basetrim stopped before writing the spectrum of the corrected record.";
    } else if (!d.plan) {
        d.srs_note = a.srs_name + " was not compared: this record has no spectrum grid.";
    } else {
        const spectrum_plan& p = *d.plan;
        if (srs.rows() != static_cast<size_t>(p.nspec) + 1)
            throw report_error(a.srs_name + ": " + std::to_string(srs.rows()) + " frequencies, the grid of the record has " +
                               std::to_string(p.nspec + 1) + not_this_record);
        for (int32_t j = 0; j <= p.nspec; ++j)
            if (!(std::fabs(srs.columns[0][j] - p.fn[j]) <= grid_tolerance * p.fn[j]))
                throw report_error(a.srs_name + ": frequency " + std::to_string(j + 1) + " is " +
                                   num(srs.columns[0][j]) + " Hz, the grid's " + num(p.fn[j]) + " Hz" + not_this_record);
        d.srs_pos = srs.columns[1];
        d.srs_neg = srs.columns[2];
        if (d.after.ok) {
            d.srs_difference = 0;
            for (int32_t j = 0; j <= p.nspec; ++j) {
                const double pairs[2][2] = {{d.srs_pos[j], d.after.pos[j]}, {d.srs_neg[j], std::fabs(d.after.neg[j])}};
                for (const auto& pr : pairs) {
                    const double size = std::fmax(std::fabs(pr[1]), srs_floor);
                    d.srs_difference = std::fmax(d.srs_difference, std::fabs(pr[0] - pr[1]) / size);
                }
            }
            if (!(d.srs_difference <= srs_tolerance))
                d.srs_note = a.srs_name + " differs from the spectrum of " + a.corrected_name + " by up to " +
                             num(100 * d.srs_difference) + " %: it may be from another run.";
        }
    }
    return d;
}

}  // namespace basetrim::report

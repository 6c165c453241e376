#include "report/page.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "report/resources.h"

namespace basetrim::report {

namespace {

std::string format(const char* fmt, double v) {
    char text[64];
    std::snprintf(text, sizeof text, fmt, v);
    return text;
}

// Appends the bytes of `v` in little-endian order.
template <typename T, typename U>
void put_le(std::string& out, T v) {
    U bits = std::bit_cast<U>(v);
    for (size_t k = 0; k < sizeof(U); ++k) out.push_back(static_cast<char>((bits >> (8 * k)) & 0xff));
}

std::string json_array(const std::vector<double>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) out += ',';
        out += json_number(values[i]);
    }
    return out + "]";
}

// A script or style sheet inlined into the page; it must not close its own
// element early.
std::string inline_block(const char* tag, std::string_view body) {
    std::string close = std::string("</") + tag;
    if (body.find(close) != std::string_view::npos)
        throw report_error(std::string("internal: an inlined ") + tag + " holds " + close);
    return std::string("<") + tag + ">" + std::string(body) + "</" + tag + ">\n";
}

std::string row(const std::string& head, const std::vector<std::string>& cells) {
    std::string out = "<tr><th scope=\"row\">" + html_escape(head) + "</th>";
    for (const std::string& c : cells) out += "<td>" + html_escape(c) + "</td>";
    return out + "</tr>\n";
}

std::string measure(const spectrum_result& s, double v) {
    return s.ok ? table_number(v) : "not available: " + one_line(s.messages);
}

// The table of measures before and after the correction.
std::string measures_table(const report_data& d) {
    std::string t = "<table class=\"measures\" id=\"measures\">\n<thead><tr><th></th><th scope=\"col\">before "
                    "correction</th><th scope=\"col\">after correction</th></tr></thead>\n<tbody>\n";
    t += row("dmax, dB", {measure(d.before, d.before.dmax), measure(d.after, d.after.dmax)});
    t += row("ave_slope, dB", {measure(d.before, d.before.ave_slope), measure(d.after, d.after.ave_slope)});
    const double v0 = d.vel_before.empty() ? 0 : d.vel_before.back();
    const double v1 = d.vel_after.empty() ? 0 : d.vel_after.back();
    t += row("final velocity, amplitude × s", {table_number(v0), table_number(v1)});
    t += "<tr><th scope=\"row\">knots of the chosen baseline</th><td></td><td>" + std::to_string(d.knot_t.size()) +
         "</td></tr>\n";
    t += "</tbody></table>\n";
    return t;
}

std::string coordinate(const answers& a, int k) {
    return format("%.8g Hz", a.ref_freq[k]) + ", " + format("%.8g", a.ref_amp[k]);
}

// The table of the run's answers: the whole dialogue from an answers file,
// else the files and coordinates the options named.
std::string answers_table(const report_data& d) {
    const report_request& r = d.req;
    std::string t = "<table class=\"answers\" id=\"answers\">\n<thead><tr><th scope=\"col\">answer</th><th "
                    "scope=\"col\">given</th><th scope=\"col\">note</th></tr></thead>\n<tbody>\n";
    if (!r.given.empty()) {
        for (const given_answer& g : r.given) t += row(g.prompt, {g.text, g.note});
    } else {
        const answers& a = r.ans;
        t += row("input file", {a.input_name, ""});
        t += row("output file 1 (baseline)", {a.baseline_name, ""});
        t += row("output file 2 (corrected record)", {a.corrected_name, ""});
        t += row("SRS output file 3", {a.srs_name, ""});
        t += row("coefficient file", {a.coef_name, ""});
        t += row("first coordinate", {coordinate(a, 0), ""});
        t += row("second coordinate", {coordinate(a, 1), ""});
        t += row("other answers", {"", "not known: give --answers to show the whole dialogue"});
    }
    t += "</tbody></table>\n";
    return t;
}

std::string record_table(const report_data& d) {
    const time_history& th = d.th;
    std::string t = "<table class=\"record\" id=\"record\">\n<tbody>\n";
    t += row("samples", {std::to_string(th.n)});
    t += row("first and last time, s", {format("%.8g", th.xone) + " to " + format("%.8g", th.xlast)});
    t += row("sample interval, s", {format("%.8g", th.dt)});
    if (d.plan)
        t += row("spectrum grid", {std::to_string(d.plan->nspec + 1) + " frequencies, " + format("%.5g", d.plan->fn[0]) +
                                   " to " + format("%.5g", d.plan->fn[d.plan->nspec]) + " Hz, 5 % damping"});
    else
        t += row("spectrum grid", {"not available: " + d.plan_message});
    if (!d.req.answers_name.empty()) t += row("answers file", {d.req.answers_name});
    t += "</tbody></table>\n";
    return t;
}

// The data the page's script draws: the series packed in base64, small
// arrays as JSON numbers.
std::string data_block(const report_data& d) {
    std::string j = "{";
    j += "\"n\":" + std::to_string(d.th.n);
    j += ",\"time\":\"" + packed(d.time, false) + "\"";
    j += ",\"record\":\"" + packed(d.th.amp_in, true) + "\"";
    j += ",\"baseline\":\"" + packed(d.baseline, true) + "\"";
    j += ",\"corrected\":\"" + packed(d.corrected, true) + "\"";
    j += ",\"vel_before\":\"" + packed(d.vel_before, true) + "\"";
    j += ",\"vel_after\":\"" + packed(d.vel_after, true) + "\"";
    j += ",\"knot_t\":" + json_array(d.knot_t);
    j += ",\"knot_y\":" + json_array(d.knot_y);
    if (d.plan) {
        const spectrum_plan& p = *d.plan;
        const std::vector<double> fn(p.fn, p.fn + p.nspec + 1);
        const auto magnitudes = [](const std::vector<double>& v) {
            std::vector<double> m(v.size());
            for (size_t i = 0; i < v.size(); ++i) m[i] = std::fabs(v[i]);
            return m;
        };
        j += ",\"spectrum\":{\"fn\":" + json_array(fn);
        j += ",\"before_pos\":" + (d.before.ok ? json_array(d.before.pos) : "null");
        j += ",\"before_neg\":" + (d.before.ok ? json_array(magnitudes(d.before.neg)) : "null");
        j += ",\"after_pos\":" + (d.after.ok ? json_array(d.after.pos) : "null");
        j += ",\"after_neg\":" + (d.after.ok ? json_array(magnitudes(d.after.neg)) : "null");
        const answers& a = d.req.ans;
        j += ",\"ref_freq\":[" + json_number(a.ref_freq[0]) + "," + json_number(a.ref_freq[1]) + "]";
        j += ",\"ref_amp\":[" + json_number(a.ref_amp[0]) + "," + json_number(a.ref_amp[1]) + "]}";
    } else {
        j += ",\"spectrum\":null";
    }
    return j + "}";
}

std::string notes(const report_data& d) {
    std::string out;
    const auto note = [&](const std::string& text) {
        if (!text.empty()) out += "<p class=\"note\">" + html_escape(text) + "</p>\n";
    };
    note(d.time_note);
    note(d.srs_note);
    if (d.srs_difference >= 0 && d.srs_note.empty())
        note(d.req.ans.srs_name + " agrees with the spectrum of " + d.req.ans.corrected_name + " to " +
             format("%.2g", 100 * d.srs_difference) + " %.");
    return out;
}

std::string spectrum_messages(const report_data& d) {
    std::string out;
    const auto block = [&](const char* what, const spectrum_result& s) {
        const std::string m = one_line(s.messages);
        if (m.empty()) return;
        out += "<p class=\"note\">" + std::string(what) + (s.ok ? "" : " not available") + ":</p>\n<pre class=\"messages\">" +
               html_escape(s.messages) + "</pre>\n";
    };
    block("Spectrum of the record", d.before);
    block("Spectrum of the corrected record", d.after);
    return out;
}

}  // namespace

std::string base64(std::string_view bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1]) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += digits[v & 63];
    }
    if (i + 1 == bytes.size()) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1]) << 8;
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string html_escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string json_number(double v) { return std::isfinite(v) ? format("%.17g", v) : "null"; }

std::string packed(const std::vector<double>& values, bool single) {
    std::string bytes;
    bytes.reserve(values.size() * (single ? 4 : 8));
    for (double v : values) {
        if (single)
            put_le<float, uint32_t>(bytes, static_cast<float>(v));
        else
            put_le<double, uint64_t>(bytes, v);
    }
    return base64(bytes);
}

std::string table_number(double v) {
    if (std::isinf(v)) return v > 0 ? "infinite" : "-infinite";
    return format("%.6g", v);
}

std::string report_page(const report_data& d) {
    const std::string title = "basetrim report: " + d.req.ans.input_name;
    std::string h;
    h.reserve(static_cast<size_t>(d.th.n) * 36 + 200000);
    h += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    h += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    h += "<title>" + html_escape(title) + "</title>\n";
    // Errors of any script on the page are kept for the page's render check.
    h += "<script>window.report_errors=[];window.addEventListener('error',function(e){window.report_errors.push("
         "String(e.message||e.type));},true);window.addEventListener('unhandledrejection',function(e){window."
         "report_errors.push(String(e.reason));});</script>\n";
    h += inline_block("style", uplot_style());
    h += inline_block("style", page_style());
    h += "</head>\n<body>\n<main>\n";
    h += "<h1>" + html_escape(title) + "</h1>\n";
    h += "<section id=\"summary\">\n<h2>Summary</h2>\n<div class=\"tables\">\n<div>\n";
    h += measures_table(d);
    h += record_table(d);
    h += "</div>\n<div>\n";
    h += answers_table(d);
    h += "</div>\n</div>\n";
    h += notes(d);
    h += "</section>\n";
    h += "<section id=\"time-plots\">\n<h2>Record, baseline and corrected record</h2>\n";
    h += "<p class=\"hint\">Drag across a plot to zoom in on that time span, double-click to see the whole "
         "record again; both plots follow. Dots are the knots of the chosen baseline. Click a legend entry to "
         "hide or show its line.</p>\n";
    h += "<label class=\"control\"><input type=\"checkbox\" id=\"fit-baseline\"> amplitude axis around the "
         "baseline</label>\n";
    h += "<div class=\"plot\" id=\"record-plot\"></div>\n";
    h += "<h2>Velocity before and after the correction</h2>\n";
    h += "<p class=\"hint\">Cumulative trapezoidal integral of the record and of the corrected record, in the "
         "record's unit times seconds. A zero shift shows as a velocity that drifts instead of returning to "
         "zero.</p>\n";
    h += "<div class=\"plot\" id=\"velocity-plot\"></div>\n</section>\n";
    h += "<section id=\"spectrum-plots\">\n<h2>Shock response spectra</h2>\n";
    h += "<p class=\"hint\">Absolute acceleration, 5 % damping, positive and negative spectra of the record "
         "(dashed) and of the corrected record (solid), with the reference line between the two "
         "coordinates.</p>\n";
    h += "<div class=\"plot\" id=\"spectrum-plot\"></div>\n";
    h += spectrum_messages(d);
    h += "</section>\n</main>\n";
    h += "<pre id=\"render-check\" hidden></pre>\n";
    h += "<script type=\"application/json\" id=\"report-data\">" + data_block(d) + "</script>\n";
    h += inline_block("script", uplot_script());
    h += inline_block("script", page_script());
    h += "</body>\n</html>\n";
    return h;
}

void write_page(const std::string& name, const std::string& page) {
    // Write the whole page; a failed open or write names the file.
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) throw report_error(name + ": cannot write the report (" + std::strerror(errno) + ")");
    const bool written = std::fwrite(page.data(), 1, page.size(), f) == page.size();
    const int write_errno = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed)
        throw report_error(name + ": cannot write the report (" + std::strerror(written ? errno : write_errno) + ")");
}

}  // namespace basetrim::report

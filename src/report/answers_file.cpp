#include "report/answers_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "run/dialogue.h"
#include "run/limits.h"
#include "run/text_in.h"

namespace basetrim::report {

namespace {

enum class kind { name, real, integer, key };

struct slot {
    const char* prompt;  // the question, in the words of the answers table
    kind k;
};

// The answers in the order basetrim asks for them.
const slot slots[] = {
    {"input file", kind::name},
    {"output file 1 (baseline)", kind::name},
    {"output file 2 (corrected record)", kind::name},
    {"SRS output file 3", kind::name},
    {"coefficient file", kind::name},
    {"dmax weight", kind::real},
    {"slope weight", kind::real},
    {"number of trials", kind::integer},
    {"arbitrary integer", kind::integer},
    {"first coordinate, frequency (Hz)", kind::real},
    {"first coordinate, amplitude", kind::real},
    {"second coordinate, frequency (Hz)", kind::real},
    {"second coordinate, amplitude", kind::real},
    {"maximum exponent", kind::real},
    {"maximum number of points", kind::integer},
    {"final key", kind::key},
};

// A whole token as "%lf" reads it.
bool to_real(const std::string& tok, double& value) { return basetrim::convert_real(tok, value); }

// A whole token as "%ld" reads it, within 32 bits.
bool to_int(const std::string& tok, int32_t& value) {
    int64_t v = 0;
    if (!basetrim::convert_int(tok, v) || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

void parse_answers(const std::string& text, const std::string& name, report_request& req) {
    // Split into whitespace-delimited tokens, as basetrim reads its answers.
    std::vector<std::string> tokens;
    std::string tok;
    for (char c : text) {
        if (is_space(static_cast<unsigned char>(c))) {
            if (!tok.empty()) tokens.push_back(std::move(tok));
            tok.clear();
        } else {
            tok.push_back(c);
        }
    }
    if (!tok.empty()) tokens.push_back(std::move(tok));

    // Convert each token by the form of its prompt; a missing or
    // unconvertible answer names its place and its prompt.
    constexpr size_t required = std::size(slots) - 1;  // the final key may be missing
    if (tokens.size() < required) {
        throw report_error(name + ": the answers end after " + std::to_string(tokens.size()) +
                           " of the " + std::to_string(required) + " answers, before the " +
                           slots[tokens.size()].prompt);
    }
    answers& a = req.ans;
    std::string* names[] = {&a.input_name, &a.baseline_name, &a.corrected_name, &a.srs_name, &a.coef_name};
    double* reals[] = {&a.dmax_weight, &a.slope_weight, &a.ref_freq[0], &a.ref_amp[0],
                       &a.ref_freq[1],  &a.ref_amp[1],   &a.max_exponent};
    int32_t* ints[] = {&a.ntrials, &a.seed_skip, &a.max_points};
    size_t name_i = 0, real_i = 0, int_i = 0;
    req.given.clear();
    for (size_t i = 0; i < std::size(slots); ++i) {
        const slot& s = slots[i];
        const std::string t = i < tokens.size() ? tokens[i] : "";
        const std::string place = name + ": answer " + std::to_string(i + 1) + ", the " + s.prompt + ", ";
        given_answer g{s.prompt, t, ""};
        switch (s.k) {
        case kind::name:
            if (t.size() >= static_cast<size_t>(name_capacity))
                throw report_error(place + "is longer than " + std::to_string(name_capacity - 1) + " characters");
            *names[name_i++] = t;
            break;
        case kind::real:
            if (!to_real(t, *reals[real_i++])) throw report_error(place + "is not a number: " + quoted(t));
            break;
        case kind::integer:
            if (!to_int(t, *ints[int_i])) throw report_error(place + "is not a whole number: " + quoted(t));
            ++int_i;
            break;
        case kind::key:
            if (t.empty()) g.note = "none: the answers end before it";
            break;
        }
        req.given.push_back(std::move(g));
    }

    // What the run made of the answers that it does not take as given.
    req.given[13].note = "read, not used: the knot draw always works with -1";
    if (a.max_points < min_points) req.given[14].note = "raised to " + std::to_string(min_points);
    if (tokens.size() > std::size(slots))
        req.given.back().note = std::to_string(tokens.size() - std::size(slots)) + " further tokens not read";
    req.answers_name = name;
}

void read_answers_file(const std::string& name, report_request& req) {
    // Read the whole file; an open or read failure names the file.
    text_in in;
    if (!in.open(name)) throw report_error(name + ": cannot open the answers file (" + std::strerror(in.error()) + ")");
    std::string text;
    for (int c = in.get(); c >= 0; c = in.get()) text.push_back(static_cast<char>(c));
    if (in.failed()) throw report_error(name + ": cannot read the answers file (" + std::strerror(in.error()) + ")");
    parse_answers(text, name, req);
}

}  // namespace basetrim::report

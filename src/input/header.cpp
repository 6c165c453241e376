#include "input/header.h"

#include <array>
#include <string>

namespace basetrim {

namespace {

// Characters that make a line text wherever they stand; E and e are decided
// by the line as a whole.
constexpr std::array<bool, 256> text_chars = [] {
    std::array<bool, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = c != 'E';
    for (int c = 'a'; c <= 'z'; ++c) t[c] = c != 'e';
    for (char c : std::string_view("!#$%^&*/><?=;@")) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

}  // namespace

bool looks_like_text(std::string_view line) {
    bool has_upper_e = false, has_lower_e = false;
    for (char ch : line) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (text_chars[c]) return true;
        if (c == 'E') has_upper_e = true;
        if (c == 'e') has_lower_e = true;
    }
    if (has_upper_e && line.find("E+") == std::string_view::npos &&
        line.find("E-") == std::string_view::npos)
        return true;
    if (has_lower_e && line.find("e+") == std::string_view::npos &&
        line.find("e-") == std::string_view::npos)
        return true;
    return false;
}

int64_t count_header_lines(text_in& in, out_text& con) {
    int64_t header_count = 0;
    int64_t line_no = 1;
    while (in.read_line()) {
        if (looks_like_text(in.line())) header_count = line_no;
        ++line_no;
    }
    if (in.failed())
        stop_run(con, "cannot read the input file %s (%s)", in.name().c_str(), error_text(in.error()).c_str());
    if (!in.rewind())
        stop_run(con, "cannot go back to the start of the input file %s (%s)", in.name().c_str(),
                 error_text(in.error()).c_str());
    con.printf("\n %ld header lines detected \n\n", static_cast<long>(header_count));
    for (int64_t k = 0; k < header_count; ++k) {
        in.read_line();
        con.put(' ');
        con.put(in.line());
        con.put(' ');
    }
    return header_count;
}

}  // namespace basetrim

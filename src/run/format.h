// Number formatting for the large tables and files, with exactly the bytes
// of the printf conversions named beside each function (C locale).
// std::to_chars gives printf's digits for these conversions; the
// straightforward build uses snprintf itself.
#pragma once

#include <charconv>
#include <cstdio>

#include "run/limits.h"
#include "run/output.h"

namespace basetrim {

namespace format_detail {

inline void pad_put(out_text& out, const char* s, size_t len, int width) {
    for (size_t k = len; k < static_cast<size_t>(width); ++k) out.put(' ');
    out.put(std::string_view(s, len));
}

}  // namespace format_detail

// One real in the form of the printf conversion `c_conv` ("e" or "g").
inline void put_real(out_text& out, double v, int width, int precision, std::chars_format form, const char* c_conv) {
    char buf[64];
    if (straightforward) {
        char fmt[8] = {'%', '*', '.', '*', c_conv[0], '\0'};
        int len = std::snprintf(buf, sizeof buf, fmt, width, precision, v);
        out.put(std::string_view(buf, static_cast<size_t>(len)));
        return;
    }
    auto r = std::to_chars(buf, buf + sizeof buf, v, form, precision);
    format_detail::pad_put(out, buf, static_cast<size_t>(r.ptr - buf), width);
}

// "%W.Pe"
inline void put_e(out_text& out, double v, int width, int precision) {
    put_real(out, v, width, precision, std::chars_format::scientific, "e");
}

// "%W.Pg"
inline void put_g(out_text& out, double v, int width, int precision) {
    put_real(out, v, width, precision, std::chars_format::general, "g");
}

// "%ld"
inline void put_long(out_text& out, long v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.put(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

}  // namespace basetrim

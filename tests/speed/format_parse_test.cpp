// The fast number formatting and parsing against printf and strtod.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "run/format.h"
#include "run/text_in.h"

namespace {

using namespace basetrim;

std::string c_format(const char* fmt, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

// Values that make formatting hard: random bit patterns, rounding ties at
// each precision, powers of ten, subnormals and the special values.
std::vector<double> awkward_values() {
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 0.5, 9.5, 99999.95, 999999.5, 1e-5, 9.9999995e-5, 1e100,
                             5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 gen(5);
    for (int k = 0; k < 20000; ++k) {
        uint64_t bits = gen();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        v.push_back(d);
        v.push_back(std::ldexp(static_cast<double>(gen() % 100000000), static_cast<int>(gen() % 90) - 60));
        v.push_back((static_cast<double>(gen() % 2000001) - 1000000.0) / 1000.0);
        v.push_back(std::pow(10.0, static_cast<int>(gen() % 40) - 20) * (gen() % 2 ? 5 : -5));
    }
    return v;
}

TEST(fast_format, equals_printf_for_every_table_and_file_conversion) {
    struct conv {
        const char* fmt;
        int width, precision;
        bool e;
    } convs[] = {{"%14.7e", 14, 7, true}, {"%12.6g", 12, 6, false}, {"%8.4g", 8, 4, false}, {"%12.5g", 12, 5, false}};
    for (double v : awkward_values())
        for (const conv& c : convs) {
            out_text out;
            if (c.e)
                put_e(out, v, c.width, c.precision);
            else
                put_g(out, v, c.width, c.precision);
            ASSERT_EQ(c_format(c.fmt, v), out.str()) << c.fmt;
        }
    for (long v : {0L, 7L, -1L, 100000L, -2147483648L, 4294967295L}) {
        out_text out;
        put_long(out, v);
        EXPECT_EQ(std::to_string(v), out.str());
    }
}

TEST(fast_parse, equals_strtod_on_the_forms_a_record_holds) {
    std::vector<std::string> texts = {"0", "-0", "+1.5", "1.", ".5", "-.5e-3", "1e", "1e+", "1e-5-3", "  \t 2.5,3",
                                      "1e400", "-1e400", "1e-400", "4.9e-324", "0x1p3", "inf", "-nan", "12abc",
                                      "1.5.3", "--1", "+-1", "", " ", "-", "."};
    for (double v : awkward_values())
        for (const char* fmt : {"%.9e", "%.6e", "%g", "%.17g", "%f", "%.3f"}) texts.push_back(c_format(fmt, v));
    for (const std::string& s : texts) {
        char* end = nullptr;
        double want = std::strtod(s.c_str(), &end);
        size_t want_used = static_cast<size_t>(end - s.c_str());
        double got = -12345.0;
        size_t used = parse_double(s, got);
        ASSERT_EQ(want_used, used) << "'" << s << "'";
        if (used) {
            ASSERT_EQ(std::signbit(want), std::signbit(got)) << s;
            if (!std::isnan(want)) {
                ASSERT_EQ(want, got) << s;
            }
        }
    }
}

}  // namespace

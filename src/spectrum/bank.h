// The filter bank's vector kernels: one lane per natural frequency, the
// recursion over time serial with its state in registers. Each target is
// compiled in a file of its own with that target's instruction set; this
// header and those files use nothing from the standard library, so no
// library code built for a wider instruction set can end up shared with the
// rest of the program.
#pragma once

#include <cstdint>

namespace basetrim {

// What a kernel reads and writes, as plain arrays. The coefficient arrays
// hold at least `lanes` entries, rounded up to the kernel's width, with zero
// coefficients beyond the grid (those lanes stay at rest).
struct bank_args {
    const double* a1;
    const double* a2;
    const double* b1;
    const double* b2;
    const double* b3;
    const double* input;  // samples 0 .. n-1, followed by `tail` steps of zero input
    int64_t n;
    int64_t tail;
    int32_t lanes;        // frequencies to run
    double* xmax;         // per lane: largest response, starts at zero
    double* xmin;         // per lane: smallest response, starts at zero
};

// The kernels. Lanes are run in groups across the whole input; every lane
// computes x = b3*ybb + b1*y + b2*yb + a2*xbb + a1*xb, added left to right,
// and keeps its running maximum and minimum with the scalar loop's strict
// comparisons, so every result equals the scalar loop's bit for bit. The
// divergence test is left to the caller, on xmax and xmin.
void bank_sse2(const bank_args& a);
void bank_avx2(const bank_args& a);
void bank_avx512(const bank_args& a);

}  // namespace basetrim

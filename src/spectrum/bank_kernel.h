// The body of the vector kernels, instantiated once per target in
// bank_<target>.cpp. Included only there.
#pragma once

#include "spectrum/bank.h"

namespace basetrim {
namespace bank_detail {

// Every lane set to v, written as an initializer so that it becomes a single
// broadcast instruction.
template <typename V, int W>
struct splat;
template <typename V>
struct splat<V, 2> {
    static V of(double v) { return V{v, v}; }
};
template <typename V>
struct splat<V, 4> {
    static V of(double v) { return V{v, v, v, v}; }
};
template <typename V>
struct splat<V, 8> {
    static V of(double v) { return V{v, v, v, v, v, v, v, v}; }
};

template <typename V, int W>
inline __attribute__((always_inline)) V broadcast(double v) {
    return splat<V, W>::of(v);
}

template <typename V, int W>
inline __attribute__((always_inline)) V load(const double* p) {
    V r;
    __builtin_memcpy(&r, p, sizeof r);
    return r;
}

template <typename V, int W>
inline __attribute__((always_inline)) void store(double* p, V v) {
    __builtin_memcpy(p, &v, sizeof v);
}

// One step for G blocks of W lanes.
template <typename V, int G>
inline __attribute__((always_inline)) void step(const V (&a1)[G], const V (&a2)[G], const V (&b1)[G],
                                                const V (&b2)[G], const V (&b3)[G], V (&xb)[G], V (&xbb)[G],
                                                V (&mx)[G], V (&mn)[G], V y, V yb, V ybb) {
    for (int g = 0; g < G; ++g) {
        V x = b3[g] * ybb + b1[g] * y + b2[g] * yb + a2[g] * xbb[g] + a1[g] * xb[g];
        // if (x > xmax) xmax = x; if (x < xmin) xmin = x;
        mx[g] = x > mx[g] ? x : mx[g];
        mn[g] = x < mn[g] ? x : mn[g];
        xbb[g] = xb[g];
        xb[g] = x;
    }
}

// Runs lanes first .. first + G*W - 1 over the whole input.
template <typename V, int W, int G>
inline __attribute__((always_inline)) void run_group(const bank_args& a, int32_t first) {
    V a1[G], a2[G], b1[G], b2[G], b3[G], xb[G], xbb[G], mx[G], mn[G];
    const V zero = broadcast<V, W>(0.0);
    for (int g = 0; g < G; ++g) {
        const int32_t at = first + g * W;
        a1[g] = load<V, W>(a.a1 + at);
        a2[g] = load<V, W>(a.a2 + at);
        b1[g] = load<V, W>(a.b1 + at);
        b2[g] = load<V, W>(a.b2 + at);
        b3[g] = load<V, W>(a.b3 + at);
        xb[g] = xbb[g] = mx[g] = mn[g] = zero;
    }
    V yb = zero, ybb = zero;
    const double* in = a.input;
    for (int64_t i = 0; i < a.n; ++i) {
        V y = broadcast<V, W>(in[i]);
        step<V, G>(a1, a2, b1, b2, b3, xb, xbb, mx, mn, y, yb, ybb);
        ybb = yb;
        yb = y;
    }
    for (int64_t i = 0; i < a.tail; ++i) {
        step<V, G>(a1, a2, b1, b2, b3, xb, xbb, mx, mn, zero, yb, ybb);
        ybb = yb;
        yb = zero;
    }
    for (int g = 0; g < G; ++g) {
        store<V, W>(a.xmax + first + g * W, mx[g]);
        store<V, W>(a.xmin + first + g * W, mn[g]);
    }
}

// All lanes: groups of G blocks, then single blocks for the rest.
template <typename V, int W, int G>
inline __attribute__((always_inline)) void run_bank(const bank_args& a) {
    int32_t first = 0;
    for (; a.lanes - first > (G - 1) * W; first += G * W) run_group<V, W, G>(a, first);
    for (; first < a.lanes; first += W) run_group<V, W, 1>(a, first);
}

}  // namespace bank_detail
}  // namespace basetrim

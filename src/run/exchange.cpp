#include "run/exchange.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

namespace basetrim {

void exchange_order_plain(const double* v_in, int32_t count, int32_t* ord) {
    std::vector<double> v(v_in, v_in + (count > 0 ? count : 0));
    for (int32_t k = 0; k < count; ++k) ord[k] = k;
    for (int32_t a = 0; a < count - 1; ++a)
        for (int32_t b = a + 1; b < count; ++b)
            if (v[b] < v[a] || std::isnan(v[a]) || std::isnan(v[b])) {
                std::swap(v[a], v[b]);
                std::swap(ord[a], ord[b]);
            }
}

// How the exchange sort orders equal values, and why this reproduces it.
//
// Pass a of the sort walks the chain of strict running minima of positions
// a .. end and rotates it: each chain element moves to the position of the
// next, and the first occurrence of the smallest value lands at a. Two
// facts follow.
//
// 1. Restricted to the elements not greater than a value V, a pass acts as a
//    pass of the same sort on that subsequence. The order among the members
//    of V therefore depends only on the elements <= V, taken in their
//    original order; call their positions in that subsequence ordinals.
// 2. In that subsequence V is the largest value, so a member of V is on a
//    chain only as its head. If the front ordinal p of a pass holds a member
//    of V, the maximal run of members p .. e rotates by one: its first member
//    moves to ordinal e+1, which held a smaller element, and the run now
//    covers p+1 .. e+1, merging with a run that starts at e+2. Otherwise the
//    members stay where they are. This goes on for the S passes that take
//    out the S elements smaller than V; the members then come out in the
//    order they stand in.
//
// So each class is a queue that rotates once per pass while it is at the
// front and swallows the next run when it reaches it; rotations between two
// runs are taken modulo the queue's length. Tested against the quadratic
// procedure on many tables with repeated values.
namespace {

struct fenwick {
    std::vector<int32_t> t;
    explicit fenwick(int32_t n) : t(static_cast<size_t>(n) + 1, 0) {}
    void add(int32_t i) {
        for (++i; i < static_cast<int32_t>(t.size()); i += i & -i) ++t[i];
    }
    int32_t before(int32_t i) const {  // entries added at indices < i
        int32_t s = 0;
        for (; i > 0; i -= i & -i) s += t[i];
        return s;
    }
};

// Final order of one class whose members (ascending original index) stand at
// the given ordinals, with `smaller` elements of lower value.
void order_class(const int32_t* members, const int32_t* ordinal, int32_t c, int32_t smaller, int32_t* out,
                 std::vector<int32_t>& tape) {
    // Maximal runs of consecutive ordinals.
    int32_t next = 0;  // first member not yet in the queue
    auto run_end = [&](int32_t from) {
        int32_t t = from;
        while (t + 1 < c && ordinal[t + 1] == ordinal[t] + 1) ++t;
        return t;
    };
    tape.clear();
    size_t lo = 0;
    int64_t p = ordinal[0];  // the queue's run starts at the first member's ordinal
    if (p < smaller) {
        int32_t t = run_end(0);
        for (int32_t k = 0; k <= t; ++k) tape.push_back(members[k]);
        int64_t e = ordinal[t];
        next = t + 1;
        for (;;) {
            int64_t len = static_cast<int64_t>(tape.size() - lo);
            int64_t to_run = next < c ? (ordinal[next] - 1) - e : INT64_MAX;
            int64_t left = smaller - p;
            int64_t r = to_run < left ? to_run : left;
            int64_t k = r % len;
            for (int64_t s = 0; s < k; ++s) tape.push_back(tape[lo + static_cast<size_t>(s)]);
            lo += static_cast<size_t>(k);
            p += r;
            e += r;
            if (r != to_run) break;
            int32_t t2 = run_end(next);
            for (int32_t m = next; m <= t2; ++m) tape.push_back(members[m]);
            e = ordinal[t2];
            next = t2 + 1;
            if (p >= smaller) break;
        }
    }
    int32_t w = 0;
    for (size_t s = lo; s < tape.size(); ++s) out[w++] = tape[s];
    for (int32_t m = next; m < c; ++m) out[w++] = members[m];
}

}  // namespace

void exchange_order(const double* v, int32_t count, int32_t* ord) {
    if (count <= 0) return;
    for (int32_t k = 0; k < count; ++k)
        if (std::isnan(v[k])) {
            exchange_order_plain(v, count, ord);
            return;
        }
    std::vector<int32_t> idx(static_cast<size_t>(count));
    std::iota(idx.begin(), idx.end(), 0);
    std::stable_sort(idx.begin(), idx.end(), [v](int32_t a, int32_t b) { return v[a] < v[b]; });
    fenwick inserted(count);
    std::vector<int32_t> ordinal, tape;
    int32_t start = 0;
    while (start < count) {
        int32_t end = start + 1;
        while (end < count && !(v[idx[start]] < v[idx[end]])) ++end;
        const int32_t c = end - start;
        const int32_t* members = idx.data() + start;  // ascending original index: the sort is stable
        if (c == 1) {
            ord[start] = members[0];
        } else {
            ordinal.resize(static_cast<size_t>(c));
            for (int32_t t = 0; t < c; ++t) ordinal[t] = inserted.before(members[t]) + t;
            order_class(members, ordinal.data(), c, start, ord + start, tape);
        }
        for (int32_t t = 0; t < c; ++t) inserted.add(members[t]);
        start = end;
    }
}

}  // namespace basetrim

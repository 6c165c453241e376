// The exchange sort used for the knot times and for the ranking, and a fast
// method that yields exactly its order, equal values included.
#pragma once

#include <cstdint>

namespace basetrim {

// The final order of the exchange sort over v[0 .. count-1] that starts from
// the identity: for a < b, positions a and b are exchanged when v[b] < v[a]
// (or either is not a number). Leaves the permutation in `ord`, so that
// position r of the sorted values holds v[ord[r]]. exchange_order_plain is
// the quadratic procedure itself; exchange_order gives the same order in
// n log n time (it falls back to the procedure when a value is not a number).
void exchange_order(const double* v, int32_t count, int32_t* ord);
void exchange_order_plain(const double* v, int32_t count, int32_t* ord);

}  // namespace basetrim

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "run/format.h"
#include "run/limits.h"
#include "selection/selection.h"

namespace basetrim {

void rank_trials(selection& sel, const answers& ans, out_text& con) {
    const int32_t records = static_cast<int32_t>(sel.rec_dmax.size());
    sel.mj = records - 1;
    con.printf(" mj=%ld \n", static_cast<long>(sel.mj));
    if (sel.mj <= 0) {
        con.put("\n mj Error \n");
        fatal_stop();
    }
    const int32_t m = records;
    sel.ord_dmax.assign(m, 0);
    sel.ord_slope.assign(m, 0);
    sel.ord_peak.assign(m, 0);
    auto order = straightforward ? exchange_order_plain : exchange_order;
    order(sel.rec_dmax.data(), m, sel.ord_dmax.data());
    order(sel.rec_slope.data(), m, sel.ord_slope.data());
    order(sel.peak_sym.data(), m, sel.ord_peak.data());

    // " %ld %ld %ld %ld %ld\n"
    for (int32_t k = 0; k < m; ++k) {
        for (long v : {static_cast<long>(k), static_cast<long>(sel.ord_dmax[k]), static_cast<long>(sel.ord_slope[k]),
                       static_cast<long>(k), static_cast<long>(sel.ord_peak[k])}) {
            con.put(' ');
            put_long(con, v);
        }
        con.put('\n');
    }

    // Ranks by the inverse permutations; scores from the weighted ranks.
    sel.p.assign(m, 0);
    sel.q.assign(m, 0);
    sel.sum.assign(m, 0);
    if (straightforward) {
        // The search of each slot's position in the two orders.
        for (int32_t i = 0; i < m; ++i)
            for (int32_t r = 0; r < m; ++r) {
                if (sel.ord_dmax[r] == i) sel.p[i] = static_cast<uint32_t>(r);
                if (sel.ord_slope[r] == i) sel.q[i] = static_cast<uint32_t>(r);
            }
    } else {
        for (int32_t r = 0; r < m; ++r) {
            sel.p[sel.ord_dmax[r]] = static_cast<uint32_t>(r);
            sel.q[sel.ord_slope[r]] = static_cast<uint32_t>(r);
        }
    }
    for (int32_t i = 0; i < m; ++i) {
        sel.sum[i] = static_cast<double>(sel.q[i]) * ans.slope_weight + static_cast<double>(sel.p[i]) * ans.dmax_weight;
        // "ttt  %ld %ld  sum=%8.4g\n"
        con.put("ttt  ");
        put_long(con, static_cast<long>(sel.p[i]));
        con.put(' ');
        put_long(con, static_cast<long>(sel.q[i]));
        con.put("  sum=");
        put_g(con, sel.sum[i], 8, 4);
        con.put('\n');
    }
    con.put("\n ref 10 \n");

    // The choice: a later slot wins only below the integer part of the score
    // chosen so far.
    uint32_t sum_min = sum_start;
    sel.best_case = 0;
    for (int32_t i = 0; i < m; ++i) {
        // " sum[%ld]=%8.4g \n"
        con.put(" sum[");
        put_long(con, static_cast<long>(i));
        con.put("]=");
        put_g(con, sel.sum[i], 8, 4);
        con.put(" \n");
        if (static_cast<double>(sum_min) > sel.sum[i]) {
            sel.best_case = i;
            double t = std::trunc(sel.sum[i]);
            // Low 32 bits of the truncated value, taken as unsigned.
            double low = std::isfinite(t) ? std::fmod(t, 4294967296.0) : 0.0;
            if (low < 0) low += 4294967296.0;
            sum_min = static_cast<uint32_t>(low);
        }
    }
}

}  // namespace basetrim

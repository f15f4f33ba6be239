#include "rowreader/straight_row.h"

#include <algorithm>
#include <cmath>

namespace trevalune::rowreader {

namespace {

double noiseOf(double a, double b) {
    return std::sqrt(a * a + b * b);
}

}  // namespace

StraightRow buildStraightRow(const std::vector<RowReading>& unsorted) {
    StraightRow out;
    if (unsorted.empty()) return out;
    out.doubt = Doubt::TooClose;
    std::vector<RowReading> rows = unsorted;
    std::sort(rows.begin(), rows.end(), [](auto& l, auto& r) { return l.value < r.value; });
    const std::size_t n = rows.size();
    if (n < 2) return out;  // one row shows no step: nothing tells how far zero is
    for (std::size_t i = 1; i < n; ++i) {
        if (rows[i].value != rows[i - 1].value + 1) return out;
    }

    // Which way the offsets grow: the ends of the block must differ beyond their noise.
    const RowReading& low = rows.front();
    const RowReading& high = rows.back();
    const double span = high.offsetColumns - low.offsetColumns;
    if (std::abs(span) < kMargin * noiseOf(low.noiseColumns, high.noiseColumns)) return out;
    const double sign = span > 0 ? 1 : -1;
    std::vector<double> e(n);
    for (std::size_t i = 0; i < n; ++i) e[i] = sign * rows[i].offsetColumns;
    // Each row must lie beyond the one before: a row out of step is a misreading somewhere.
    for (std::size_t i = 1; i < n; ++i) {
        if (e[i] - e[i - 1] < -kMargin * noiseOf(rows[i].noiseColumns, rows[i - 1].noiseColumns)) {
            return out;
        }
    }

    // Where the offset crosses zero, between the two rows either side of it (or beyond the
    // end row by that row's own step): the step from row to row need not be the same
    // everywhere, since a setting need not move the pass by a whole column.
    std::size_t i = 0;
    if (e[0] > 0) {
        i = 0;
    } else if (e[n - 1] <= 0) {
        i = n - 2;
    } else {
        while (!(e[i] <= 0 && e[i + 1] > 0)) ++i;
    }
    const double step = e[i + 1] - e[i];
    const double stepNoise = noiseOf(rows[i].noiseColumns, rows[i + 1].noiseColumns);
    if (step < kMargin * stepNoise) return out;
    const double t = -e[i] / step;
    out.crossing = rows[i].value + t;
    const double sigma =
        noiseOf((1 - t) * rows[i].noiseColumns, t * rows[i + 1].noiseColumns) / step;

    const int first = rows.front().value;
    const int last = rows.back().value;
    if (out.crossing < first - 0.5 - kMargin * sigma ||
        out.crossing > last + 0.5 + kMargin * sigma) {
        out.doubt = Doubt::NoneStraight;
        return out;
    }
    const int nearest = static_cast<int>(std::lround(out.crossing));
    const double spare = 0.5 - std::abs(out.crossing - nearest);
    if (nearest < first || nearest > last || spare < kMargin * sigma) return out;
    out.straight = nearest;
    out.doubt = Doubt::None;
    const double z = spare / std::max(sigma, 1e-9);
    out.confidence = z / (z + kMargin);  // 0.5 where it only just decides, towards 1 beyond
    return out;
}

}  // namespace trevalune::rowreader

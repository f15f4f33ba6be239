#include "rowreader/straight_row.h"

#include <algorithm>
#include <cmath>

namespace trevalune::rowreader {

namespace {

double noiseOf(double a, double b) {
    return std::sqrt(a * a + b * b);
}

/// The least-squares line through the offsets against the values.
struct Line {
    double slope = 0;
    double meanValue = 0, meanOffset = 0;
    double at(double value) const { return meanOffset + slope * (value - meanValue); }
};

Line lineOf(const std::vector<RowReading>& rows) {
    Line line;
    const auto n = static_cast<double>(rows.size());
    for (const RowReading& r : rows) {
        line.meanValue += r.value / n;
        line.meanOffset += r.offsetColumns / n;
    }
    double sxy = 0, sxx = 0;
    for (const RowReading& r : rows) {
        sxy += (r.value - line.meanValue) * (r.offsetColumns - line.meanOffset);
        sxx += (r.value - line.meanValue) * (r.value - line.meanValue);
    }
    line.slope = sxx > 0 ? sxy / sxx : 0;
    return line;
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
        if (rows[i].value <= rows[i - 1].value) return out;
    }

    // Which way the offsets grow: the ends of the block must differ beyond their noise.
    const RowReading& low = rows.front();
    const RowReading& high = rows.back();
    const double span = high.offsetColumns - low.offsetColumns;
    if (std::abs(span) < kMargin * noiseOf(low.noiseColumns, high.noiseColumns)) return out;

    // One steady line: a row off it by more than the printer's uneven steps and the noise
    // is a misreading (a crease that moved the paper under part of the row), and the whole
    // block then decides nothing, since which rows are right cannot be told.
    const Line line = lineOf(rows);
    double worst = 0;
    for (const RowReading& r : rows) {
        const double off = std::abs(r.offsetColumns - line.at(r.value));
        const double allowed = kStepSlack * std::abs(line.slope) + kMargin * r.noiseColumns;
        if (off > allowed && off - allowed > worst) worst = off - allowed, out.outOfStep = r.value;
    }
    if (out.outOfStep) {
        out.doubt = Doubt::OutOfStep;
        return out;
    }
    out.predicted = line.meanValue - line.meanOffset / line.slope;

    const double sign = span > 0 ? 1 : -1;
    std::vector<double> e(n);
    for (std::size_t i = 0; i < n; ++i) e[i] = sign * rows[i].offsetColumns;
    // Each row must lie beyond the one before.
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
    const double values = rows[i + 1].value - rows[i].value;
    const double step = (e[i + 1] - e[i]) / values;
    const double stepNoise = noiseOf(rows[i].noiseColumns, rows[i + 1].noiseColumns) / values;
    if (step < kMargin * stepNoise) return out;
    const double t = -e[i] / step;  // in values from row i
    out.crossing = rows[i].value + t;
    const double w = t / values;
    const double sigma =
        noiseOf((1 - w) * rows[i].noiseColumns, w * rows[i + 1].noiseColumns) / step;

    const int first = rows.front().value;
    const int last = rows.back().value;
    if (out.crossing < first - 0.5 - kMargin * sigma ||
        out.crossing > last + 0.5 + kMargin * sigma) {
        out.doubt = Doubt::NoneStraight;
        return out;
    }
    const int nearest = static_cast<int>(std::lround(out.crossing));
    const double spare = 0.5 - std::abs(out.crossing - nearest);
    const bool whole = std::any_of(rows.begin(), rows.end(),
                                   [nearest](const RowReading& r) { return r.value == nearest; });
    if (!whole || spare < kMargin * sigma) return out;
    out.straight = nearest;
    out.doubt = Doubt::None;
    const double z = spare / std::max(sigma, 1e-9);
    out.confidence = z / (z + kMargin);  // 0.5 where it only just decides, towards 1 beyond
    return out;
}

}  // namespace trevalune::rowreader

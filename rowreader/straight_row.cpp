#include "rowreader/straight_row.h"

#include <algorithm>
#include <cmath>

namespace trevalune::rowreader {

namespace {

double noiseOf(double a, double b) {
    return std::sqrt(a * a + b * b);
}

/// How far beyond the rows the best value is looked for.
constexpr int kReach = 60;

/// Squares per row (columns squared) within which two placings of the line fit alike.
constexpr double kFitTolerance = 0.05 * 0.05;

/// A setting moves the reverse passes by whole units of the printer's own: `d` values move
/// them floor(d * unitsPerColumn) units, and a column is not always a whole number of units.
double stepsOf(double d, double unitsPerColumn) {
    return std::floor(d * unitsPerColumn + 1e-9) / unitsPerColumn;
}

/// How far each row lies off the steady line the other rows follow, in columns: the line is
/// the mode's own (a column per value, in the printer's units), placed where it fits the
/// other rows best, so that the row cannot pull it.
std::vector<double> offStep(const std::vector<RowReading>& rows, double sign,
                            double unitsPerColumn) {
    const std::size_t n = rows.size();
    std::vector<double> e(n);
    for (std::size_t i = 0; i < n; ++i) e[i] = sign * rows[i].offsetColumns;
    std::vector<double> residual(n);
    for (std::size_t i = 0; i < n; ++i) {
        // The pass moves by no unit at the best value, and by whole units either side: which
        // whole value that is, is not known. Of the values that fit the other rows about as well as
        // the best, the one that fits this row best counts: doubt goes to the row.
        std::vector<std::pair<double, double>> fits;  // the others' squares, this row's residual
        for (int best = rows.front().value - kReach; best <= rows.back().value + kReach; ++best) {
            const auto lineAt = [&](std::size_t j) {
                return e[j] - stepsOf(rows[j].value - best, unitsPerColumn);
            };
            double mean = 0, squares = 0;
            for (std::size_t j = 0; j < n; ++j) mean += j == i ? 0 : lineAt(j);
            mean /= static_cast<double>(n - 1);
            for (std::size_t j = 0; j < n; ++j) {
                if (j != i) squares += (lineAt(j) - mean) * (lineAt(j) - mean);
            }
            // The best value's own pass lies within half a column of straight.
            if (std::abs(mean) <= 0.5) fits.emplace_back(squares, std::abs(lineAt(i) - mean));
        }
        residual[i] = 1e300;
        if (fits.empty()) continue;
        const double least = std::min_element(fits.begin(), fits.end())->first;
        for (const auto& [squares, off] : fits) {
            if (squares <= least + kFitTolerance * static_cast<double>(n - 1))
                residual[i] = std::min(residual[i], off);
        }
    }
    return residual;
}

}  // namespace

StraightRow buildStraightRow(const std::vector<RowReading>& unsorted, double unitsPerColumn,
                             double slackColumns) {
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

    // One steady line: a row off it by more than the noise is a misreading (a crease that
    // moved the paper under part of the row), and the whole block then decides nothing,
    // since which rows are right cannot be told.
    const double sign = span > 0 ? 1 : -1;
    if (n >= 3) {
        const std::vector<double> off = offStep(rows, sign, unitsPerColumn);
        double worst = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double allowed = slackColumns + kMargin * rows[i].noiseColumns *
                                                      std::sqrt(1 + 1 / static_cast<double>(n - 1));
            if (off[i] - allowed > worst) worst = off[i] - allowed, out.outOfStep = rows[i].value;
        }
        if (out.outOfStep) {
            out.doubt = Doubt::OutOfStep;
            return out;
        }
    }
    // The line's crossing of zero, a column a value.
    double predicted = 0;
    for (const RowReading& r : rows) {
        predicted += (r.value - sign * r.offsetColumns) / static_cast<double>(n);
    }
    out.predicted = predicted;

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

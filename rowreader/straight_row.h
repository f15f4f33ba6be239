#pragma once

#include <optional>
#include <vector>

#include "rowreader/reader.h"

namespace trevalune::rowreader {

/// The verdict on one block of rows: which is straight, or why that cannot be told.
struct StraightRow {
    std::optional<int> straight;
    Doubt doubt = Doubt::NoRows;
    double confidence = 0;
    /// Where the offsets cross zero, in values (between rows when the best lies between).
    double crossing = 0;
    /// Where the rows' steady line crosses zero, also far beyond the rows; none without a line.
    std::optional<double> predicted;
    /// The row that lies furthest off the line, when one lies off it beyond the noise.
    std::optional<int> outOfStep;
};

/// Judges whole rows by their measured offsets; the rows may skip values (rows not measured).
/// Every setting moves the reverse passes by the same step, so the offsets must lie on one
/// steady line: a row off it beyond the noise is OutOfStep (a crease, a fold) and decides
/// nothing. Where they cross zero, found between the two rows either side, tells the straight
/// row: the row within half a value of the crossing, once the crossing lies that far inside
/// with kMargin noise to spare. A crossing beyond the end rows by more than half a value is
/// NoneStraight; anything less clear is TooClose. `crossing` tells which end is nearer.
StraightRow buildStraightRow(const std::vector<RowReading>& rows);

/// Noise (standard deviations) a verdict needs to spare.
inline constexpr double kMargin = 4.0;

/// How far, in steps, a whole row may lie off the line before it is out of step: a setting
/// moves the pass by whole units of the printer's own, which need not be whole columns (high
/// density's column is a unit and a half, so its steps alternate by a third of a column).
inline constexpr double kStepSlack = 0.35;

}  // namespace trevalune::rowreader

#pragma once

#include <optional>
#include <vector>

#include "rowreader/reader.h"

namespace trevalune::rowreader {

/// Noise (standard deviations) a verdict needs to spare.
inline constexpr double kMargin = 4.0;

/// How far, in columns, a whole row may lie off the line beyond its noise before it is out of
/// step.
inline constexpr double kStepSlack = 0.15;

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
/// Every setting moves the reverse passes by a column, in whole units of the printer's own
/// (`unitsPerColumn` of them a column), so the offsets must lie on that one steady line: a
/// row off it beyond the noise is OutOfStep (a crease, a fold) and decides nothing. Where they
/// cross zero, found between the two rows either side, tells the straight row: the row within half
/// a value of the crossing, once the crossing lies that far inside with kMargin noise to spare. A
/// crossing beyond the end rows by more than half a value is NoneStraight; anything less clear is
/// TooClose. `crossing` tells which end is nearer.
StraightRow buildStraightRow(const std::vector<RowReading>& rows, double unitsPerColumn = 1,
                             double slackColumns = kStepSlack);

}  // namespace trevalune::rowreader

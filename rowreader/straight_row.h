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
};

/// Judges rows of consecutive values by their measured offsets. The offsets must grow
/// steadily from row to row (each setting moves the reverse passes the same way); where they
/// cross zero, found between the two rows either side, tells the straight row: the row within
/// half a value of the crossing, once the crossing lies that far inside with kMargin noise to
/// spare. A crossing beyond the end rows by more than half a value is NoneStraight; anything
/// less clear, or rows out of step, is TooClose. `crossing` tells which end is nearer.
StraightRow buildStraightRow(const std::vector<RowReading>& rows);

/// Noise (standard deviations) a verdict needs to spare.
inline constexpr double kMargin = 4.0;

}  // namespace trevalune::rowreader

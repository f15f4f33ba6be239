#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "rowreader/image.h"
#include "rowreader/reader.h"

namespace trevalune::rowreader {

/// A page read as the picture gives it or, where that shows no sample rows at all, turned a
/// quarter (a page laid sideways on the glass, with no orientation tag to say so).
struct TurnedReading {
    std::vector<ModeReading> readings;
    /// Quarter turns clockwise given to the picture before the rows were found: 0, 1 or 3.
    int quarterTurns = 0;
    /// The picture as read when it was turned: the rows' outlines are in its pixels, so it is
    /// the one to draw them on.
    std::optional<GreyImage> turned;
};

/// The picture turned a quarter clockwise `quarterTurns` times (0 to 3); a quarter turn swaps
/// the two axes' resolutions with the axes.
GreyImage buildQuarterTurn(const GreyImage& picture, int quarterTurns);

using PageReader = std::function<std::vector<ModeReading>(const GreyImage&)>;

/// Reads the picture as given; only where no reading found a single row is it turned a
/// quarter one way, then the other, and the first turn that finds rows is taken. Any other
/// doubt of the upright reading (too coarse, cut off, out of step) stands.
TurnedReading readAnyWayUp(const GreyImage& picture, const PageReader& read);

inline TurnedReading readRowsAnyWayUp(const GreyImage& picture, const ReadOptions& options = {}) {
    return readAnyWayUp(picture, [&](const GreyImage& p) { return readRows(p, options); });
}

}  // namespace trevalune::rowreader

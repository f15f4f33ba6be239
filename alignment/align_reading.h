#pragma once

#include <optional>
#include <vector>

namespace trevalune {

/// One sample row as the reader saw it on a page align printed.
struct AlignRow {
    int value = 0;
    bool whole = true;  ///< measured, and in step with the others
    double offsetColumns = 0;
    double noiseColumns = 0;
};

/// What the reader made of one page: the straight row where it is sure, and where the rows'
/// steady line crosses straight, also beyond them.
struct AlignReading {
    std::vector<AlignRow> rows;
    std::optional<int> straight;
    std::optional<double> predicted;
};

}  // namespace trevalune

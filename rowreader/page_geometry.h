#pragma once

#include <array>

#include "alignment/print_mode.h"
#include "alignment/sample_row.h"
#include "alignment/test_print.h"

namespace trevalune::rowreader {

/// A kind of sample row the reader knows: the three modes' own rows and the test print's.
/// Everything is in the mode's columns, taken from the bytes the tool prints.
struct RowPattern {
    PrintMode mode;
    bool testPrint;
    int lineColumns;        ///< columns of the whole printed line
    int groupPitchColumns;  ///< from one bar group to the next
    int rows;               ///< rows in a block
    /// The group pitch against the row's height on square pixels: four passes a head high
    /// each, so it follows from the pitch in inches (0.44 and 0.4 inch; the test print's 0.8).
    double pitchPerHeight;
};

/// A row's height, four passes, in inches.
inline constexpr double kRowInches = 0.711;

constexpr RowPattern patternOf(PrintMode mode, const SampleGeometry& g, bool testPrint,
                               int halfWidth) {
    const int pitch = 12 + g.gap;  // six one-column bars with a gap after each, then the gap
    const int lineColumns = g.repeats * g.groups * pitch / 2;
    return {mode,
            testPrint,
            lineColumns,
            pitch,
            2 * halfWidth + 1,
            pitch * 8.0 / lineColumns / kRowInches};  // every line is 8 inches wide
}

/// A mode's own rows.
constexpr RowPattern patternOf(PrintMode mode) {
    return patternOf(mode, traits(mode).sample, false, traits(mode).sampleHalfWidth);
}

inline constexpr std::array<RowPattern, 4> kRowPatterns = {{
    patternOf(PrintMode::HighSpeed),
    patternOf(PrintMode::HighDensity),
    patternOf(PrintMode::SuperHighDensity),
    patternOf(PrintMode::HighSpeed, kTestSampleGeometry, true, kTestSampleHalfWidth),
}};

/// A bar group spans eleven columns: six one-column bars, one empty column between them.
inline constexpr int kGroupColumns = 11;

/// Every mode prints its line across the same width: 1440 high-speed columns at 180 a inch.
inline constexpr double kLineInches = 8.0;

/// The printer places a pass in units of 1/360 inch: a mode's column is this many of them
/// (2 in high speed, about 1.54 in high density, 1 in super-high density).
constexpr double unitsPerColumn(PrintMode mode) {
    return kLineInches * 360 / patternOf(mode).lineColumns;
}

}  // namespace trevalune::rowreader

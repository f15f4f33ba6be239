#pragma once

#include <string_view>

#include "alignment/print_mode.h"
#include "printer/timeline.h"

namespace trevalune {

/// The set-value command as one 14-byte document: 1B 01 40 "QV627" mode value FF 0A 0A 0A.
/// Throws Refusal naming the mode and the value when `value` is outside 0..255.
Timeline buildSetValueCommand(int value, PrintMode mode);

/// One sample row of a print mode for candidate `v`, eight documents (the rows differ in mode
/// byte, label indent and the geometry of the bar pattern, as kPrintModes gives them):
///  1. the set-value command for v (standard trailer) followed by the label: spaces, "*" when
///     `reference` equals v, the decimal v, CR. No LF, so the bars that
///     follow print on the label's line.
///  2-8. the bit-image line, ESC J 16, line, ESC J 16, line, ESC J 16, line: four identical
///     passes 16 units apart, which is what makes a misaligned column visible.
/// `reference` is the value the operator set (the test print's centre, the mode's value
/// otherwise), its fraction kept. Throws Refusal when v is outside 0..255.
Timeline buildSampleRow(PrintMode mode, int v, double reference);

/// The test print's row (high speed); the modes' own rows are in kPrintModes. One repeat:
/// its bars fall in the first half of the data, the even pins.
inline constexpr SampleGeometry kTestSampleGeometry = {14, 15, 1, 20, 3, 8, 132};

/// The test print's own sample row: high speed, with a shorter label and a wider pattern.
Timeline buildTestSample(int v, double centre);

/// GS V 'S', the page eject the form-feed button also sends.
inline constexpr std::string_view kPageEjectHex = "1D5653";

}  // namespace trevalune

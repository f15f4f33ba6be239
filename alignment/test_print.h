#pragma once

#include <string_view>

#include "alignment/value_check.h"
#include "printer/timeline.h"

namespace trevalune {

/// The centre the window shows at start-up, and the command line takes when none is given.
inline constexpr std::string_view kDefaultCentre = "31";
/// The test page prints the rows from its centre - this to its centre + this.
inline constexpr int kTestSampleHalfWidth = 3;

/// The centre of Combo2's text. Throws Refusal naming the text when it is not a plain number
/// or does not round (half to even) to 0..255.
AlignValue centreValueOf(std::string_view combo2Text);

/// The alignment test print: the high-speed alignment test page around `centre`. Documents:
///  1. set-value command, high speed, the centre value, long trailer (00 0A 0A 0A 0A);
///  2. the title line: 30 blanks, "Trevalune-----", "高速", "Korvel", LF;
///  when the centre c lies strictly between 4 and 117: seven sample rows for c - 3 to c + 3
///  (buildTestSample, the row for c marked "*"), then buildSetValueCommand(c, high speed) so the
///  printer is left on the centre value rather than the last candidate;
///  last: the page eject 1D 56 53.
/// 60 documents for a centre in range, 3 otherwise. No waits, no captions, no busy state.
Timeline buildAlignmentTest(const AlignValue& centre);

}  // namespace trevalune

#pragma once

#include <string>
#include <string_view>

#include "printer/clock.h"
#include "printer/timeline.h"

namespace trevalune {

/// Page texts (UTF-8 here, GBK on the wire). The rulers' labels stand over the blocks of a
/// high-speed pin test line, so their spacing is part of the printed layout.
inline constexpr std::string_view kHighSpeedPinTitle = "高速针测试效果";
inline constexpr std::string_view kAscendingRuler =
    "  1     2    3     4     5     6    7     8    9    10    11   12    13    14    15   16";
inline constexpr std::string_view kDescendingRuler =
    "  16   15   14    13    12    11   10     9    8    7     6     5     4     3     2    1";
/// Rulers of the high-density (W = 117) and super-high-density (W = 180) pin test lines.
inline constexpr std::string_view kHighDensityRuler =
    "   1       2      3      4       5      6       7       8      9      10      11      12"
    "      13     14     15    16";
inline constexpr std::string_view kSuperHighDensityRuler =
    "     1          2          3          4          5          6           7          8"
    "          9          10          11          12         13         14         15        16";
/// Placeholder after the tester and barcode labels; nothing the operator types goes there.
inline constexpr std::string_view kNothingEntered = "无";

/// The header page's time line without its LF: 29 spaces, "测试时间：",
/// "yyyy-mm-dd    hh:mm:ss".
std::string buildHeaderTimeLine(const LocalDateTime& now);

/// The header page: one text document (set-value command for high speed with value FF and
/// five LF, time, tester, barcode and title lines), then three checker lines.
Timeline buildPinTestHeader(const LocalDateTime& now);

/// One text document (command, title, ruler) and three identical W = 90 pin test lines.
Timeline buildPinTestAscending();
Timeline buildPinTestDescending();

/// The burn-in page: text document, the band line (ending in CR), then LF, ESC J 16 and
/// ESC j 16 as documents of their own, so the paper steps forward and straight back.
Timeline buildBurnInSample();

}  // namespace trevalune

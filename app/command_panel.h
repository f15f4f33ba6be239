#pragma once

#include <string_view>

#include "printer/timeline.h"

namespace trevalune {

/// The fixed paper and self-test buttons: one document each.
Timeline buildLineFeed();          ///< 0A
Timeline buildPageEject();         ///< 1D 56 53
Timeline buildMicroFeedForward();  ///< ESC J 3
Timeline buildMicroFeedBack();     ///< ESC j 3
Timeline buildSelfTest();          ///< ESC : NUL NUL P

/// The panel's send button: the box's hex text with its blanks removed as one document,
/// between two save commands (2500 ms before the data, 1000 ms after it) when
/// `saveBracket` is set. Only whole byte pairs are sent: text with no digits or an odd
/// number of digits throws EncodeError with a message for the operator, so nothing at all
/// (not even the first save command) goes out.
Timeline buildManualSend(std::string_view boxText, bool saveBracket);

}  // namespace trevalune

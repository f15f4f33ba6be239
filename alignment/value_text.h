#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trevalune {

/// The numeric value of a text: its leading decimal number (optional blanks, optional sign,
/// digits, optional fraction), 0 when the text does not start with one. "016" is 16,
/// "16.0abc" is 16, "abc" is 0.
double numericValue(std::string_view text);

/// True when the whole text is one plain decimal number (optional sign and fraction,
/// surrounding blanks allowed): what a technician means by "a number".
bool isPlainNumber(std::string_view text);

/// The value box (参数) lists 5 to this; a larger value typed into it becomes kValueBoxCapped
/// before it reaches a mode's value label, so no value above it is ever sent from there.
inline constexpr int kValueBoxMax = 120;
inline constexpr std::string_view kValueBoxCapped = "119";

/// The whole values that print sample rows: kSampleRowsFrom to kSampleRowsTo, where every
/// row printed around them still fits a byte and the paper.
inline constexpr int kSampleRowsFrom = 5;
inline constexpr int kSampleRowsTo = 116;

/// Whether a value (or the alignment test's centre) prints sample rows: only strictly between
/// kSampleRowsFrom - 1 and kSampleRowsTo + 1 (4.5 does, 4 does not).
bool printsSampleRows(double value);

/// Rounds to the nearest whole number, an exact half to the even neighbour (2.5 -> 2, 3.5 -> 4).
/// Empty when the result does not fit a 32-bit int.
std::optional<int> roundHalfEven(double value);

/// The value byte for a caption: its numeric value rounded half to even, 0..255.
/// Empty when it does not fit a byte.
std::optional<int> valueByte(std::string_view text);

}  // namespace trevalune

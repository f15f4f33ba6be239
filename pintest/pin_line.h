#pragma once

#include <string>

namespace trevalune {

/// Order of the pins along a pin test line.
enum class PinOrder { Ascending, Descending };

/// The block widths the printer's three print modes use: 16 blocks per half, two halves,
/// so a line holds 2880, 3744 or 5760 columns.
inline constexpr int kHighSpeedBlockWidth = 90;
inline constexpr int kHighDensityBlockWidth = 117;
inline constexpr int kSuperHighDensityBlockWidth = 180;

/// The data bit of pin 1..16. Even pins fire from the first half of the line, odd pins from
/// the second; within a half pins 1/2 are the top bit and 15/16 the bottom one.
int pinMask(int pin);

/// Hex text of one pin test line: ESC * 1 nL nH, two halves of 16 blocks of `width` columns,
/// CR LF. Each pin prints every other column of its own block, starting at the block's
/// first column; ascending puts pin p in block p, descending in block 17 - p.
/// Throws Refusal for a width other than 90, 117 or 180.
std::string buildPinTestLine(int width, PinOrder order);

/// Hex text of the header page's checker line (2880 columns, CR LF): four groups of 180
/// columns in which pins 1,5,9,13 / 2,6,10,14 / 3,7,11,15 / 4,8,12,16 print together.
std::string buildCheckerLine();

/// Hex text of the burn-in line (2880 columns): all 16 pins print four solid bands per half.
/// It ends with CR alone; the page sends its LF as a document of its own.
std::string buildBurnInLine();

}  // namespace trevalune

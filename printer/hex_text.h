#pragma once

#include <string_view>

#include "printer/bytes.h"

namespace trevalune {

/// Converts hex text the way the printer link always has: consecutive two-character
/// fields from the first character, each blank-trimmed and read as hexadecimal.
/// Blanks are not separators ("1B 4A 10" gives 1B 04 0A 10). For odd lengths the last
/// single character is a field of its own when (L - 1) / 2 is even and is dropped when
/// it is odd (the count is L / 2 - 1 rounded half to even, plus one).
///
/// Throws Refusal for empty text and for any field that is not a hexadecimal
/// number (for example "G1" or two blanks), so nothing half-converted is ever sent.
Bytes hexTextToBytes(std::string_view hexText);

/// Number of bytes the sizing rule gives for a text of `length` characters.
std::size_t hexByteCount(std::size_t length);

}  // namespace trevalune

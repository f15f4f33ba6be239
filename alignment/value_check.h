#pragma once

#include <string_view>
#include <vector>

#include "printer/bytes.h"

namespace trevalune {

// Every value an operation sends travels as one byte. These checks run while a timeline is
// built, so a value that cannot travel stops the operation before its first document, with a
// message the operator can act on (it names the mode and the value as typed).

/// The value byte of a caption: the text must be one plain decimal number (blanks around it
/// allowed) that rounds, half to even, to 0..255. `subject` names what the text is, e.g.
/// "高速的值"; the message reads "<subject>“<text>”不是数字…" or "…超出 0 到 255 的范围…".
int captionByte(std::string_view subject, std::string_view text);

/// A value as the operator set it: the number itself, whose fraction the sample rows keep
/// (they centre on it and mark the row that equals it), and the byte it travels as.
struct AlignValue {
    double number = 0;
    int byte = 0;
    bool operator==(const AlignValue&) const = default;
};

/// A caption's value, read once where the caption is read: captionByte's checks and
/// refusal, and the caption's number.
AlignValue alignValueOf(std::string_view subject, std::string_view text);

/// `value` itself when it fits a byte; otherwise Refusal "<subject> <value> 超出 …".
int checkedByte(std::string_view subject, int value);

/// The candidates centre − d, centre − d + 1, ... up to centre + d, each rounded half to
/// even. The step is taken on the floating-point value, so a fractional centre gives
/// fractional candidates that round to their even neighbours (31.5 gives 28, 30, 30, ...).
std::vector<int> candidatesAround(double centre, int d);

}  // namespace trevalune

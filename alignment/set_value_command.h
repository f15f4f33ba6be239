#pragma once

#include "alignment/print_mode.h"
#include "printer/bytes.h"

namespace trevalune {

/// The endings of the set-value command 1B 01 40 "QV627" mode value ...
enum class Trailer {
    Standard,  ///< FF 0A 0A 0A: buildSetValueCommand, sample rows, most pin-test pages
    Short,     ///< 00 0A 0A: the opening value documents of the set operations
    Row,       ///< FF 0A 0A: the set-all test page rows, the burn-in page
    Long,      ///< 00 0A 0A 0A 0A: the opening command of the alignment test print
    FiveLf,    ///< FF 0A 0A 0A 0A 0A: the pin-test header page
};

/// The printer's set-value command. `value` is the value byte; outside 0..255 it cannot be
/// encoded and Refusal is thrown before anything is built.
Bytes buildSetValueBytes(PrintMode mode, int value, Trailer trailer);

}  // namespace trevalune

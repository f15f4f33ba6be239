#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "printer/bytes.h"

namespace trevalune {

class Spooler;

/// Hex text as the window's command box takes it, with the box's own code: a character the
/// box never lets in (anything but 0-9, A-F, a-f and the blank) is refused by name, then the
/// send button's rules apply (blanks removed, refused without digits or with an odd number
/// of them). Returns the one document the box would send; throws Refusal otherwise.
Bytes buildHexDocument(std::string_view hexText);

/// Runs trevalune-send with the arguments after the program name: every --hex or --text is
/// one raw document named "AAAAAA", sent through the printer link in the order given. Every
/// document is encoded before the first one leaves, so bad input sends nothing (status 2).
/// A line "HEX -> PRINTER" is written to `err` for each document the spooler took; the
/// status is 0 only when all of them were taken, 1 when the print server, the printer or a
/// document failed (nothing more is sent after a failure). Help and version go to `out`.
int runSend(const std::vector<std::string>& arguments, Spooler& spooler, std::ostream& out,
            std::ostream& err);

}  // namespace trevalune

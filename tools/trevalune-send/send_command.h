#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "printer/bytes.h"

namespace trevalune {

class Spooler;

/// Runs trevalune-send with the arguments after the program name: every --hex or --text is
/// one raw document named "AAAAAA", sent through the printer link in the order given. Every
/// document is encoded before the first one leaves, so bad input sends nothing (status 2).
/// A line "HEX -> PRINTER" is written to `err` for each document the spooler took; the
/// status is 0 only when all of them were taken, 1 when the print server, the printer or a
/// document failed (nothing more is sent after a failure). Help and version go to `out`.
int runSend(const std::vector<std::string>& arguments, Spooler& spooler, std::ostream& out,
            std::ostream& err);

}  // namespace trevalune

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/queue_run.h"

namespace trevalune::send {

/// "A, B, C": names in one line.
std::string joinedNames(const std::vector<std::string>& names);

/// LPDEST, then PRINTER (lp's own placeholder "lp" is no choice), as lp reads them; CUPS only.
std::optional<std::string> printerFromEnvironment(const System& system);

/// The printer a run without -d goes to; when there is none, says why and returns nothing.
std::optional<std::string> choosePrinterOrSay(Spooler& spooler, const System& system,
                                              Reporter& reporter, const std::string& operation,
                                              const SpoolerOptions& options);

/// list: every printer with its state, as `lpstat -p` gives it; the one used without -d marked.
int listPrinters(const CommandLine& c, RunContext& run, const SpoolerOptions& options, Language l);

}  // namespace trevalune::send

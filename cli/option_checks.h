#pragma once

#include <string>

#include "cli/command_line.h"
#include "cli/send_command.h"

namespace trevalune::send {

/// Everything about the command line that can be wrong before anything is built; UsageError
/// with the first thing wrong.
void checkCommandLine(const CommandLine& c, const System& system, Language l);

/// Options that belong to one operation only: UsageError when one is given to another.
void checkOptionsFit(const CommandLine& c, const std::string& operation, Language l);

}  // namespace trevalune::send

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevalune {

class Spooler;

/// The name the preselection looks for at the start of a printer's name.
inline constexpr std::string_view kPreselectedPrefix = "RZ7";

/// How many printers of `names` the window selects in turn at start-up, each becoming the
/// user's default as it is selected: with more than one printer, from the first up to and
/// including the first whose name begins with "RZ7" (all of them when none does). With one
/// printer or none, nothing is selected, so the user's default printer stays as it was.
std::size_t preselectionVisits(const std::vector<std::string>& names);

/// The printer selected once the preselection is done: the last one it visited, if any.
std::optional<std::string> preselectedPrinter(const std::vector<std::string>& names);

/// The printer an operation goes to when none was named, and what choosing it found out.
struct PrinterChoice {
    std::optional<std::string> chosen;
    std::vector<std::string> listed;  ///< the printers, when they had to be listed
    std::string unreachableServer;    ///< the print server that did not answer the listing
};

/// `fromEnvironment` when given (a front end's own setting), else the user's default printer,
/// else the window's preselection among the listed printers.
PrinterChoice choosePrinter(Spooler& spooler, std::optional<std::string> fromEnvironment);

}  // namespace trevalune

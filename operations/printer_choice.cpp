#include "operations/printer_choice.h"

#include <utility>

#include "printer/spooler.h"

namespace trevalune {

std::size_t preselectionVisits(const std::vector<std::string>& names) {
    if (names.size() < 2) return 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].starts_with(kPreselectedPrefix)) return i + 1;
    }
    return names.size();
}

std::optional<std::string> preselectedPrinter(const std::vector<std::string>& names) {
    const std::size_t visits = preselectionVisits(names);
    if (visits == 0) return std::nullopt;
    return names[visits - 1];
}

PrinterChoice choosePrinter(Spooler& spooler, std::optional<std::string> fromEnvironment) {
    if (fromEnvironment) return {std::move(fromEnvironment), {}, {}};
    if (auto chosen = spooler.defaultPrinter()) return {std::move(chosen), {}, {}};
    PrinterList list = spooler.listPrinters();
    std::optional<std::string> chosen = preselectedPrinter(list.names);
    return {std::move(chosen), std::move(list.names), std::move(list.unreachableServer)};
}

}  // namespace trevalune

#include "operations/printer_choice.h"

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

}  // namespace trevalune

#include "common/numbered_text.h"

namespace trevalune {

std::string fillNumbered(std::string_view pattern, const std::vector<std::string>& args) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool placeholder = pattern[i] == '{' && i + 2 < pattern.size() &&
                                 pattern[i + 1] >= '1' && pattern[i + 1] <= '9' &&
                                 pattern[i + 2] == '}';
        const auto n = placeholder ? static_cast<std::size_t>(pattern[i + 1] - '1') : 0;
        if (placeholder && n < args.size()) {
            out += args[n];
            i += 2;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::string buildSaid(const TwoLanguages& text, Language language,
                      const std::vector<std::string>& args) {
    return fillNumbered(text.in(language), args);
}

}  // namespace trevalune

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/language.h"

namespace trevalune {

/// A text in both languages, {1} .. {9} filled by the caller. Every table of the program's
/// words is made of these: the builders' refusals, the reading's words, the command line's.
struct TwoLanguages {
    std::string_view english;
    std::string_view chinese;

    std::string_view in(Language language) const {
        return language == Language::Chinese ? chinese : english;
    }
};

/// `pattern` with {1} .. {9} replaced by `args` in order. A number without its word stays as
/// written, so a text short of a word shows it rather than reading as whole.
std::string fillNumbered(std::string_view pattern, const std::vector<std::string>& args);

/// `text` in `language` with {1}, {2}, ... replaced by `args`.
std::string buildSaid(const TwoLanguages& text, Language language,
                      const std::vector<std::string>& args = {});

}  // namespace trevalune

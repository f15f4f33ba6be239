#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trevalune {

/// `pattern` with {1} .. {9} replaced by `args` in order. A number without its word stays as
/// written, so a text short of a word shows it rather than reading as whole.
std::string fillNumbered(std::string_view pattern, const std::vector<std::string>& args);

}  // namespace trevalune

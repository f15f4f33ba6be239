#pragma once

#include <string_view>

namespace trevalune {

/// The window's caption and the default title of its message boxes.
inline constexpr std::string_view kApplicationTitle = "Trevalune";

}  // namespace trevalune

#pragma once

#include <array>
#include <string_view>

namespace trevalune {

/// The printer's three print modes. The number is what buildSetValueCommand takes,
/// the byte is what the printer receives.
enum class PrintMode { HighSpeed = 1, HighDensity = 2, SuperHighDensity = 3 };

inline constexpr std::array<PrintMode, 3> kAllModes = {PrintMode::HighSpeed, PrintMode::HighDensity,
                                                       PrintMode::SuperHighDensity};

constexpr int modeNumber(PrintMode mode) {
    return static_cast<int>(mode);
}

/// 0x0A, 0x0B, 0x0C.
constexpr int modeByte(PrintMode mode) {
    return 0x09 + static_cast<int>(mode);
}

/// The option button captions, also the mode words of the set operations' title lines.
std::string_view modeCaption(PrintMode mode);

}  // namespace trevalune

#pragma once

#include <array>
#include <string_view>

#include "alignment/print_mode.h"

namespace trevalune::preview {

/// The printer's three print modes; their bytes are in kPrintModes, the preview's own view of
/// them below.
using Mode = PrintMode;

/// What the preview knows of a mode beyond its byte: how the listing names it and how wide its
/// columns and character cells are in the model's units (renderer.h).
struct PreviewMode {
    std::string_view name;  ///< in English, for the listing
    int lineColumns;        ///< columns of one printed line
    int cellUnits;          ///< units of one character cell (an ASCII character; GBK takes two)
};

/// Indexed by modeIndex. 90, 120 and 180 cells fill a line, which puts the rulers of the pin
/// test pages over their blocks.
inline constexpr std::array<PreviewMode, 3> kPreviewModes = {{
    {"high speed", 1440, 32},
    {"high density", 1872, 24},
    {"super-high density", 2880, 16},
}};

constexpr std::string_view modeName(Mode mode) {
    return kPreviewModes[modeIndex(mode)].name;
}
/// Columns of one printed line: 1440, 1872, 2880.
constexpr int lineColumns(Mode mode) {
    return kPreviewModes[modeIndex(mode)].lineColumns;
}
constexpr int cellUnits(Mode mode) {
    return kPreviewModes[modeIndex(mode)].cellUnits;
}

}  // namespace trevalune::preview

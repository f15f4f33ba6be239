#pragma once

#include <ostream>

#include "form/control_table.h"

namespace trevalune {

/// Tests and GoogleTest show a control by its design name rather than its number.
inline std::ostream& operator<<(std::ostream& out, Control control) {
    return out << controlName(control);
}

}  // namespace trevalune

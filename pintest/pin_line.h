#pragma once

namespace trevalune {

/// Order of the pins along a pin test line.
enum class PinOrder { Ascending, Descending };

}  // namespace trevalune

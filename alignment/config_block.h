#pragma once

#include <string_view>

#include "printer/bytes.h"
#include "printer/timeline.h"

namespace trevalune {

/// ESC ':' NUL NUL 'R': stores the printer's current settings.
Bytes buildSaveCommand();

/// ESC ':' NUL NUL 'P': the printer's self-test print.
Bytes buildSelfTestCommand();

/// The factory configuration block as 62 hex digits, joined from its pieces.
std::string buildFactoryBlockHexText();

/// The same 31 bytes as spaced hex pairs (92 characters), the form the command box accepts.
inline constexpr std::string_view kFactoryBlockSpaced =
    "1B 3A 45 1A 00 12 00 1F FF 42 00 22 00 92 00 FF 00 87 06 00 0B 48 09 80 08 10 00 14 00 08 00";

/// Save; wait 2500 ms; the factory block; wait 1000 ms; save.
Timeline buildRestoreFactory();

}  // namespace trevalune

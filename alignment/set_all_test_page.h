#pragma once

#include <string_view>

#include "alignment/set_items.h"
#include "printer/timeline.h"

namespace trevalune {

/// Set all with test page (Command8_Click; the window's leading steps are those listed in
/// set_items.h, with settingMode 99). After them: caption "...", wait 2500, caption "....",
/// the 44-byte value document (three short set-value commands and the save command), waits
/// 2000/2500/2500 with captions "..", "...", the extra wait, caption "....", and the test page
/// as one document: per mode the row set-value command (FF 0A 0A) for its value, the title
/// line, and one Chinese text row per candidate, each after its own row set-value command,
/// the row of the current value marked "*NN*", the others "-NN-"; the save command last.
/// No page eject. The candidates are value - 4 to value + 4 cut to 1..40 (value rounded).
///
/// `hanziSample` is the 125-character text the rows are cut from (kHanziSample); it needs at
/// least 88 characters.
Timeline buildSetAllWithTestPage(const ModeValues& values, int extraWaitMs,
                                 std::string_view hanziSample);

}  // namespace trevalune

#pragma once

#include <string_view>

#include "form/control_table.h"

namespace trevalune {
class Form1;
}

namespace trevalune::testing {

class RecordingFace;

// The operator at a window shown by a RecordingFace: each action changes the "native" control
// first, as a toolkit does, then reports it through the form's event entry points.

/// Types `keys` (UTF-8) at the box's caret, one textEdited per character.
void typeKeys(Form1& form, RecordingFace& face, Control control, std::string_view keys);

/// Replaces the whole text at once (a paste over a selection), caret at the end.
void replaceText(Form1& form, RecordingFace& face, Control control, std::string_view text);

/// Picks item `index` of a list.
void pick(Form1& form, RecordingFace& face, Control control, int index);

}  // namespace trevalune::testing

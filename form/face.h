#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "form/control_table.h"
#include "form/reading_view.h"
#include "printer/clock.h"

namespace trevalune {

/// What the window's rules need from a toolkit: the native controls built from the control
/// table, shown as the form changes them. The form owns every control's state and only ever
/// writes it here; a face reports the operator's actions back to the form (Form1::clicked,
/// selected, textEdited, timerTick) and never forwards a change the form made itself.
/// Controls are named by the control table's typed list; texts are UTF-8.
class Face {
public:
    virtual ~Face() = default;

    /// A caption, a box's text or an editable list's text.
    virtual void setText(Control control, std::string_view text) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    /// An option button or the check box.
    virtual void setChecked(Control control, bool checked) = 0;
    /// A list's items; afterwards nothing is selected until setCurrentIndex says so.
    virtual void setItems(Control control, const std::vector<std::string>& items) = 0;
    /// The selected item, -1 for none.
    virtual void setCurrentIndex(Control control, int index) = 0;
    /// The caret of a text box, in UTF-16 code units from the start of its text.
    virtual void setCaret(Control control, std::size_t position) = 0;
    /// Paints the control now: the window's thread may block right after a caption change.
    virtual void repaintNow(Control control) = 0;
    /// A modal message box with one OK button and no icon; returns once it is closed.
    virtual void showMessage(std::string_view text, std::string_view title) = 0;
    /// Starts the timer: Form1::timerTick every `intervalMs` from now on.
    virtual void startTimer(Control timer, int intervalMs) = 0;
    /// The local date and time in the system's short-date and long-time form.
    virtual std::string clockText(const LocalDateTime& now) = 0;
    /// One line for a support case to read afterwards, never shown to the operator: standard
    /// error on Linux, the debugger's output (OutputDebugStringW) on Windows.
    virtual void writeDiagnostic(std::string_view line) = 0;
    /// Opens the reading window for a page read from a picture (or shows this one in the window
    /// already open), beside the main window and without blocking it. Its buttons report
    /// through Form1::valueTaken; the face sends nothing of its own.
    virtual void showReading(const ReadingView& view) = 0;
    /// Closes the window and ends the program's event loop.
    virtual void closeWindow() = 0;
};

}  // namespace trevalune

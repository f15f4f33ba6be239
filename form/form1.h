#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/print_mode.h"
#include "alignment/set_items.h"
#include "form/busy_state.h"
#include "form/control_table.h"
#include "form/reading_view.h"
#include "operations/catalogue.h"
#include "printer/link_messages.h"
#include "printer/message_sink.h"
#include "printer/printer_link.h"
#include "printer/timeline.h"

namespace trevalune {

class Clock;
class Face;
class Spooler;

/// What the form knows of one control; the face only shows it.
struct ControlState {
    std::string text;  ///< caption, box text or the list's text (UTF-8)
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> items;
    int currentIndex = -1;
    std::size_t caret = 0;  ///< text boxes: UTF-16 code units before the caret
};

/// The tool's one window without a toolkit: every control's state, every handler, the busy
/// state and its job slot. The buttons that send run their operation of the catalogue. A face
/// (Qt, Win32, or a recording one in tests) builds the native controls from the control table,
/// forwards the operator's actions to the four event entry points and shows what the form changes.
///
/// Event rules that hold for every face:
/// - every selection in a list is a click, re-picking the item already shown included;
/// - text that the form sets by code is itself a change (its change handler runs);
/// - no timer tick is handled while a handler runs, modal message boxes included;
/// - a disabled control takes no event;
/// - a document not taken, or whose fate is unknown, ends its operation: the link's one
///   message, nothing more sent, and a set operation's busy state ended as Rest ends it;
/// - an exception that a handler did not expect is shown in one message box and the window
///   goes on, with its busy state ended.
class Form1 final {
public:
    /// Loads the window (lists, values, printers) before returning, as the window does before it is
    /// first shown. `programFolder` holds "file.prn".
    Form1(Face& face, Spooler& spooler, Clock& clock, std::filesystem::path programFolder);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // --- Events from the face ---
    /// The operator pressed a button, an option button or the check box.
    void clicked(Control control);
    /// The operator picked item `index` of a list (also the one already selected).
    void selected(Control control, int index);
    /// The operator changed a box's or an editable list's text; `caret` in UTF-16 code units.
    void textEdited(Control control, std::string text, std::size_t caret);
    /// One tick of Timer1; dropped while a handler runs.
    void timerTick();
    /// The operator dropped a picture on the window or opened one: it is read and shown in
    /// the reading window, or said in one message box when it cannot be read. Sends nothing
    /// and changes no control.
    void pictureOpened(const std::filesystem::path& file);
    /// The reading window's button: the value goes where its operation reads it, exactly as
    /// clicking the mode and typing the value (or picking it in the centre list) would, with
    /// the same rules. Sends nothing.
    void valueTaken(const TakeValue& take);

    /// A control's state as the form holds it.
    const ControlState& control(Control control) const;

    /// The printer every send goes to: Combo1's text, empty while nothing is selected.
    std::string printerName() const;
    /// The selected print mode (Optgs, then Optcgs, then Optcgm); empty while none is on.
    std::optional<PrintMode> selectedMode() const;
    /// Enters the busy state of a set operation: settingMode := code, the job slot cleared,
    /// the first caption shown, the buttons disabled. The timer (or Rest) ends it.
    void enterBusyState(BusyCode code, const std::string& firstCaption);

    /// The thirteen buttons the busy state switches off and on, in their order.
    static const std::vector<Control>& commandButtons();

    /// The busy state and the job slot it watches, for tests and diagnostics.
    const BusyState& busyState() const { return busy_; }
    const JobSlot& watchedJobs() const { return jobs_; }

private:
    // The handlers; the face reaches them through the events above.
    /// Start-up: the lists, the values at 16, 24 and 40, the printers and the preselection.
    void load();
    /// Makes the printer named in Combo1 the user's default printer.
    void printerChosen();
    /// Ends the program at once: nothing is asked, saved or sent.
    void quit();
    /// The command box's input check: refused characters go, one message each.
    void commandTextChanged();
    void saveTickClicked();
    /// Sends the command box's hex text, then clears the box and the save tick.
    void sendCommandText();
    /// Puts the factory configuration block into the command box.
    void fillFactoryBlock();
    /// Shows the time and, while busy, the dots; polls the queue; ends the busy state.
    void clockTick();
    void disableButtons();
    void enableButtons();
    /// Ends the busy state at once and brings the buttons back.
    void rest();
    /// One poll of the queue of the printer named in Combo1 into the busy state's job slot.
    void pollJobs();
    /// Copies the selected mode's value into the value box.
    void modeOptionClicked();
    /// Caps the value box and copies it into the selected mode's value label.
    void valueBoxChanged();

    /// Message boxes and diagnostic lines through the face, for the printer link and the pin
    /// test runs.
    class FaceMessages final : public MessageSink, public DiagnosticLog {
    public:
        explicit FaceMessages(Face& face) : face_(face) {}
        void write(std::string_view line) override;

    protected:
        void show(std::string_view text, std::string_view title) override;

    private:
        Face& face_;
    };

    /// Counts running handlers, so the timer knows to keep out.
    class HandlerScope final {
    public:
        explicit HandlerScope(int& depth) : depth_(depth) { ++depth_; }
        ~HandlerScope() { --depth_; }
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

    private:
        int& depth_;
    };

    ControlState& state(Control control);

    /// Which handler a control's click (also a selection) and change events run.
    struct Handlers;
    static const Handlers* handlersOf(Control control);

    /// Runs one event's handlers: the timer keeps out meanwhile, the link numbers the
    /// documents from 1, and nothing a handler throws leaves the form (a toolkit's event loop
    /// cannot take an exception).
    void handleEvent(const std::function<void()>& handler);
    /// An exception no handler expected: one line for support, the busy state ended as Rest
    /// ends it, and one message box; the window goes on.
    void reportFault(std::string_view what) noexcept;

    // Changes by code: the model first, then the face; a text change raises the change event.
    void setText(Control name, std::string text);
    void setEnabled(Control name, bool enabled);
    void setChecked(Control name, bool checked);
    void setItems(Control name, std::vector<std::string> items);
    void selectItem(Control name, int index);
    void raiseChange(Control name);
    void raiseClick(Control name);

    /// Label8's caption, repainted at once.
    void showStatus(const std::string& caption);
    /// What an operation reads off the window's controls.
    OperationInput operationInput(Operation operation) const;
    /// Runs built work: documents through the link, waits through the clock (blocking),
    /// captions into Label8. False when a document not taken (or of unknown fate) ended it.
    Next runWork(const OperationWork& work);
    /// The built work, or none after showing why the build was refused.
    std::optional<OperationWork> tryBuild(Operation operation);
    /// A button's operation: built, then run; with a busy code, the busy state entered first
    /// and ended as Rest ends it when a document not taken ended the operation. A refused
    /// build sends nothing and leaves the window idle.
    void runButton(Operation operation, BusyCode busyCode);

    /// Unticks Check1, disables Command9 and clears Text2 after a send.
    void clearCommandPanel();

    Face& face_;
    Spooler& spooler_;
    Clock& clock_;
    std::filesystem::path programFolder_;
    FaceMessages messages_;
    LinkMessages linkMessages_;
    PrinterLink link_;
    std::array<ControlState, kControlCount> controls_;
    BusyState busy_;
    JobSlot jobs_;
    int handlerDepth_ = 0;
    bool correctingText2_ = false;
};

}  // namespace trevalune

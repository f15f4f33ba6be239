#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "alignment/print_mode.h"
#include "alignment/set_items.h"
#include "form/busy_state.h"
#include "printer/bytes.h"
#include "printer/job_monitor.h"
#include "printer/printer_link.h"
#include "printer/timeline.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace Ui {
class Form1;
}

namespace trevalune {

class Clock;
class MessageSink;
class Spooler;

/// The tool's one window. Its controls keep their design names (as `ui->Command6` and as
/// objectName), its handlers are named control_event, and it owns every piece of state.
/// The collaborators are injected: the real program passes the system spooler, real message
/// boxes and the system clock; tests pass recording ones.
///
/// Handlers stay thin: they read the controls, call a pure builder that returns a Timeline,
/// run it with runOperation() and update the controls. The implementation is spread over
/// files by concern: form1.cpp (start-up, printer choice, the shared helpers),
/// form1_panel.cpp (command panel, paper buttons, configuration buttons), form1_driver.cpp,
/// form1_busy.cpp (clock, busy state, job monitor), form1_values.cpp (mode and value boxes),
/// form1_alignment.cpp (alignment test print and set operations), form1_pintest.cpp (the two
/// pin test buttons).
class Form1 final : public QWidget {
    Q_OBJECT

public:
    /// `driverFolder` holds "file.prn" (the executable's folder in the real program).
    /// Runs Form_Load before returning, as the window does before it is first shown.
    Form1(Spooler& spooler, MessageSink& messages, Clock& clock, std::filesystem::path driverFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    // --- Start-up and printer choice (form1.cpp) ---
    void Form_Load();
    void Combo1_Click();
    void Combo1_Change();
    /// Makes the printer named in Combo1 the user's default printer.
    void SetDefaultPrinter();
    /// Ends the program at once: nothing is asked, saved or sent.
    void Command2_Click();

    // --- Manual command panel and paper buttons (form1_panel.cpp) ---
    void Text2_Change();
    void Check1_Click();
    void Command6_Click();
    void Command5_Click();
    void Command12_Click();
    void Command10_Click();
    void Command11_Click();
    void Command1_Click();
    // --- Configuration block buttons (form1_panel.cpp) ---
    void Command4_Click();
    void Command7_Click();
    void Command9_Click();

    // --- Driver test print (form1_driver.cpp) ---
    void Command14_Click();
    void SendDriverFile();

    // --- Pin tests (form1_pintest.cpp) ---
    /// "测针": header, ascending, descending and burn-in pages, 17 documents.
    void Command17_Click();
    /// "测针功能": one pin test line in each of the three modes, then a feed; 7 documents.
    void Command13_Click();

    // --- Clock and busy state (form1_busy.cpp) ---
    void Timer1_Timer();
    void DisableCommands();
    void EnableCommands();
    void Command15_Click();
    /// One poll of the queue of the printer named in Combo1 into the job tables.
    void PollPrintJobs(int slot);

    // --- Print mode and value box (form1_values.cpp) ---
    void Optgs_Click();
    void Optcgs_Click();
    void Optcgm_Click();
    void cmbsz_Change();
    void cmbsz_Click();

    // --- Alignment test print and set operations (form1_alignment.cpp) ---
    void Command18_Click();
    /// The high-speed alignment test page around Combo2's centre value; `mode` is unused
    /// (the page is always high speed). No busy state, no Label8 change, no waits.
    void PrintAlignmentTest(std::int16_t mode);
    /// Set single item for the selected mode (busy code 88).
    void Command16_Click();
    /// Set all items (busy code 88).
    void Command3_Click();
    /// Set all with test page (busy code 99).
    void Command8_Click();

    // --- What the operation handlers build on ---

    /// The printer every send goes to: Combo1's current text (UTF-8), empty while nothing
    /// is selected.
    std::string printerName() const;

    /// Runs an operation: documents through the printer link to the printer named in
    /// Combo1, waits through the injected clock (blocking), captions into Label8.
    void runOperation(const Timeline& timeline);

    /// Builds with `build` (a callable returning a Timeline) and runs the result. A value
    /// that cannot be encoded (EncodeError) is reported and nothing at all is sent.
    /// Returns whether the operation ran.
    template <class Build>
    bool buildAndRun(Build&& build);

    /// A set operation: builds first; only when that succeeded enters the busy state (see
    /// enterBusyState) and runs the timeline, returning with the buttons off. A refused
    /// build is reported and leaves the window idle with nothing sent.
    template <class Build>
    bool buildAndRunBusy(std::int16_t code, const std::string& firstCaption, Build&& build);

    /// Shows a refused operation's reason in a message box.
    void reportRefused(const EncodeError& error);

    /// Label8's caption, repainted at once (the window's thread may block right after).
    void showStatus(const std::string& caption);

    /// Enters the busy state of a set operation: settingMode := code (kBusySetItems or
    /// kBusySetAllWithPage), entry 1 of both job tables cleared, the first caption shown,
    /// DisableCommands. The timer (or Rest) ends it; waitTicks and dotStep keep counting.
    void enterBusyState(std::int16_t code, const std::string& firstCaption);

    /// The selected print mode (Optgs, then Optcgs, then Optcgm); empty while none is on.
    std::optional<PrintMode> selectedMode() const;
    /// The label that holds a mode's alignment value as its caption.
    QLabel* modeValueLabel(PrintMode mode) const;
    /// A mode's alignment value text (its label's caption, UTF-8, unchanged).
    std::string modeValueText(PrintMode mode) const;
    /// The three value captions, as the set operations take them.
    ModeValues modeValues() const;

    // --- Form-level variables ---
    std::string hanziSample;  ///< UTF-8; the set-all test page prints it
    Bytes fileBytes;          ///< the driver file's content at the last press
    BusyState busy;           ///< settingMode, dotStep, waitTicks
    JobTables jobs;           ///< jobState, jobLatch

private:
    /// The built timeline, or none after reporting why the build was refused.
    template <class Build>
    std::optional<Timeline> tryBuild(Build&& build);

    void connectHandlers();
    void applyDesignFonts();
    QRadioButton* modeButton(PrintMode mode) const;
    void modeClicked(PrintMode mode);
    /// The thirteen buttons DisableCommands and EnableCommands switch, in their order.
    std::array<QPushButton*, 13> commandButtons() const;
    /// Unticks Check1, disables Command9 and clears Text2 after a send.
    void clearCommandPanel();
    /// Text1's text (UTF-8): the set operations' extra wait, bounded by extraWaitMs.
    std::string extraWaitText() const;

    std::unique_ptr<Ui::Form1> ui;
    QTimer* Timer1 = nullptr;

    Spooler& spooler_;
    MessageSink& messages_;
    Clock& clock_;
    std::filesystem::path driverFolder_;
    PrinterLink link_;
    bool correctingText2_ = false;
};

template <class Build>
std::optional<Timeline> Form1::tryBuild(Build&& build) {
    try {
        return std::forward<Build>(build)();
    } catch (const EncodeError& error) {
        reportRefused(error);
        return std::nullopt;
    }
}

template <class Build>
bool Form1::buildAndRun(Build&& build) {
    const std::optional<Timeline> timeline = tryBuild(std::forward<Build>(build));
    if (timeline) runOperation(*timeline);
    return timeline.has_value();
}

template <class Build>
bool Form1::buildAndRunBusy(std::int16_t code, const std::string& firstCaption, Build&& build) {
    const std::optional<Timeline> timeline = tryBuild(std::forward<Build>(build));
    if (!timeline) return false;
    enterBusyState(code, firstCaption);
    runOperation(*timeline);
    return true;
}

}  // namespace trevalune

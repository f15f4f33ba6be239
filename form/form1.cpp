#include "form/form1.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "alignment/config_block.h"
#include "alignment/hanzi_sample.h"
#include "alignment/set_all_test_page.h"
#include "alignment/test_print.h"
#include "alignment/value_text.h"
#include "form/control_table.h"
#include "form/face.h"
#include "operations/command_panel.h"
#include "operations/driver_file.h"
#include "operations/printer_choice.h"
#include "operations/utf16.h"
#include "pintest/pin_test_runs.h"
#include "printer/clock.h"
#include "printer/spooler.h"

namespace trevalune {

namespace {

constexpr std::string_view kHexInputMessage = "请输入的数据是16进制的范围";

/// Each print mode's option button and value label, in kPrintModes' order.
struct ModeControls {
    Control option;
    Control label;
};
constexpr std::array<ModeControls, 3> kModeControls = {{{Control::Optgs, Control::Labgs},
                                                        {Control::Optcgs, Control::Labcgs},
                                                        {Control::Optcgm, Control::Labcgm}}};

Control modeOption(PrintMode mode) {
    return kModeControls[modeIndex(mode)].option;
}

Control modeLabel(PrintMode mode) {
    return kModeControls[modeIndex(mode)].label;
}

}  // namespace

struct Form1::Handlers {
    using Handler = void (Form1::*)();
    Control control;
    Handler click = nullptr;
    Handler change = nullptr;
};

const Form1::Handlers* Form1::handlersOf(Control control) {
    // clang-format off
    static constexpr Handlers kHandlers[] = {
    {Control::Combo1, &Form1::Combo1_Click, &Form1::Combo1_Change},
    {Control::Command2, &Form1::Command2_Click},
    {Control::Text2, nullptr, &Form1::Text2_Change},
    {Control::Check1, &Form1::Check1_Click},
    {Control::Command6, &Form1::Command6_Click},
    {Control::Command5, &Form1::Command5_Click},
    {Control::Command12, &Form1::Command12_Click},
    {Control::Command10, &Form1::Command10_Click},
    {Control::Command11, &Form1::Command11_Click},
    {Control::Command1, &Form1::Command1_Click},
    {Control::Command4, &Form1::Command4_Click},
    {Control::Command7, &Form1::Command7_Click},
    {Control::Command9, &Form1::Command9_Click},
    {Control::Command14, &Form1::Command14_Click},
    {Control::Command17, &Form1::Command17_Click},
    {Control::Command13, &Form1::Command13_Click},
    {Control::Command15, &Form1::Command15_Click},
    {Control::Optgs, &Form1::Optgs_Click},
    {Control::Optcgs, &Form1::Optcgs_Click},
    {Control::Optcgm, &Form1::Optcgm_Click},
    {Control::cmbsz, &Form1::cmbsz_Click, &Form1::cmbsz_Change},
    {Control::Command18, &Form1::Command18_Click},
    {Control::Command16, &Form1::Command16_Click},
    {Control::Command3, &Form1::Command3_Click},
    {Control::Command8, &Form1::Command8_Click},
    };
    // clang-format on
    for (const Handlers& h : kHandlers) {
        if (h.control == control) return &h;
    }
    return nullptr;
}

void Form1::FaceMessages::show(std::string_view text, std::string_view title) {
    face_.showMessage(text, title);
}

void Form1::FaceMessages::write(std::string_view line) {
    face_.writeDiagnostic(line);
}

Form1::Form1(Face& face, Spooler& spooler, Clock& clock, std::filesystem::path programFolder)
    : face_(face),
      spooler_(spooler),
      clock_(clock),
      programFolder_(std::move(programFolder)),
      messages_(face),
      link_(spooler, messages_, messages_, [this] { return printerName(); }) {
    link_.warnWhenNotReady(true);
    for (const ControlSpec& c : controlTable()) state(c.id).text = c.caption;
    const HandlerScope scope(handlerDepth_);
    Form_Load();
}

// --- Events ---

void Form1::clicked(Control control) {
    handleEvent([&] {
        const ControlState& s = state(control);
        if (!s.enabled) return;
        const ControlSpec* spec = findControlSpec(control);
        if (spec->kind == ControlKind::Option) {
            setChecked(control, true);  // runs the option's click handler
        } else if (spec->kind == ControlKind::CheckBox) {
            setChecked(control, !s.checked);
        } else {
            raiseClick(control);
        }
    });
}

void Form1::selected(Control control, int index) {
    handleEvent([&] {
        const ControlState& s = state(control);
        if (!s.enabled || index < 0 || index >= static_cast<int>(s.items.size())) return;
        selectItem(control, index);
    });
}

void Form1::textEdited(Control control, std::string text, std::size_t caret) {
    handleEvent([&] {
        ControlState& s = state(control);
        if (!s.enabled) return;
        // The face shows it already: only the model and the handler follow.
        s.caret = caret;
        if (s.text == text) return;
        s.text = std::move(text);
        raiseChange(control);
    });
}

void Form1::timerTick() {
    // A tick that falls into a running handler (a wait, a message box) is dropped, not queued.
    if (handlerDepth_ > 0) return;
    handleEvent([this] { Timer1_Timer(); });
}

void Form1::handleEvent(const std::function<void()>& handler) {
    const HandlerScope scope(handlerDepth_);
    link_.beginOperation();
    try {
        handler();
    } catch (const std::exception& error) {
        reportFault(error.what());
    } catch (...) {
        reportFault("unknown exception");
    }
}

void Form1::reportFault(std::string_view what) noexcept {
    try {
        face_.writeDiagnostic("unexpected error: " + std::string(what));
        // A set operation cut short would otherwise leave the buttons off until Rest.
        if (busy.busy()) Command15_Click();
        face_.showMessage(what, kWindowCaption);
    } catch (...) {
        // The face itself fails: nothing more can be shown.
    }
}

const ControlState& Form1::control(Control control) const {
    return controls_[static_cast<std::size_t>(control)];
}

ControlState& Form1::state(Control control) {
    return controls_[static_cast<std::size_t>(control)];
}

// --- Changes by code ---

void Form1::setText(Control name, std::string text) {
    ControlState& s = state(name);
    if (s.text == text) return;
    s.text = std::move(text);
    s.caret = std::min(s.caret, toUtf16(s.text).size());
    face_.setText(name, s.text);
    raiseChange(name);
}

void Form1::setEnabled(Control name, bool enabled) {
    state(name).enabled = enabled;
    face_.setEnabled(name, enabled);
}

void Form1::setChecked(Control name, bool checked) {
    ControlState& s = state(name);
    const ControlSpec* spec = findControlSpec(name);
    if (spec->kind == ControlKind::Option && checked) {
        // Switching one option on switches the others of its frame off.
        for (const ControlSpec& other : controlTable()) {
            if (other.kind == ControlKind::Option && other.container == spec->container &&
                other.id != name && state(other.id).checked) {
                state(other.id).checked = false;
                face_.setChecked(other.id, false);
            }
        }
    }
    const bool changed = s.checked != checked;
    s.checked = checked;
    face_.setChecked(name, checked);
    // An option raises its click when switched on (also when it already was); the check box
    // on every change of its value.
    if (spec->kind == ControlKind::Option ? checked : changed) raiseClick(name);
}

void Form1::setItems(Control name, std::vector<std::string> items) {
    ControlState& s = state(name);
    s.items = std::move(items);
    s.currentIndex = -1;
    face_.setItems(name, s.items);
    face_.setCurrentIndex(name, -1);
}

void Form1::selectItem(Control name, int index) {
    ControlState& s = state(name);
    s.currentIndex = index;
    s.text = s.items.at(static_cast<std::size_t>(index));
    face_.setCurrentIndex(name, index);
    raiseClick(name);
}

void Form1::raiseChange(Control name) {
    if (const Handlers* h = handlersOf(name); h != nullptr && h->change != nullptr) {
        (this->*h->change)();
    }
}

void Form1::raiseClick(Control name) {
    if (const Handlers* h = handlersOf(name); h != nullptr && h->click != nullptr) {
        (this->*h->click)();
    }
}

// --- Start-up and printer choice ---

void Form1::Form_Load() {
    hanziSample = std::string(kHanziSample);
    face_.startTimer(Control::Timer1, kTimerIntervalMs);

    std::vector<std::string> values;
    for (int v = 5; v <= kValueBoxMax; ++v) values.push_back(std::to_string(v));
    setItems(Control::Combo2, std::move(values));
    setText(Control::Combo2, std::string(kDefaultCentre));

    for (const PrintModeTraits& m : kPrintModes)
        setText(modeLabel(m.mode), std::string(m.initialValue));
    setChecked(Control::Optgs, true);  // copies Labgs into cmbsz
    setText(Control::cmbsz, std::string(traits(PrintMode::HighSpeed).initialValue));
    setEnabled(Control::Command9, false);

    PrinterList printers = spooler_.listPrinters();
    setItems(Control::Combo1, std::move(printers.names));
    // Without this the list is simply empty and every button blames the printer's name.
    if (!printers.unreachableServer.empty()) {
        face_.showMessage(noPrintServerMessage(printers.unreachableServer), kApplicationTitle);
    }
    // Each visited printer becomes the default in turn; the last one visited stays selected.
    const std::size_t visits = preselectionVisits(control(Control::Combo1).items);
    for (std::size_t i = 0; i < visits; ++i) selectItem(Control::Combo1, static_cast<int>(i));
}

void Form1::Combo1_Click() {
    SetDefaultPrinter();
}

void Form1::Combo1_Change() {
    SetDefaultPrinter();
}

void Form1::SetDefaultPrinter() {
    const std::string name = printerName();
    if (!name.empty()) spooler_.setDefaultPrinter(name);
}

void Form1::Command2_Click() {
    face_.closeWindow();
}

std::string Form1::printerName() const {
    return control(Control::Combo1).text;
}

// --- Manual command panel ---

void Form1::Text2_Change() {
    if (correctingText2_) return;  // the correction below changes the text itself
    std::u16string text = toUtf16(control(Control::Text2).text);
    const HexInputCheck check = checkHexInput(text);
    if (check.removed.empty()) return;
    std::size_t caret = std::min(control(Control::Text2).caret, text.size());
    // One message per distinct character; after each message every occurrence of that
    // character goes, and the caret stays where the operator was typing.
    for (const std::u16string& removed : check.removed) {
        face_.showMessage(kHexInputMessage, kApplicationTitle);
        std::u16string kept;
        std::size_t keptCaret = caret;
        for (std::size_t at = 0; at < text.size();) {
            if (text.compare(at, removed.size(), removed) == 0) {
                if (at < caret) keptCaret -= std::min(removed.size(), caret - at);
                at += removed.size();
            } else {
                kept += text[at++];
            }
        }
        text = std::move(kept);
        caret = keptCaret;
        correctingText2_ = true;
        state(Control::Text2).caret = caret;
        setText(Control::Text2, toUtf8(text));
        correctingText2_ = false;
    }
    state(Control::Text2).caret = caret;
    face_.setCaret(Control::Text2, caret);
}

void Form1::Check1_Click() {
    setEnabled(Control::Command9, control(Control::Check1).checked);
}

void Form1::Command6_Click() {
    const std::string text = control(Control::Text2).text;
    if (text.empty()) return;
    // Refused input stays in the box, and the tick stays, so the operator can mend it.
    const auto timeline =
        tryBuild([&] { return buildManualSend(text, control(Control::Check1).checked); });
    if (!timeline) return;
    try {
        runOperation(*timeline);
    } catch (...) {
        clearCommandPanel();
        throw;
    }
    clearCommandPanel();
}

void Form1::clearCommandPanel() {
    setChecked(Control::Check1, false);
    setEnabled(Control::Command9, false);
    setText(Control::Text2, "");
}

void Form1::Command5_Click() {
    runOperation(buildLineFeed());
}

void Form1::Command12_Click() {
    runOperation(buildPageEject());
}

void Form1::Command10_Click() {
    runOperation(buildMicroFeedForward());
}

void Form1::Command11_Click() {
    runOperation(buildMicroFeedBack());
}

void Form1::Command1_Click() {
    runOperation(buildSelfTest());
}

void Form1::Command4_Click() {
    Timeline save;
    save.text(buildSaveCommand());
    runOperation(save);
}

void Form1::Command7_Click() {
    runOperation(buildRestoreFactory());
}

void Form1::Command9_Click() {
    // Replaces the box's text; the input check accepts it (digits and single blanks).
    setText(Control::Text2, std::string(kFactoryBlockSpaced));
}

// --- Driver test print ---

void Form1::Command14_Click() {
    SendDriverFile();
}

void Form1::SendDriverFile() {
    // Read again at every press, so a file changed in between goes out in its new form.
    Bytes fileBytes;
    try {
        fileBytes = readDriverFile(driverFilePath(programFolder_));
    } catch (const Refusal& refusal) {
        face_.showMessage(refusal.what(), kApplicationTitle);
        return;
    }
    link_.SendBytesToPrinter(fileBytes);
}

// --- Pin tests ---

void Form1::Command17_Click() {
    // The header carries the moment of the click: the time is read once, before any page.
    runPinTestSequence(buildPinTestSequence(clock_.now()), link_, clock_, messages_);
}

void Form1::Command13_Click() {
    // All three modes, whichever option button is on.
    runPinTestSequence(buildThreeDensitySequence(), link_, clock_, messages_);
}

// --- Clock and busy state ---

void Form1::Timer1_Timer() {
    setText(Control::Labtime, face_.clockText(clock_.now()));
    const auto dots = busy.beginTick();
    if (!dots) return;
    showStatus(*dots);
    PollPrintJobs(kBusyJobSlot);
    switch (busy.finishTick(jobs)) {
        case BusyEnd::None:
            break;
        case BusyEnd::Early:
            // A job is still queued: the buttons come back, the dots caption stays.
            EnableCommands();
            face_.repaintNow(Control::Label8);
            break;
        case BusyEnd::Normal:
            EnableCommands();
            showStatus(std::string(kDoneCaption));
            break;
    }
}

const std::vector<Control>& Form1::commandButtons() {
    static const std::vector<Control> buttons = {
        Control::Command3,  Control::Command8, Control::Command1,  Control::Command14,
        Control::Command12, Control::Command5, Control::Command10, Control::Command11,
        Control::Command13, Control::Command7, Control::Command4,  Control::Command9,
        Control::Command6};
    return buttons;
}

void Form1::DisableCommands() {
    for (Control b : commandButtons()) setEnabled(b, false);
}

void Form1::EnableCommands() {
    // Command9 too, ticked or not.
    for (Control b : commandButtons()) setEnabled(b, true);
}

void Form1::Command15_Click() {
    busy.reset();
    EnableCommands();
    showStatus(std::string(kDoneCaption));
}

void Form1::PollPrintJobs(int slot) {
    const std::string name = printerName();
    // Nothing selected opens no printer: an empty queue.
    const JobQuery seen = name.empty() ? JobQuery{} : spooler_.queryActiveJobs(name);
    trevalune::PollPrintJobs(jobs, slot, seen);
}

void Form1::enterBusyState(std::int16_t code, const std::string& firstCaption) {
    busy.settingMode = code;
    jobs.clear(kBusyJobSlot);
    showStatus(firstCaption);
    DisableCommands();
}

// --- Print mode and value box ---

void Form1::Optgs_Click() {
    modeClicked(PrintMode::HighSpeed);
}

void Form1::Optcgs_Click() {
    modeClicked(PrintMode::HighDensity);
}

void Form1::Optcgm_Click() {
    modeClicked(PrintMode::SuperHighDensity);
}

void Form1::modeClicked(PrintMode mode) {
    if (control(modeOption(mode)).checked) setText(Control::cmbsz, control(modeLabel(mode)).text);
}

void Form1::cmbsz_Change() {
    if (numericValue(control(Control::cmbsz).text) > kValueBoxMax) {
        // Runs this handler again before the copy below; 119 is the capped value.
        setText(Control::cmbsz, std::string(kValueBoxCapped));
    }
    if (const auto mode = selectedMode()) setText(modeLabel(*mode), control(Control::cmbsz).text);
}

void Form1::cmbsz_Click() {
    cmbsz_Change();
}

std::optional<PrintMode> Form1::selectedMode() const {
    for (PrintMode mode : kAllModes) {
        if (control(modeOption(mode)).checked) return mode;
    }
    return std::nullopt;
}

ModeValues Form1::modeValues() const {
    return {control(Control::Labgs).text, control(Control::Labcgs).text,
            control(Control::Labcgm).text};
}

// --- Alignment test print and set operations ---

void Form1::Command18_Click() {
    PrintAlignmentTest();
}

void Form1::PrintAlignmentTest() {
    const std::string centre = control(Control::Combo2).text;
    buildAndRun([&] { return buildAlignmentTest(centre); });
}

void Form1::Command16_Click() {
    const auto mode = selectedMode();
    if (!mode) return;  // the three options are exclusive and one is on from start-up
    const ModeValues values = modeValues();
    const std::string text1 = control(Control::Text1).text;
    buildAndRunBusy(kBusySetItems, [&] { return buildSetSingleItem(*mode, values, text1); });
}

void Form1::Command3_Click() {
    const ModeValues values = modeValues();
    const std::string text1 = control(Control::Text1).text;
    buildAndRunBusy(kBusySetItems, [&] { return buildSetAllItems(values, text1); });
}

void Form1::Command8_Click() {
    const ModeValues values = modeValues();
    const std::string text1 = control(Control::Text1).text;
    buildAndRunBusy(kBusySetAllWithPage,
                    [&] { return buildSetAllWithTestPage(values, text1, hanziSample); });
}

// --- What the operations build on ---

void Form1::showStatus(const std::string& caption) {
    setText(Control::Label8, caption);
    face_.repaintNow(Control::Label8);
}

bool Form1::runOperation(const Timeline& timeline) {
    link_.beginOperation(static_cast<int>(timeline.documentCount()));
    return runTimeline(timeline, link_, clock_, [this](const std::string& c) { showStatus(c); });
}

std::optional<Timeline> Form1::tryBuild(const std::function<Timeline()>& build) {
    try {
        return build();
    } catch (const Refusal& error) {
        face_.showMessage(error.what(), kApplicationTitle);
        return std::nullopt;
    }
}

void Form1::buildAndRun(const std::function<Timeline()>& build) {
    if (const auto timeline = tryBuild(build)) runOperation(*timeline);
}

void Form1::buildAndRunBusy(std::int16_t code, const std::function<Timeline()>& build) {
    const auto timeline = tryBuild(build);
    if (!timeline) return;
    enterBusyState(code, std::string(kSettingCaption2));
    // A document not taken has been said already; the rest of the operation was not sent, so
    // the timer has nothing to wait for and must not end it later with its done caption.
    if (!runOperation(*timeline) && busy.busy()) Command15_Click();
}

}  // namespace trevalune

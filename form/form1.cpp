#include "form/form1.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>
#include <utility>

#include "alignment/config_block.h"
#include "alignment/test_print.h"
#include "alignment/value_text.h"
#include "common/utf16.h"
#include "form/control_table.h"
#include "form/face.h"
#include "operations/catalogue.h"
#include "operations/command_panel.h"
#include "operations/driver_file.h"
#include "operations/printer_choice.h"
#include "printer/clock.h"
#include "printer/spooler.h"
#include "rowreader/annotate.h"
#include "rowreader/image.h"
#include "rowreader/sideways.h"
#include "rowreader/verdict_text.h"

namespace trevalune {

namespace {

constexpr std::string_view kHexInputMessage = "请输入的数据是16进制的范围";
/// {1}: the value read off a test print page that the centre list does not hold.
constexpr TwoLanguages kNotACentre{
    "{1} is not among the values of Korvel参数; nothing was changed.",
    "Korvel参数的列表中没有 {1}，没有改动任何内容。"};
constexpr std::string_view kOutOfMemory = "内存不足";

/// A path as UTF-8, whatever characters it holds (on Windows it is UTF-16).
std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

/// The page read as the command line reads it (any way up), for the reading window: of a
/// multi-page TIFF the first page, and the view says so. Throws ImageFileError and ImageError.
ReadingView buildPictureReading(const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = rowreader::readImageFile(utf8Of(file));
    const rowreader::GreyImage picture =
        rowreader::decodeImage(bytes, 0, rowreader::Resolution::ForReading);
    // A page read turned has its rows' outlines in the turned picture: that one is drawn.
    const rowreader::TurnedReading read = rowreader::readRowsAnyWayUp(picture);
    return buildReadingView(
        utf8Of(file.filename()), read.readings,
        rowreader::buildAnnotation(read.turned ? *read.turned : picture, read.readings),
        rowreader::imagePageCount(bytes));
}

/// Each print mode's option button and value label, in kPrintModes' order.
struct ModeControls {
    Control option;
    Control label;
};
constexpr std::array<ModeControls, 3> kModeControls = {
    {{Control::highSpeedOption, Control::highSpeedValue},
     {Control::highDensityOption, Control::highDensityValue},
     {Control::superHighDensityOption, Control::superHighDensityValue}}};

Control modeOption(PrintMode mode) {
    return kModeControls[modeIndex(mode)].option;
}

Control modeLabel(PrintMode mode) {
    return kModeControls[modeIndex(mode)].label;
}

/// The buttons that run one operation of the catalogue as they are pressed; a set operation
/// enters its busy state first.
struct OperationButton {
    Control button;
    Operation operation;
    BusyCode busyCode = BusyCode::Idle;
};
constexpr OperationButton kOperationButtons[] = {
    {Control::pageEject, Operation::PageEject},
    {Control::lineFeed, Operation::LineFeed},
    {Control::microFeedForward, Operation::MicroFeedForward},
    {Control::microFeedBack, Operation::MicroFeedBack},
    {Control::selfTest, Operation::SelfTest},
    {Control::save, Operation::Save},
    {Control::factoryReset, Operation::FactoryReset},
    {Control::driverFile, Operation::DriverFile},
    {Control::pinTest, Operation::PinTest},
    {Control::pinTestDensities, Operation::PinTestDensities},
    {Control::alignmentTest, Operation::AlignmentTest},
    {Control::setSingleItem, Operation::SetSingleItem, BusyCode::SetItems},
    {Control::setAllItems, Operation::SetAllItems, BusyCode::SetItems},
    {Control::setAllWithTestPage, Operation::SetAllWithTestPage, BusyCode::SetAllWithPage},
};

const OperationButton* operationButton(Control control) {
    for (const OperationButton& b : kOperationButtons) {
        if (b.button == control) return &b;
    }
    return nullptr;
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
    {Control::printerList, &Form1::printerChosen, &Form1::printerChosen},
    {Control::quit, &Form1::quit},
    {Control::commandText, nullptr, &Form1::commandTextChanged},
    {Control::saveBracket, &Form1::saveTickClicked},
    {Control::sendCommand, &Form1::sendCommandText},
    {Control::factoryBlock, &Form1::fillFactoryBlock},
    {Control::rest, &Form1::rest},
    {Control::highSpeedOption, &Form1::modeOptionClicked},
    {Control::highDensityOption, &Form1::modeOptionClicked},
    {Control::superHighDensityOption, &Form1::modeOptionClicked},
    {Control::valueBox, &Form1::valueBoxChanged, &Form1::valueBoxChanged},
    };
    // clang-format on
    for (const Handlers& h : kHandlers) {
        if (h.control == control) return &h;
    }
    return nullptr;
}

void Form1::FaceMessages::show(std::string_view text, std::string_view title) {
    face_.showMessage(text, title.empty() ? kApplicationTitle : title);
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
      linkMessages_(messages_, messages_),
      link_(spooler, linkMessages_, [this] { return printerName(); }) {
    link_.lookBeforeSending(true);
    for (const ControlSpec& c : controlTable()) state(c.id).text = c.caption;
    const HandlerScope scope(handlerDepth_);
    load();
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
    handleEvent([this] { clockTick(); });
}

void Form1::pictureOpened(const std::filesystem::path& file) {
    handleEvent([&] {
        // Only what was read goes on: a file that cannot be read is one message and nothing
        // else, not the form's fault report (which would end a set operation's busy state).
        const auto fault = [&](std::string why) {
            face_.showMessage(buildSaid(rowreader::kCannotRead, Language::Chinese,
                                        {utf8Of(file), std::move(why)}),
                              kApplicationTitle);
        };
        std::optional<ReadingView> view;
        try {
            view = buildPictureReading(file);
        } catch (const rowreader::ImageFileError& e) {
            return fault(e.what());
        } catch (const rowreader::ImageError& e) {
            return face_.showMessage(rowreader::pictureFault(e, utf8Of(file), Language::Chinese),
                                     kApplicationTitle);
        } catch (const std::bad_alloc&) {
            return fault(std::string(kOutOfMemory));
        }
        face_.showReading(*view);
    });
}

void Form1::valueTaken(const TakeValue& take) {
    handleEvent([&] {
        const std::string value = std::to_string(take.value);
        if (!take.mode) {
            // As picking the item in the centre list: only one of its items.
            const ControlState& list = state(Control::centreList);
            const auto item = std::find(list.items.begin(), list.items.end(), value);
            if (!list.enabled) return;
            if (item == list.items.end()) {
                face_.showMessage(buildSaid(kNotACentre, Language::Chinese, {value}),
                                  kApplicationTitle);
                return;
            }
            selectItem(Control::centreList, static_cast<int>(item - list.items.begin()));
            return;
        }
        // As clicking the mode's option button, then typing the value into the value box:
        // the same handlers run, the box's cap included.
        const Control option = modeOption(*take.mode);
        if (!state(option).enabled) return;
        setChecked(option, true);
        if (!state(Control::valueBox).enabled) return;
        state(Control::valueBox).caret = toUtf16(value).size();
        setText(Control::valueBox, value);
        face_.setCaret(Control::valueBox, state(Control::valueBox).caret);
    });
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
        if (busy_.busy()) rest();
        face_.showMessage(what, kApplicationTitle);
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
    if (const OperationButton* b = operationButton(name)) {
        runButton(b->operation, b->busyCode);
        return;
    }
    if (const Handlers* h = handlersOf(name); h != nullptr && h->click != nullptr) {
        (this->*h->click)();
    }
}

// --- Start-up and printer choice ---

void Form1::load() {
    face_.startTimer(Control::timer, kTimerIntervalMs);

    std::vector<std::string> values;
    for (int v = 5; v <= kValueBoxMax; ++v) values.push_back(std::to_string(v));
    setItems(Control::centreList, std::move(values));
    setText(Control::centreList, std::string(kDefaultCentre));

    for (const PrintModeTraits& m : kPrintModes)
        setText(modeLabel(m.mode), std::string(m.initialValue));
    setChecked(Control::highSpeedOption, true);  // copies Labgs into cmbsz
    setText(Control::valueBox, std::string(traits(PrintMode::HighSpeed).initialValue));
    setEnabled(Control::factoryBlock, false);

    PrinterList printers = spooler_.listPrinters();
    setItems(Control::printerList, std::move(printers.names));
    // Without this the list is simply empty and every button blames the printer's name.
    if (!printers.unreachableServer.empty()) {
        face_.showMessage(noPrintServerMessage(printers.unreachableServer), kApplicationTitle);
    }
    // Each visited printer becomes the default in turn; the last one visited stays selected.
    const std::size_t visits = preselectionVisits(control(Control::printerList).items);
    for (std::size_t i = 0; i < visits; ++i) selectItem(Control::printerList, static_cast<int>(i));
}

void Form1::printerChosen() {
    const std::string name = printerName();
    if (!name.empty()) spooler_.setDefaultPrinter(name);
}

void Form1::quit() {
    face_.closeWindow();
}

std::string Form1::printerName() const {
    return control(Control::printerList).text;
}

// --- Manual command panel ---

void Form1::commandTextChanged() {
    if (correctingText2_) return;  // the correction below changes the text itself
    std::u16string text = toUtf16(control(Control::commandText).text);
    const HexInputCheck check = checkHexInput(text);
    if (check.removed.empty()) return;
    std::size_t caret = std::min(control(Control::commandText).caret, text.size());
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
        state(Control::commandText).caret = caret;
        setText(Control::commandText, toUtf8(text));
        correctingText2_ = false;
    }
    state(Control::commandText).caret = caret;
    face_.setCaret(Control::commandText, caret);
}

void Form1::saveTickClicked() {
    setEnabled(Control::factoryBlock, control(Control::saveBracket).checked);
}

void Form1::sendCommandText() {
    if (control(Control::commandText).text.empty()) return;
    // Refused input stays in the box, and the tick stays, so the operator can mend it.
    const auto work = tryBuild(Operation::ManualSend);
    if (!work) return;
    try {
        runWork(*work);
    } catch (...) {
        clearCommandPanel();
        throw;
    }
    clearCommandPanel();
}

void Form1::clearCommandPanel() {
    setChecked(Control::saveBracket, false);
    setEnabled(Control::factoryBlock, false);
    setText(Control::commandText, "");
}

void Form1::fillFactoryBlock() {
    // Replaces the box's text; the input check accepts it (digits and single blanks).
    setText(Control::commandText, std::string(kFactoryBlockSpaced));
}

// --- Clock and busy state ---

void Form1::clockTick() {
    setText(Control::clock, face_.clockText(clock_.now()));
    const auto dots = busy_.beginTick();
    if (!dots) return;
    showStatus(*dots);
    pollJobs();
    switch (busy_.finishTick(jobs_)) {
        case BusyEnd::None:
            break;
        case BusyEnd::Early:
            // A job is still queued: the buttons come back, the dots caption stays.
            enableButtons();
            face_.repaintNow(Control::statusLabel);
            break;
        case BusyEnd::Normal:
            enableButtons();
            showStatus(std::string(kDoneCaption));
            break;
    }
}

const std::vector<Control>& Form1::commandButtons() {
    static const std::vector<Control> buttons = {Control::setAllItems,
                                                 Control::setAllWithTestPage,
                                                 Control::selfTest,
                                                 Control::driverFile,
                                                 Control::pageEject,
                                                 Control::lineFeed,
                                                 Control::microFeedForward,
                                                 Control::microFeedBack,
                                                 Control::pinTestDensities,
                                                 Control::factoryReset,
                                                 Control::save,
                                                 Control::factoryBlock,
                                                 Control::sendCommand};
    return buttons;
}

void Form1::disableButtons() {
    for (Control b : commandButtons()) setEnabled(b, false);
}

void Form1::enableButtons() {
    // Command9 too, ticked or not.
    for (Control b : commandButtons()) setEnabled(b, true);
}

void Form1::rest() {
    busy_.reset();
    enableButtons();
    showStatus(std::string(kDoneCaption));
}

void Form1::pollJobs() {
    const std::string name = printerName();
    // Nothing selected opens no printer: an empty queue.
    const JobQuery seen = name.empty() ? JobQuery{} : spooler_.queryActiveJobs(name);
    recordJobPoll(jobs_, seen);
}

void Form1::enterBusyState(BusyCode code, const std::string& firstCaption) {
    busy_.settingMode = code;
    jobs_ = {};
    showStatus(firstCaption);
    disableButtons();
}

// --- Print mode and value box ---

void Form1::modeOptionClicked() {
    // An option raises its click only once it is on: the one on is the one clicked.
    if (const auto mode = selectedMode())
        setText(Control::valueBox, control(modeLabel(*mode)).text);
}

void Form1::valueBoxChanged() {
    if (numericValue(control(Control::valueBox).text) > kValueBoxMax) {
        // Runs this handler again before the copy below; 119 is the capped value.
        setText(Control::valueBox, std::string(kValueBoxCapped));
    }
    if (const auto mode = selectedMode())
        setText(modeLabel(*mode), control(Control::valueBox).text);
}

std::optional<PrintMode> Form1::selectedMode() const {
    for (PrintMode mode : kAllModes) {
        if (control(modeOption(mode)).checked) return mode;
    }
    return std::nullopt;
}

// --- What the operations build on ---

void Form1::showStatus(const std::string& caption) {
    setText(Control::statusLabel, caption);
    face_.repaintNow(Control::statusLabel);
}

OperationInput Form1::operationInput(Operation operation) const {
    // Every caption is read here, once; a caption that cannot be sent refuses only the
    // operations that read it.
    OperationInput in;
    const std::string& centre = control(Control::centreList).text;
    in.centre = Checked<AlignValue>::read([&] { return centreValueOf(centre); });
    in.mode = selectedMode().value_or(PrintMode::HighSpeed);
    for (PrintMode mode : kAllModes) {
        const std::string& caption = control(modeLabel(mode)).text;
        in.values[modeIndex(mode)] =
            Checked<AlignValue>::read([&] { return modeValueOf(mode, caption); });
    }
    in.extraWaitMs = extraWaitMs(control(Control::extraWait).text);
    const std::string& command = control(Control::commandText).text;
    in.command = Checked<Bytes>::read([&] { return commandBoxBytes(command); });
    in.saveBracket = control(Control::saveBracket).checked;
    // The pin test header carries the moment of the click: read once, before any page.
    if (operation == Operation::PinTest) in.now = clock_.now();
    // Read again at every press, so a file changed in between goes out in its new form.
    in.driverFile = driverFilePath(programFolder_);
    return in;
}

Next Form1::runWork(const OperationWork& work) {
    return trevalune::runWork(work, link_, clock_, messages_,
                              [this](const std::string& c) { showStatus(c); });
}

std::optional<OperationWork> Form1::tryBuild(Operation operation) {
    try {
        return buildOperation(operation, operationInput(operation));
    } catch (const Refusal& error) {
        face_.showMessage(error.what(), kApplicationTitle);
        return std::nullopt;
    }
}

void Form1::runButton(Operation operation, BusyCode busyCode) {
    // The three options are exclusive and one is on from start-up; without one, nothing.
    if (operation == Operation::SetSingleItem && !selectedMode()) return;
    const auto work = tryBuild(operation);
    if (!work) return;
    if (busyCode == BusyCode::Idle) {
        runWork(*work);
        return;
    }
    enterBusyState(busyCode, std::string(kSettingCaption2));
    // A document not taken has been said already; the rest of the operation was not sent, so
    // the timer has nothing to wait for and must not end it later with its done caption.
    if (runWork(*work) != Next::GoOn && busy_.busy()) rest();
}

}  // namespace trevalune

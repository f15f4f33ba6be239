#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "alignment/print_mode.h"
#include "alignment/set_items.h"
#include "alignment/value_check.h"
#include "pintest/pin_test_runs.h"
#include "printer/bytes.h"
#include "printer/clock.h"
#include "printer/timeline.h"

namespace trevalune {

class MessageSink;

/// Every operation that sends something: what the window's buttons do and what the command
/// line does in their place. Both build through buildOperation and run through runWork, so
/// the two send the same bytes by construction.
enum class Operation : unsigned char {
    PageEject,
    LineFeed,
    MicroFeedForward,
    MicroFeedBack,
    SelfTest,
    Save,
    FactoryReset,
    AlignmentTest,
    SetSingleItem,
    SetAllItems,
    SetAllWithTestPage,
    PinTest,
    PinTestDensities,
    ManualSend,
    DriverFile,
};

/// A value read from the operator's text where the text is read: the value, or the refusal
/// the text earned. An operation that reads it throws that refusal, so a caption that cannot
/// be sent refuses only the operations that would send it.
template <class T>
class Checked {
public:
    Checked(T value) : value_(std::move(value)) {}            // NOLINT: a value is a checked value
    Checked(Refusal refused) : value_(std::move(refused)) {}  // NOLINT: so is a refusal

    /// Reads the text once; its refusal is kept for whoever reads the value.
    template <class Read>
    static Checked read(Read read) {
        try {
            return Checked(read());
        } catch (const Refusal& refused) {
            return Checked(refused);
        }
    }

    const T& get() const {
        if (const auto* refused = std::get_if<Refusal>(&value_)) throw *refused;
        return std::get<T>(value_);
    }

private:
    std::variant<T, Refusal> value_;
};

/// What an operation reads besides itself, as numbers, a mode and bytes: the window reads its
/// controls' captions once, at its edge; the command line its arguments. Each operation reads
/// only its own fields.
struct OperationInput {
    Checked<AlignValue> centre = AlignValue{};  ///< AlignmentTest: the centre list
    PrintMode mode = PrintMode::HighSpeed;      ///< SetSingleItem: the selected option button
    std::array<Checked<AlignValue>, 3> values = {AlignValue{}, AlignValue{}, AlignValue{}};
    ///< the set operations: the three value labels, by modeIndex
    int extraWaitMs = 0;               ///< the set operations: the extra wait
    Checked<Bytes> command = Bytes{};  ///< ManualSend: the command box's bytes
    bool saveBracket = false;          ///< ManualSend: the save tick
    LocalDateTime now;                 ///< PinTest: the header's moment, read once
    std::filesystem::path driverFile;  ///< DriverFile: read at every run

    /// The three values, the first refused throwing, high speed first.
    ModeValues modeValues() const;
    /// Every value as given, none refused.
    void setModeValues(const ModeValues& given);
};

/// An operation built and ready to run on any number of printers. Everything was encoded
/// while it was built, so a refused value sends nothing.
struct OperationWork {
    /// What goes out in order; for pin test pages only their preview, for counting.
    Timeline timeline;
    /// When set, run page by page, each page's refusal reported on its own.
    std::vector<PinTestPage> pinTestPages;

    static OperationWork of(Timeline timeline) { return {std::move(timeline), {}}; }
};

/// What an operation is called and which of its input it reads.
struct OperationTraits {
    Operation operation;
    std::string_view name;  ///< in English, for diagnostics and listings
    OperationWork (*build)(const OperationInput&);
};

std::span<const OperationTraits> operationCatalogue();
const OperationTraits& traits(Operation operation);

/// The operation's work. Throws Refusal (the window's message) for a value that cannot be
/// sent: an alignment centre or set value out of range, hex text the command box refuses, a
/// missing or empty driver file.
OperationWork buildOperation(Operation operation, const OperationInput& input);

/// The save button: ESC ':' NUL NUL 'R' as one document, which stores the values written so
/// far in the printer for good.
Timeline buildSave();

/// Runs the work through the link as the window runs it: the timeline's documents, waits and
/// captions (to `showCaption`, when given), or the pin test pages each trapped on its own
/// with its message in `messages`. Next::GoOn when it ran to its end; otherwise the link
/// stopped it, or it was asked to stop.
Next runWork(const OperationWork& work, PrinterLink& link, Clock& clock, MessageSink& messages,
             const std::function<void(const std::string&)>& showCaption = {});

}  // namespace trevalune

#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alignment/print_mode.h"
#include "alignment/set_items.h"
#include "pintest/pin_test_runs.h"
#include "printer/bytes.h"
#include "printer/clock.h"
#include "printer/timeline.h"

namespace trevalune {

class MessageSink;
class PrinterLink;

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

/// What an operation reads besides itself: the values on the window's other controls, or
/// what the command line gives in their place. Each operation reads only its own fields.
struct OperationInput {
    std::string centre;                     ///< AlignmentTest: the centre list's text
    PrintMode mode = PrintMode::HighSpeed;  ///< SetSingleItem: the selected option button
    ModeValues values;                      ///< the set operations: the three value labels
    std::string extraWait;                  ///< the set operations: the extra wait box's text
    std::string commandText;                ///< ManualSend: the command box's hex text
    bool saveBracket = false;               ///< ManualSend: the save tick
    LocalDateTime now;                      ///< PinTest: the header's moment, read once
    std::filesystem::path driverFile;       ///< DriverFile: read at every run
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
/// with its message in `messages`. False when a document not taken, or whose fate is
/// unknown, ended it.
bool runWork(const OperationWork& work, PrinterLink& link, Clock& clock, MessageSink& messages,
             const std::function<void(const std::string&)>& showCaption = {});

}  // namespace trevalune

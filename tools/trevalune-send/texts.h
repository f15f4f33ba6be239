#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/bytes.h"

namespace trevalune::send {

/// Looks a variable of the process environment up; empty when it is not set.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;

/// One language for the whole run: Chinese under a Chinese locale, English otherwise.
enum class Language { English, Chinese };

/// LC_ALL, else LC_MESSAGES, else LANG, as the C library decides; "zh..." is Chinese.
Language languageOf(const Environment& environment);

/// Everything the program says of its own. The window's message texts (a builder's refusal)
/// are quoted as they are.
enum class Text {
    TryHelp,             ///< after a usage error
    NoOperation,
    NotExpected,      ///< {1}: the arguments CLI11 did not expect
    MissingValue,     ///< {1}: the option         ///< no operation given
    UnknownOperation,    ///< {1}: the word
    WrongArgumentCount,  ///< {1}: operation, {2}: its arguments' synopsis
    UnknownMode,         ///< {1}: the word
    NotAnInteger,        ///< {1}: option, {2}: the text
    ValueAboveBox,       ///< {1}: the value; the window's value box never holds it
    OptionNotHere,       ///< {1}: option, {2}: operation
    HexTextMixed,        ///< --hex/--text with an operation
    Refused,             ///< {1}: the window's message
    StdinEmpty,
    TextEmpty,
    StdinTooLarge,
    NoPrinter,      ///< {1}: the printers listed
    NoPrinters,     ///< "none", in the list of NoPrinter
    NoPrintServer,  ///< {1}: the server
    NotOpened,      ///< {1}: printer, {2}: document number, {3}: reason
    NotTaken,       ///< {1}: printer, {2}: document number, {3}: reason
    UnknownPrinterReason,
    DryRunTo,  ///< {1}: the printers
    DryRunNoPrinter,
    DryRunDocument,  ///< {1}: number, {2}: size, {3}: hex
    DryRunWait,      ///< {1}: milliseconds
    AlignNeedsTerminal,
    AlignOnePrinter,
    AlignNoDryRun,
    AlignFromRange,    ///< {1}: the value
    AlignPrinted,      ///< {1}: printer, {2}: mode, {3}: value
    AlignAsk,          ///< {1}: the marked value
    AlignAnswerRange,  ///< {1}: what was typed
    AlignSaved,        ///< {1}: mode, {2}: value
    AlignStopped,      ///< {1}: mode, {2}: value
    ServerOnWindows,
    DefaultMark,  ///< after the default printer in `list`
};

/// The text in the run's language, with {1}, {2}, {3} replaced by `args`.
std::string say(Language language, Text text, const std::vector<std::string>& args = {});

/// A refusal of the command line's own, in both languages.
Refusal refusal(Language language, Text text, const std::vector<std::string>& args = {});

/// The whole --help text.
std::string helpText(Language language);

}  // namespace trevalune::send

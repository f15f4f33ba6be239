#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/language.h"
#include "printer/bytes.h"

namespace trevalune::send {

/// Looks a variable of the process environment up; empty when it is not set.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;

/// One language for the whole run: Chinese under a Chinese locale, English otherwise.
using Language = trevalune::Language;

/// LC_ALL, else LC_MESSAGES, else LANG, as the C library decides; "zh..." is Chinese.
Language languageOf(const Environment& environment);

/// Everything the program says of its own. The window's message texts (a builder's refusal)
/// are quoted as they are.
enum class Text {
    TryHelp,  ///< after a usage error
    NoOperation,
    NotExpected,   ///< {1}: the arguments CLI11 did not expect
    MissingValue,  ///< {1}: the option
    GivenTwice,    ///< {1}: the option
    TakesNoValue,  ///< {1}: the option
    NotUnderstood,
    UnknownOperation,    ///< {1}: the word
    WrongArgumentCount,  ///< {1}: operation, {2}: its arguments' synopsis
    UnknownMode,         ///< {1}: the word
    NotInRange,          ///< {1}: option, {2}: the text, {3}: least, {4}: most
    CupsOnly,            ///< {1}: option
    BadServer,           ///< {1}: the text
    EmptyValue,          ///< {1}: option
    QueueTwice,          ///< {1}: the first name, {2}: the second
    ValueAboveBox,       ///< {1}: the value; the window's value box never holds it
    OptionNotHere,       ///< {1}: option, {2}: operation
    HexTextMixed,        ///< --hex/--text with an operation
    Refused,             ///< {1}: the window's message
    RefusedSaid,         ///< the same, for a message that says already that nothing was sent
    BadQueueName,        ///< {1}: the name, control characters shown as '?'
    BadPrinterName,      ///< the same on Windows
    InputInterrupted,
    NoPrinter,      ///< {1}: the printers listed
    NoPrinters,     ///< "none", in the list of NoPrinter
    NoPrintServer,  ///< {1}: the server
    UnknownPrinterReason,
    Warning,           ///< {1}: printer, {2}: its state
    WarningRefusing,   ///< the same for a queue that does not accept jobs
    NotAccepting,      ///< after a state: the queue takes no jobs
    AccountTaken,      ///< {1}: printer, {2}: taken, {3}: planned
    AccountNotOpened,  ///< {1}: document, {2}: AccountJob or nothing, {3}: AccountRestNotSent
    AccountNotTaken,   ///< or nothing, {4}: the reason (the same for the next two)
    AccountUnknown,
    AccountJob,  ///< {1}: the job id
    AccountRestNotSent,
    AccountRefusedPage,  ///< {1}: the message
    AccountInterrupted,
    AccountFault,  ///< {1}: the program's own failure on the queue
    OutOfMemory,
    FaultNothingSent,  ///< {1}: the program's own failure before anything was sent
    OutputLost,        ///< standard output could not be written
    SecondSignal,
    JobCount,  ///< {1}: how many, {2}: state
    WaitCompleted,
    WaitLeft,
    WaitNotKnown,  ///< {1}: the jobs, {2}: why their state cannot be read
    NoReasonGiven,
    WaitJobFailed,     ///< {1}: job id, {2}: state, {3}: " (reasons)" or nothing
    WaitTimeUp,        ///< {1}: seconds, {2}: the jobs' states counted
    WaitInterrupted,   ///< {1}: the jobs' states counted
    WaitPrinterState,  ///< {1}: the printer's state
    ListState,         ///< {1}: state, {2}: jobs waiting
    ListNoState,
    DryRunTo,  ///< {1}: the printers
    DryRunNoPrinter,
    DryRunDocument,  ///< {1}: number, {2}: size, {3}: hex
    DryRunWait,      ///< {1}: milliseconds
    AlignNeedsTerminal,
    AlignOnePrinter,
    AlignNoDryRun,
    AlignFromRange,        ///< {1}: the value
    AlignPrinted,          ///< {1}: printer, {2}: mode, {3}: value
    AlignAsk,              ///< {1}: the marked value
    AlignAnswerRange,      ///< {1}: what was typed
    AlignSaved,            ///< {1}: mode, {2}: value
    AlignStopped,          ///< {1}: mode, {2}: value
    AlignStoppedNotKnown,  ///< {1}: mode, {2}: what was taken of the last value's documents
    AlignTakenOf,          ///< {1}: taken, {2}: planned
    AlignNotCompleted,     ///< after AlignTakenOf: their jobs did not complete
    DefaultMark,           ///< after the default printer in `list`
    NoReader,              ///< a build without the row reader
    CannotRead,            ///< {1}: the file, {2}: why
    ScanOutput,            ///< the file, when the scan command wrote it
    CannotWrite,           ///< {1}: the file, {2}: why
    ReadPage,              ///< {1}: the page, {2}: of how many
    ScanNotRun,            ///< {1}: why
    ScanFailed,            ///< {1}: exit status, {2}: ": its standard error" or nothing
    ScanEmpty,
    ScanTooLarge,
    PageStraight,  ///< {1}: page, {2}: mode, {3}: value, {4}: rows read, {5}: straight, {6}: conf.
    PageNearest,   ///< the same, {5}: the row printed around next
    PageCannotTell,  ///< the same, {5}: the doubt
    PageAgain,       ///< the same: the next page prints around {3} once more
    // A straight row on a page that does not confirm it.
    AlignNotConfirmed,
    AlignAskDoubt,    ///< {1}: the doubt, {2}: the marked value
    AlignNoTerminal,  ///< {1}: the doubt
    AlignTooManyPages,
    // The print server's link, in the words the program composes itself.
    CupsNoAnswer,            ///< {1}: the server, {2}: CupsSeconds
    CupsSeconds,             ///< {1}: the number
    CupsLoginRefused,        ///< {1}: the server, {2}: its status
    CupsNoLoginToGive,       ///< the same
    CupsNoServer,            ///< {1}: the server
    CupsClosedBeforeAnswer,  ///< {1}: the server
    CupsClosedMidDocument,   ///< {1}: the server
    CupsNameNotInRequest,
    CupsNoJobState,
    // --help: the two operations outside the operation table, then the options.
    HelpAlign,
    HelpList,
    HelpReadRows,
    HelpPrinter,
    HelpPrinterWindows,
    HelpServer,
    HelpUser,
    HelpTimeout,
    HelpExtraWait,
    HelpWait,
    HelpJson,
    HelpDryRun,
    HelpQuiet,
    HelpPieces,
    HelpHelp,
    HelpVersion,
    // --help's own paragraphs: the usage, the options' heading, the end and exit statuses.
    HelpUsage,
    HelpOptionsHeading,
    HelpEnding,
    HelpExitCups,
    HelpExitWindows,
    // What each operation sends, for --help and the man page.
    AboutEject,
    AboutLineFeed,
    AboutMicroFeed,
    AboutMicroBack,
    AboutSelfTest,
    AboutSave,
    AboutFactoryReset,
    AboutAlignmentTest,
    AboutSet,
    AboutSetAll,
    AboutPinTest,
    AboutPinTestDensities,
    AboutFile,
    AboutHex,
    AboutText,
    HelpEndingLast,
};

/// The text in the run's language, with {1}, {2}, {3} replaced by `args` and a rule's name in
/// braces ({boxMax}, {wait}, ...) by the number the rule holds.
std::string say(Language language, Text text, const std::vector<std::string>& args = {});
/// A pattern with {1}..{9} from `args` and the rule names ({boxMax}, {rowsFrom}, ...) filled.
std::string filled(std::string_view pattern, const std::vector<std::string>& args = {});

enum class Platform;

/// The whole --help text, with what applies on the platform.
std::string helpText(Language language, Platform platform);

}  // namespace trevalune::send

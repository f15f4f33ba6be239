#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "alignment/set_items.h"
#include "cli/texts.h"

namespace trevalune::send {

/// --wait without seconds, and the longest --wait and --timeout taken.
inline constexpr int kDefaultWaitSeconds = 60;
inline constexpr int kMaxWaitSeconds = 24 * 3600;
inline constexpr int kMaxTimeoutSeconds = 3600;
/// Without --timeout: connecting to the print server and each request.
inline constexpr int kDefaultTimeoutSeconds = 5;
/// align --scan-command stops after this many pages without the marked row straight, so that
/// a reading that goes wrong cannot print on and on.
inline constexpr int kMaxScanPages = 10;
/// The most a scan command may write: far more than a 600-dpi page of any format.
inline constexpr std::size_t kMaxScanMebibytes = 512;

/// The command line once it has been read.
struct CommandLine {
    std::vector<std::string> printers;
    std::optional<std::string> server;
    std::optional<std::string> user;
    std::string timeout;  ///< seconds, as typed; empty for the default
    std::string extraWait{kDefaultExtraWait};
    std::optional<std::string> wait;  ///< --wait's seconds, as typed
    bool json = false;
    bool dryRun = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool testPage = false;
    bool save = false;
    std::optional<std::string> from;
    std::optional<std::string> scanCommand;  ///< align --scan-command
    std::optional<std::string> mode;         ///< read-rows --mode
    std::optional<std::string> annotate;     ///< read-rows --annotate OUT.png, align DIR
    std::vector<std::string> hex;
    std::vector<std::string> text;
    std::vector<std::pair<std::string, std::string>> pieces;  ///< --hex/--text in order
    std::vector<std::string> words;                           ///< the operation and its arguments
};

/// Where an option's value goes; empty for --wait, which is read before the rest.
using OptionTarget = std::variant<std::monostate, bool CommandLine::*, std::string CommandLine::*,
                                  std::optional<std::string> CommandLine::*,
                                  std::vector<std::string> CommandLine::*>;

/// One option of the command line: the one source of its declaration and of its help.
struct OptionSpec {
    std::string_view names;  ///< as declared: "-d,--printer"
    std::string_view value;  ///< the value's name in --help ("NAME"); empty for a flag
    OptionTarget target;
    bool cupsOnly;  ///< listed only where the spooler is CUPS; refused elsewhere
    /// Its line in --help; options in a row with one text share the line. None for an option
    /// of one operation, shown in that operation's synopsis.
    std::optional<Text> help;
    std::optional<Text> windowsHelp;  ///< where it differs on Windows
};

std::span<const OptionSpec> optionTable();

/// "-d, --printer NAME", as --help shows it.
std::string optionHead(const OptionSpec& option);

/// Reads the arguments after the program name; throws CLI::ParseError for what CLI11 cannot
/// read (the caller words it in the run's language).
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

/// Whether the arguments ask for --json, before any "--"; known before the parse, since the
/// output's encoding is chosen before anything is said.
bool asksForJson(const std::vector<std::string>& arguments);

/// The code page for standard output or error going to a file or a pipe on Windows: the
/// console's output code page, so `> file`, `| find` and `| more` read as on the screen. 0
/// means UTF-8: for JSON (read by programs), on a UTF-8 console (65001), and without one (0).
unsigned buildRedirectedCodePage(bool json, unsigned consoleCodePage);

}  // namespace trevalune::send

#pragma once

#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/print_mode.h"
#include "pintest/pin_test_runs.h"
#include "printer/bytes.h"
#include "printer/clock.h"
#include "printer/timeline.h"
#include "tools/trevalune-send/texts.h"

namespace trevalune::send {

/// What an operation reads besides its own arguments: the values the window would read off
/// its other controls.
struct OperationInput {
    std::vector<std::string> arguments;
    std::string extraWait = "5000";  ///< Text1
    bool testPage = false;           ///< set-all: the second 设置全部
    bool saveBracket = false;        ///< hex: 选择 ticked
    std::function<Bytes()> readStandardInput;
    LocalDateTime now;  ///< read once, for a pin test header
    Language language = Language::English;
};

/// An operation built and ready to run on any number of queues: either a timeline, or pin
/// test pages (run as the window runs them, each page trapped on its own), or the driver-file
/// document. Everything was encoded while it was built, so a refused value sent nothing.
struct Work {
    Timeline timeline;
    std::vector<PinTestPage> pinTestPages;  ///< when set, the timeline is only their preview
    std::optional<Bytes> file;              ///< when set, sent with SendBytesToPrinter
};

struct OperationTraits {
    std::string_view name;
    std::string_view synopsis;  ///< its arguments, for the help and usage errors
    std::size_t minArguments;
    std::size_t maxArguments;  ///< SIZE_MAX: any number
    std::string_view english;  ///< what it sends, for --help and the man page
    std::string_view chinese;
    /// Throws Refusal (the window's message) for a value the window refuses, or
    /// UsageError for a value the command line cannot mean.
    Work (*build)(const OperationInput&);
};

/// Every operation but `list` and `align`, which do not send one fixed piece of work.
std::span<const OperationTraits> operationTable();
const OperationTraits* findOperation(std::string_view name);

/// A command line that cannot be meant: exit status 2, one line and the hint to --help.
class UsageError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The window's print modes by their command-line names.
inline constexpr std::string_view kModeNames[] = {"high-speed", "high-density",
                                                  "super-high-density"};

/// A mode by its name; UsageError for any other word.
PrintMode parseMode(Language language, const std::string& word);

}  // namespace trevalune::send

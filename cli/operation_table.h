#pragma once

#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/print_mode.h"
#include "cli/texts.h"
#include "operations/catalogue.h"
#include "printer/bytes.h"
#include "printer/clock.h"

namespace trevalune::send {

/// What a command reads besides its own arguments: the values the window would read off its
/// other controls.
struct CommandInput {
    std::vector<std::string> arguments;
    int extraWaitMs = trevalune::extraWaitMs(kDefaultExtraWait);  ///< --extra-wait, checked
    bool testPage = false;                             ///< set-all: the second 设置全部
    bool saveBracket = false;                          ///< hex: 选择 ticked
    std::function<Bytes()> readStandardInput;
    LocalDateTime now;  ///< read once, for a pin test header
    Language language = Language::English;
};

/// An operation built and ready to run on any number of queues, as the window runs it.
using Work = OperationWork;

struct OperationTraits {
    std::string_view name;
    std::string_view synopsis;  ///< its arguments, for the help and usage errors
    std::size_t minArguments;
    std::size_t maxArguments;  ///< SIZE_MAX: any number
    Text about;  ///< what it sends, for --help and the man page
    /// Throws Refusal (the window's message) for a value the window refuses, or
    /// UsageError for a value the command line cannot mean.
    Work (*build)(const CommandInput&);
};

/// Every operation but `list` and `align`, which do not send one fixed piece of work.
std::span<const OperationTraits> operationTable();
const OperationTraits* findOperation(std::string_view name);

/// A command line that cannot be meant: exit status 2, one line and the hint to --help.
class UsageError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The print mode's word on the command line ("high-speed").
std::string_view modeWord(PrintMode mode);

/// A mode by its word; UsageError for any other word.
PrintMode parseMode(Language language, const std::string& word);

}  // namespace trevalune::send

#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace trevalune::send {

namespace {

using C = CommandLine;

// clang-format off
constexpr OptionSpec kOptions[] = {
    {"-d,--printer", "NAME", &C::printers, false, Text::HelpPrinter, Text::HelpPrinterWindows},
    {"--server", "HOST[:PORT]", &C::server, true, Text::HelpServer, {}},
    {"-U,--user", "USER", &C::user, true, Text::HelpUser, {}},
    {"--timeout", "SECONDS", &C::timeout, true, Text::HelpTimeout, {}},
    {"--extra-wait", "MS", &C::extraWait, false, Text::HelpExtraWait, {}},
    {"--wait", "[=SECONDS]", {}, false, Text::HelpWait, {}},
    {"--json", "", &C::json, false, Text::HelpJson, {}},
    {"-n,--dry-run", "", &C::dryRun, false, Text::HelpDryRun, {}},
    {"-q,--quiet", "", &C::quiet, false, Text::HelpQuiet, {}},
    {"--hex", "HEX", &C::hex, false, Text::HelpPieces, {}},
    {"--text", "TEXT", &C::text, false, Text::HelpPieces, {}},
    {"--test-page", "", &C::testPage, false, {}, {}},
    {"--save", "", &C::save, false, {}, {}},
    {"--from", "VALUE", &C::from, false, {}, {}},
    {"--scan-command", "CMD", &C::scanCommand, false, {}, {}},
    {"--mode", "MODE", &C::mode, false, {}, {}},
    {"--annotate", "FILE", &C::annotate, false, {}, {}},
    {"-h,--help", "", &C::help, false, Text::HelpHelp, {}},
    {"-v,--version", "", &C::version, false, Text::HelpVersion, {}},
};
// clang-format on

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

/// --wait takes its seconds only as --wait=SECONDS: a bare --wait must not swallow the
/// operation that follows it.
std::vector<std::string> takeWait(const std::vector<std::string>& arguments, CommandLine& c) {
    std::vector<std::string> rest;
    bool operands = false;  // after "--", nothing is an option
    for (const std::string& a : arguments) {
        operands = operands || a == "--";
        if (operands) {
            rest.push_back(a);
        } else if (a == "--wait") {
            c.wait = std::to_string(kDefaultWaitSeconds);
        } else if (a.rfind("--wait=", 0) == 0) {
            c.wait = a.substr(7);
        } else {
            rest.push_back(a);
        }
    }
    return rest;
}

}  // namespace

std::span<const OptionSpec> optionTable() {
    return kOptions;
}

std::string optionHead(const OptionSpec& option) {
    std::string head(option.names);
    if (const std::size_t comma = head.find(','); comma != std::string::npos) {
        head.insert(comma + 1, " ");
    }
    if (!option.value.empty()) head += (option.value.front() == '[' ? "" : " ");
    return head + std::string(option.value);
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine c;
    const std::vector<std::string> rest = takeWait(arguments, c);
    CLI::App app{"", "trevalune-send"};
    app.set_help_flag();  // the help is ours, in the run's language
    std::vector<std::pair<const OptionSpec*, CLI::Option*>> declared;
    for (const OptionSpec& spec : kOptions) {
        const std::string names(spec.names);
        const Overloaded declare{
            [](std::monostate) -> CLI::Option* { return nullptr; },
            [&](bool C::*m) { return app.add_flag(names, c.*m); },
            [&](std::string C::*m) { return app.add_option(names, c.*m); },
            // Read after parsing, so that "given" and "given empty" differ.
            [&](std::optional<std::string> C::*) { return app.add_option(names); },
            [&](std::vector<std::string> C::*m) {
                return app.add_option(names, c.*m)->allow_extra_args(false);
            },
        };
        CLI::Option* option = std::visit(declare, spec.target);
        if (option != nullptr) declared.emplace_back(&spec, option);
    }
    app.add_option("words", c.words);
    // CLI11 wants the arguments last first.
    std::vector<std::string> reversed(rest.rbegin(), rest.rend());
    app.parse(reversed);
    for (const auto& [spec, option] : declared) {
        const auto* m = std::get_if<std::optional<std::string> C::*>(&spec->target);
        if (m != nullptr && option->count() > 0) c.*(*m) = option->as<std::string>();
    }
    // --hex and --text are documents in the order given.
    std::size_t h = 0, t = 0;
    for (const CLI::Option* option : app.parse_order()) {
        for (const auto& [spec, declaredOption] : declared) {
            if (declaredOption != option) continue;
            if (spec->target == OptionTarget(&C::hex)) c.pieces.emplace_back("--hex", c.hex[h++]);
            if (spec->target == OptionTarget(&C::text)) {
                c.pieces.emplace_back("--text", c.text[t++]);
            }
        }
    }
    return c;
}

bool asksForJson(const std::vector<std::string>& arguments) {
    const auto end = std::find(arguments.begin(), arguments.end(), "--");
    return std::find(arguments.begin(), end, "--json") != end;
}

unsigned buildRedirectedCodePage(bool json, unsigned consoleCodePage) {
    constexpr unsigned kUtf8 = 65001;
    return json || consoleCodePage == kUtf8 ? 0 : consoleCodePage;
}

}  // namespace trevalune::send

// trevalune-send on CUPS: every window operation from the command line; see send_command.h.

#include <cups/cups.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_scanner.h"
#include "cli/interruption.h"
#include "cli/library_row_reader.h"
#include "cli/posix_signals.h"
#include "cli/send_command.h"
#include "common/guarded_main.h"
#include "printer/clock.h"
#include "printer/cups/cups_spooler.h"
#include "printer/cups/terminal_login.h"

namespace {

std::optional<std::string> environmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

/// The print server link's own reasons in the run's language; the link fills in their server
/// and detail, and passes the server's words on as they come.
trevalune::CupsWords buildCupsWords(trevalune::send::Language l) {
    using trevalune::send::Text;
    const auto kept = [l](Text text) { return trevalune::send::say(l, text, {"{1}", "{2}"}); };
    return {kept(Text::CupsNoAnswer),          kept(Text::CupsSeconds),
            kept(Text::CupsLoginRefused),      kept(Text::CupsNoLoginToGive),
            kept(Text::CupsNoServer),          kept(Text::CupsClosedBeforeAnswer),
            kept(Text::CupsClosedMidDocument), kept(Text::CupsNameNotInRequest),
            kept(Text::CupsNoJobState)};
}

}  // namespace

int main(int argc, char** argv) {
    // A failure is status 1, as --help says: trevalune-send has no status of its own for it.
    return trevalune::guardedMain<1>("trevalune-send", [&] {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        trevalune::send::Interruption interruption;
        trevalune::send::takeSignals(interruption);
        trevalune::send::InterruptibleClock clock(interruption);
        trevalune::send::PosixTerminal terminal(interruption);
        const bool onTerminal = isatty(STDIN_FILENO) != 0;
        // One login for the run, asked once however many queues ask; without a terminal
        // nobody is asked and the server's refusal is reported.
        trevalune::TerminalLogin login([onTerminal, &interruption](const std::string& prompt) {
            if (!onTerminal) return std::optional<std::string>();
            return trevalune::TerminalLogin::askOnTerminal(
                prompt, [&interruption] { return interruption.requested(); });
        });
        const trevalune::CupsWords words =
            buildCupsWords(trevalune::send::languageOf(environmentVariable));
        trevalune::send::System system{
            [&login, &words](const trevalune::send::SpoolerOptions& options)
                -> std::unique_ptr<trevalune::Spooler> {
                // libcups keeps its server and user per thread: each queue's thread sets its own.
                if (!options.server.empty()) cupsSetServer(options.server.c_str());
                if (!options.user.empty()) cupsSetUser(options.user.c_str());
                return std::make_unique<trevalune::CupsSpooler>(options.timeoutMs, &login, words);
            },
            clock,
            std::cin,
            std::cout,
            std::cerr,
            environmentVariable,
            onTerminal ? &terminal : nullptr};
        system.interruption = &interruption;
        trevalune::send::CommandScanner scanner(&interruption,
                                                trevalune::send::kMaxScanMebibytes << 20);
        system.scanner = &scanner;
        trevalune::send::LibraryRowReader reader;
        system.rowReader = &reader;
        // `file -` and FIFOs: read as they come, and a stop request ends a read at once.
        const std::string stopped =
            trevalune::send::say(trevalune::send::languageOf(system.environment),
                                 trevalune::send::Text::InputInterrupted);
        system.openInput = [&](const std::string& path) {
            return std::unique_ptr<trevalune::send::InputReader>(
                new trevalune::send::PosixInput(path, interruption, stopped));
        };
        return trevalune::send::runSend(arguments, system);
    });
}

#include "cli/send_command.h"

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <system_error>
#include <utility>

#include "cli/align_command.h"
#include "cli/input_fanout.h"
#include "cli/option_checks.h"
#include "cli/printers_command.h"
#include "cli/reading.h"
#include "operations/command_panel.h"
#include "printer/clock.h"
#include "printer/gbk.h"
#include "printer/spooler.h"
#include "printer/timeline.h"

namespace trevalune::send {

namespace {

void printDryRun(const Timeline& timeline, const std::vector<std::string>& printers, Language l,
                 std::ostream& out) {
    out << say(l, Text::DryRunTo,
               {printers.empty() ? say(l, Text::DryRunNoPrinter) : joinedNames(printers)})
        << '\n';
    int number = 0;
    for (const Step& step : timeline.steps()) {
        if (const auto* s = std::get_if<SendStep>(&step)) {
            out << say(l, Text::DryRunDocument,
                       {std::to_string(++number), std::to_string(s->bytes.size()),
                        toSpacedHex(s->bytes)})
                << '\n';
        } else if (const auto* w = std::get_if<WaitStep>(&step)) {
            out << say(l, Text::DryRunWait, {std::to_string(w->milliseconds)}) << '\n';
        }
    }
}

/// The work of --hex/--text given without an operation: one document each, in order.
Work pieceWork(const CommandLine& c) {
    Work w;
    for (const auto& [option, text] : c.pieces) {
        if (option == "--hex") {
            w.timeline.text(buildHexDocument(text));
        } else {
            if (text.empty()) throw Refusal(RefusalCode::TextEmpty);
            w.timeline.text(toGbk(text));
        }
    }
    return w;
}

/// `file -` and files that are not regular (a FIFO, /dev/stdin) are read as they come, in
/// blocks, and sent as they are read; a regular file is read whole, as the window reads it.
bool isStreamed(const std::string& path, const System& system) {
    if (path == "-") return true;
    std::error_code e;
    const std::filesystem::file_status st =
        std::filesystem::status(std::filesystem::u8path(path), e);
    return system.openInput && !e && std::filesystem::exists(st) &&
           !std::filesystem::is_regular_file(st) && !std::filesystem::is_directory(st);
}

std::unique_ptr<InputReader> openReader(System& system, const std::string& path, Language l) {
    if (!system.openInput) return std::make_unique<IstreamReader>(system.in);
    try {
        return system.openInput(path);
    } catch (const InputError& e) {
        throw PictureError(say(l, Text::CannotRead, {path, e.why}));
    }
}

Bytes readAll(std::istream& in) {
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// How the spooler is reached: --server, -U, --timeout.
SpoolerOptions spoolerOptions(const CommandLine& c) {
    SpoolerOptions options;
    options.server = c.server.value_or("");
    options.user = c.user.value_or("");
    if (!c.timeout.empty()) options.timeoutMs = std::stoi(c.timeout) * 1000;
    return options;
}

/// list and align, which run on their own rather than from the operation table.
int runOwnCommand(const CommandLine& c, RunContext& context, const SpoolerOptions& options,
                  const std::string& operation, std::size_t arguments, Language l) {
    const bool list = operation == "list";
    if (arguments != (list ? 0 : 1)) {
        throw UsageError(say(l, Text::WrongArgumentCount,
                             {operation, list ? "" : "MODE [--from VALUE] [--scan-command CMD]"}));
    }
    return list ? listPrinters(c, context, options, l) : runAlign(c, context, options, l);
}

/// The table's entry for the operation's word, its arguments counted; UsageError otherwise
/// (an unknown word is no operation in the JSON).
const OperationTraits& checkedOperation(std::string& operation, std::size_t arguments, Language l) {
    const OperationTraits* op = findOperation(operation);
    if (op == nullptr) {
        const std::string word = std::exchange(operation, {});
        throw UsageError(say(l, Text::UnknownOperation, {word}));
    }
    if (arguments < op->minArguments || arguments > op->maxArguments) {
        throw UsageError(say(l, Text::WrongArgumentCount, {operation, std::string(op->synopsis)}));
    }
    return *op;
}

CommandInput commandInput(const CommandLine& c, std::vector<std::string> arguments, System& system,
                          Language l) {
    CommandInput in;
    in.arguments = std::move(arguments);
    in.extraWaitMs = extraWaitMs(c.extraWait);  // whole digits in range: checkCommandLine
    in.testPage = c.testPage;
    in.saveBracket = c.save;
    in.language = l;
    in.readStandardInput = [&system] { return readAll(system.in); };
    in.now = system.clock.now();  // the pin test header's moment, read once
    return in;
}

/// The documents and waits a dry run would send, to -d's printers or the environment's.
int dryRun(const CommandLine& c, const Work& work, System& system, Language l) {
    std::vector<std::string> queues = c.printers;
    if (queues.empty()) {
        if (auto chosen = printerFromEnvironment(system)) queues = {*chosen};
    }
    printDryRun(work.timeline, queues, l, system.out);
    return 0;
}

/// Sends the work (or the file `streamed`, read as it is sent) to -d's queues or the chosen
/// printer, and says the account.
int sendToQueues(const CommandLine& c, const Work& work, const std::string& streamed,
                 RunContext& context, const SpoolerOptions& options, const std::string& operation) {
    System& system = context.system;
    Reporter& reporter = context.reporter;
    const Language l = reporter.language();
    std::vector<std::string> queues = c.printers;
    std::unique_ptr<Spooler> first;
    if (queues.empty()) {
        first = system.openSpooler(options);
        const auto chosen = choosePrinterOrSay(*first, system, reporter, operation, options);
        if (!chosen) return 1;
        queues = {*chosen};
    }
    std::vector<QueueAccount> accounts(queues.size());
    reporter.setOperation(operation);
    for (std::size_t i = 0; i < queues.size(); ++i) {
        accounts[i].queue = queues[i];
        reporter.keep(accounts[i]);
    }
    std::unique_ptr<InputReader> reader;
    std::unique_ptr<InputFanout> fanout;
    if (!streamed.empty()) {
        reader = openReader(system, streamed, l);
        fanout = std::make_unique<InputFanout>(*reader, queues);
        // Nothing goes out for an empty input; an interrupted or failed read is each queue's.
        if (!fanout->hasData() && fanout->stream(queues[0]).failure().empty()) {
            throw Refusal(RefusalCode::StdinEmpty);
        }
        context.input = fanout.get();
    }
    runOnQueues(work, accounts, options, context, first.get());
    return finish(operation, accounts, context);
}

int run(const CommandLine& c, System& system, Language l, std::string& operation) {
    if (c.help) {
        system.out << helpText(l, system.platform);
        return 0;
    }
    if (c.version) {
        system.out << kName << " (Trevalune) " << TREVALUNE_VERSION << '\n';
        return 0;
    }
    checkCommandLine(c, system, l);
    Reporter reporter(system, l, c);
    RunContext context{system, reporter, std::nullopt};
    if (c.wait) context.waitSeconds = std::stoi(*c.wait);
    const SpoolerOptions options = spoolerOptions(c);

    Work work;
    std::string streamed;  // `file -` or a FIFO: read as it is sent
    if (!c.pieces.empty()) {
        if (!c.words.empty()) throw UsageError(say(l, Text::HexTextMixed));
        checkOptionsFit(c, "--hex", l);
        work = pieceWork(c);
        operation = "hex";
    } else {
        if (c.words.empty()) throw UsageError(say(l, Text::NoOperation));
        operation = c.words[0];
        checkOptionsFit(c, operation, l);
        const std::vector<std::string> args(c.words.begin() + 1, c.words.end());
        if (operation == "read-rows") return runReadRows(c, system, l);
        if (operation == "list" || operation == "align") {
            return runOwnCommand(c, context, options, operation, args.size(), l);
        }
        const OperationTraits& op = checkedOperation(operation, args.size(), l);
        if (operation == "file" && !c.dryRun && isStreamed(args[0], system)) {
            streamed = args[0];
        } else {
            work = op.build(commandInput(c, args, system, l));
        }
    }
    if (c.dryRun) return dryRun(c, work, system, l);
    return sendToQueues(c, work, streamed, context, options, operation);
}

/// CLI11's complaint in the run's language: the two a command line of strings can meet.
std::string parseErrorText(const CLI::ParseError& wrong, Language l) {
    const std::string what = wrong.what();
    const std::size_t colon = what.find(": ");
    if (colon == std::string::npos) return say(l, Text::NotUnderstood);
    const std::string before = what.substr(0, colon);
    const std::string after = what.substr(colon + 2);
    if (dynamic_cast<const CLI::ExtrasError*>(&wrong) != nullptr) {
        return say(l, Text::NotExpected, {after});
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&wrong) != nullptr) {
        // "NAME: At Most 1 required but received 2": an option given twice.
        return say(l, after.rfind("At Most", 0) == 0 ? Text::GivenTwice : Text::MissingValue,
                   {before});
    }
    if (dynamic_cast<const CLI::ConversionError*>(&wrong) != nullptr) {
        // "Could not convert: --json = x": a value given to a flag.
        return say(l, Text::TakesNoValue, {after.substr(0, after.find(" = "))});
    }
    return say(l, Text::NotUnderstood);
}

}  // namespace

int runSend(const std::vector<std::string>& arguments, System& system) {
    const Language l = languageOf(system.environment);
    // Known before the command line is read, so that even a wrong one answers in JSON; what
    // follows "--" is an operand, never an option.
    const auto operands = std::find(arguments.begin(), arguments.end(), "--");
    const bool json = std::find(arguments.begin(), operands, "--json") != operands;
    std::string operation;
    const auto failed = [&](int status, const std::string& what, bool hint) {
        system.err << kName << ": " << what << '\n';
        if (hint) system.err << say(l, Text::TryHelp) << '\n';
        if (json) {
            system.out << buildRunJson(status, operation, what, nlohmann::json::array(), {}).dump(2)
                       << '\n';
        }
        return status;
    };
    int status = 0;
    try {
        status = run(parseCommandLine(arguments), system, l, operation);
    } catch (const CLI::ParseError& wrong) {
        status = failed(2, parseErrorText(wrong, l), true);
    } catch (const UsageError& wrong) {
        status = failed(2, wrong.what(), true);
    } catch (const PictureError& wrong) {
        status = failed(2, wrong.what(), false);
    } catch (const Refusal& refusal) {
        // Most refusals say already that nothing was sent: once is enough.
        const std::string said = l == Language::Chinese ? refusal.inChinese() : refusal.inEnglish();
        const Text text = refusal.saysNothingSent() ? Text::RefusedSaid : Text::Refused;
        status = failed(2, say(l, text, {said}), false);
    } catch (...) {
        // The program's own failure before any queue's run began: nothing was sent.
        status = failed(1, say(l, Text::FaultNothingSent, {faultText(std::current_exception(), l)}),
                        false);
    }
    // A script reads the JSON or the job ids: output that never arrived is no success.
    if (!system.out.flush()) {
        system.err << kName << ": " << say(l, Text::OutputLost) << '\n';
        if (status == 0) status = 1;
    }
    return status;
}

}  // namespace trevalune::send

#include "tools/trevalune-send/send_command.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

#include "alignment/config_block.h"
#include "alignment/set_items.h"
#include "alignment/value_text.h"
#include "operations/command_panel.h"
#include "operations/printer_choice.h"
#include "printer/clock.h"
#include "printer/gbk.h"
#include "printer/message_sink.h"
#include "printer/printer_link.h"
#include "printer/spooler.h"
#include "printer/timeline.h"
#include "tools/trevalune-send/operation_table.h"

namespace trevalune::send {

namespace {

constexpr std::string_view kName = "trevalune-send";

/// The command line once CLI11 has read it.
struct CommandLine {
    std::vector<std::string> printers;
    std::string server;
    std::string extraWait = "5000";
    bool dryRun = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool testPage = false;
    bool save = false;
    std::optional<std::string> from;
    std::vector<std::pair<std::string, std::string>> pieces;  ///< --hex/--text in order
    std::vector<std::string> words;                           ///< the operation and its arguments
};

CommandLine parse(const std::vector<std::string>& arguments) {
    CommandLine c;
    CLI::App app{"", std::string(kName)};
    app.set_help_flag();  // the help is ours, in the run's language
    app.add_flag("-h,--help", c.help);
    app.add_flag("-v,--version", c.version);
    app.add_option("-d,--printer", c.printers)->allow_extra_args(false);
    app.add_option("--server", c.server);
    app.add_option("--extra-wait", c.extraWait);
    app.add_flag("-n,--dry-run", c.dryRun);
    app.add_flag("-q,--quiet", c.quiet);
    app.add_flag("--test-page", c.testPage);
    app.add_flag("--save", c.save);
    CLI::Option* from = app.add_option("--from");
    std::vector<std::string> hex, text;
    CLI::Option* hexOption = app.add_option("--hex", hex)->allow_extra_args(false);
    CLI::Option* textOption = app.add_option("--text", text)->allow_extra_args(false);
    app.add_option("words", c.words);
    // CLI11 wants the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    app.parse(reversed);
    if (from->count() > 0) c.from = from->as<std::string>();
    std::size_t h = 0, t = 0;
    for (const CLI::Option* o : app.parse_order()) {
        if (o == hexOption) c.pieces.emplace_back("--hex", hex[h++]);
        if (o == textOption) c.pieces.emplace_back("--text", text[t++]);
    }
    return c;
}

/// A queue's run ends at the first document not taken: the rest would reach the printer
/// without what came before it. Not a std::exception, so nothing on the way catches it.
struct QueueStopped {};

/// Says what became of each document, from any queue's thread, one whole line at a time.
class Reporter final {
public:
    Reporter(std::ostream& out, std::ostream& err, Language language, bool quiet)
        : out_(out), err_(err), language_(language), quiet_(quiet) {}

    void taken(const std::string& queue, int job) {
        if (quiet_) return;
        const std::lock_guard lock(mutex_);
        out_ << queue << '-' << job << '\n' << std::flush;
    }
    void failed(const std::string& line) {
        const std::lock_guard lock(mutex_);
        err_ << kName << ": " << line << '\n' << std::flush;
    }
    Language language() const { return language_; }

private:
    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& err_;
    Language language_;
    bool quiet_;
};

/// Sees every document the link sends to one queue: prints the job id of each one taken,
/// names the first one not taken and ends the queue's run there.
class ReportingSpooler final : public Spooler {
public:
    ReportingSpooler(Spooler& inner, Reporter& reporter) : inner_(inner), reporter_(reporter) {}

    PrinterList listPrinters() override { return inner_.listPrinters(); }
    JobQuery queryActiveJobs(const std::string& p) override { return inner_.queryActiveJobs(p); }
    PrinterState printerState(const std::string& p) override { return inner_.printerState(p); }
    JobState jobState(const std::string& p, int job) override { return inner_.jobState(p, job); }
    void setDefaultPrinter(const std::string& p) override { inner_.setDefaultPrinter(p); }
    std::optional<std::string> defaultPrinter() override { return inner_.defaultPrinter(); }

    SendResult sendRawDocument(const std::string& printer, const std::string& name,
                               std::string_view data) override {
        ++number_;
        SendResult result = inner_.sendRawDocument(printer, name, data);
        if (result.isTaken()) {
            reporter_.taken(printer, result.jobId);
            return result;
        }
        const Language l = reporter_.language();
        const std::string reason =
            result.reason.empty() ? say(l, Text::UnknownPrinterReason) : result.reason;
        const bool opened = result.outcome == SendResult::Outcome::NotTaken;
        reporter_.failed(say(l, opened ? Text::NotTaken : Text::NotOpened,
                             {printer, std::to_string(number_), reason}));
        throw QueueStopped{};
    }

private:
    Spooler& inner_;
    Reporter& reporter_;
    int number_ = 0;
};

/// The link's own message boxes and diagnostic lines stay unsaid (the reporter has said it);
/// a pin test page that stops says why.
class Quiet final : public MessageSink, public DiagnosticLog {
public:
    explicit Quiet(Reporter& reporter) : reporter_(reporter) {}
    void write(std::string_view) override {}
    bool stopped() const { return stopped_; }

protected:
    void show(std::string_view text, std::string_view) override {
        reporter_.failed(std::string(text));
        stopped_ = true;
    }

private:
    Reporter& reporter_;
    bool stopped_ = false;
};

/// Runs the work on one queue as the window runs it; true when every document was taken.
bool runOnQueue(const Work& work, Spooler& spooler, const std::string& queue, Clock& clock,
                Reporter& reporter) {
    ReportingSpooler reporting(spooler, reporter);
    Quiet quiet(reporter);
    PrinterLink link(reporting, quiet, quiet, [&queue] { return queue; });
    try {
        if (work.file) {
            link.SendBytesToPrinter(*work.file);
        } else if (!work.pinTestPages.empty()) {
            runPinTestSequence(work.pinTestPages, link, clock, quiet);
        } else {
            runTimeline(work.timeline, link, clock, {});
        }
    } catch (const QueueStopped&) {
        return false;
    }
    return !quiet.stopped();
}

/// Every queue in a thread of its own with a spooler of its own; each queue's documents in
/// order. A single queue runs here, on `first` when the caller has one open already.
int runOnQueues(const Work& work, const std::vector<std::string>& queues, System& system,
                const std::string& server, Reporter& reporter, Spooler* first) {
    if (queues.size() == 1) {
        std::unique_ptr<Spooler> own;
        if (first == nullptr) own = system.openSpooler({server, 5000, {}});
        return runOnQueue(work, first ? *first : *own, queues[0], system.clock, reporter) ? 0 : 1;
    }
    std::vector<int> ok(queues.size(), 0);
    std::vector<std::exception_ptr> faults(queues.size());
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < queues.size(); ++i) {
            threads.emplace_back([&, i] {
                try {
                    const std::unique_ptr<Spooler> spooler = system.openSpooler({server, 5000, {}});
                    ok[i] = runOnQueue(work, *spooler, queues[i], system.clock, reporter) ? 1 : 0;
                } catch (...) {
                    faults[i] = std::current_exception();
                }
            });
        }
    }
    for (const std::exception_ptr& fault : faults) {
        if (fault) std::rethrow_exception(fault);
    }
    for (int one : ok) {
        if (one == 0) return 1;
    }
    return 0;
}

std::string joinedNames(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all;
}

/// LPDEST, then PRINTER (lp's own placeholder "lp" is no choice), as lp reads them.
std::optional<std::string> printerFromEnvironment(const Environment& environment) {
    if (!environment) return std::nullopt;
    if (auto d = environment("LPDEST"); d && !d->empty()) return d;
    if (auto p = environment("PRINTER"); p && !p->empty() && *p != "lp") return p;
    return std::nullopt;
}

/// The printer without -d, as lp chooses it, then the window's preselection. Sets
/// `unreachable` when the print server did not answer the listing.
std::optional<std::string> choosePrinter(Spooler& spooler, const Environment& environment,
                                         std::vector<std::string>& listed,
                                         std::string& unreachable) {
    if (auto chosen = printerFromEnvironment(environment)) return chosen;
    if (auto chosen = spooler.defaultPrinter()) return chosen;
    PrinterList list = spooler.listPrinters();
    unreachable = list.unreachableServer;
    listed = list.names;
    return preselectedPrinter(list.names);
}

/// The printer a run without -d goes to; when there is none, says why and returns nothing.
std::optional<std::string> choosePrinterOrSay(Spooler& spooler, const Environment& environment,
                                              Reporter& reporter) {
    const Language l = reporter.language();
    std::vector<std::string> listed;
    std::string unreachable;
    const auto chosen = choosePrinter(spooler, environment, listed, unreachable);
    if (!unreachable.empty()) {
        reporter.failed(say(l, Text::NoPrintServer, {unreachable}));
    } else if (!chosen) {
        reporter.failed(say(l, Text::NoPrinter,
                            {listed.empty() ? say(l, Text::NoPrinters) : joinedNames(listed)}));
    }
    return unreachable.empty() ? chosen : std::nullopt;
}

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
Work pieceWork(const CommandLine& c, Language l) {
    Work w;
    for (const auto& [option, text] : c.pieces) {
        if (option == "--hex") {
            w.timeline.text(buildHexDocument(text));
        } else {
            if (text.empty()) throw refusal(l, Text::TextEmpty);
            w.timeline.text(toGbk(text));
        }
    }
    return w;
}

/// The mode's value label's caption at start-up, where align begins without --from.
std::string startValue(PrintMode mode) {
    return std::string(traits(mode).initialValue);
}

/// A value align can print sample rows for: the window prints them for 5 to 116.
bool printsRows(const std::string& text) {
    return isPlainNumber(text) && printsSampleRows(numericValue(text));
}

/// align: 设置单项 with the value, the operator's answer, again, until the marked row is the
/// straight one; then 保存.
int runAlign(const CommandLine& c, System& system, Reporter& reporter, Language l) {
    const PrintMode mode = parseMode(l, c.words[1]);
    std::string value = c.from.value_or(startValue(mode));
    if (!printsRows(value)) throw UsageError(say(l, Text::AlignFromRange, {value}));
    if (c.dryRun) throw UsageError(say(l, Text::AlignNoDryRun));
    if (c.printers.size() > 1) throw UsageError(say(l, Text::AlignOnePrinter));
    if (system.terminal == nullptr) throw UsageError(say(l, Text::AlignNeedsTerminal));

    const std::unique_ptr<Spooler> spooler = system.openSpooler({c.server, 5000, {}});
    std::string queue;
    if (!c.printers.empty()) {
        queue = c.printers[0];
    } else {
        const auto chosen = choosePrinterOrSay(*spooler, system.environment, reporter);
        if (!chosen) return 1;
        queue = *chosen;
    }
    const std::string modeName(kModeNames[modeNumber(mode) - 1]);
    for (;;) {
        OperationInput in;
        in.arguments = {modeName, value};
        in.extraWait = c.extraWait;
        in.language = l;
        const Work round = findOperation("set")->build(in);
        if (!runOnQueue(round, *spooler, queue, system.clock, reporter)) return 1;
        system.err << say(l, Text::AlignPrinted, {queue, modeName, value}) << '\n';
        std::optional<std::string> answer;
        for (;;) {
            answer = system.terminal->ask(say(l, Text::AlignAsk, {value}));
            if (!answer) {
                system.err << kName << ": " << say(l, Text::AlignStopped, {modeName, value})
                           << '\n';
                return 1;
            }
            const std::string trimmed = answer->empty() ? value : *answer;
            if (printsRows(trimmed)) {
                answer = trimmed;
                break;
            }
            system.err << say(l, Text::AlignAnswerRange, {*answer}) << '\n';
        }
        if (numericValue(*answer) == numericValue(value)) break;
        value = *answer;
    }
    Work save;
    save.timeline.text(buildSaveCommand());  // what 保存 sends
    if (!runOnQueue(save, *spooler, queue, system.clock, reporter)) return 1;
    system.err << say(l, Text::AlignSaved, {modeName, value}) << '\n';
    return 0;
}

int listPrinters(const CommandLine& c, System& system, Reporter& reporter, Language l) {
    const std::unique_ptr<Spooler> spooler = system.openSpooler({c.server, 5000, {}});
    const PrinterList list = spooler->listPrinters();
    if (!list.unreachableServer.empty()) {
        reporter.failed(say(l, Text::NoPrintServer, {list.unreachableServer}));
        return 1;
    }
    std::vector<std::string> listed;
    std::string unreachable;
    const auto chosen = choosePrinter(*spooler, system.environment, listed, unreachable);
    for (const std::string& name : list.names) {
        system.out << (name == chosen ? say(l, Text::DefaultMark) : "  ") << name << '\n';
    }
    return 0;
}

/// Whole digits from 0 to the window's longest extra wait.
void checkExtraWait(const CommandLine& c, Language l) {
    const std::string& t = c.extraWait;
    const bool digits = !t.empty() && t.size() <= 5 && t.find_first_not_of("0123456789") == t.npos;
    if (!digits || std::stoi(t) > kMaxExtraWaitMs) {
        throw UsageError(say(l, Text::NotAnInteger, {"--extra-wait", t}));
    }
}

/// Options that belong to one operation only.
void checkOptionsFit(const CommandLine& c, const std::string& operation, Language l) {
    const struct {
        bool given;
        const char* option;
        const char* belongsTo;
    } kOwn[] = {{c.testPage, "--test-page", "set-all"},
                {c.save, "--save", "hex"},
                {c.from.has_value(), "--from", "align"}};
    for (const auto& o : kOwn) {
        if (o.given && operation != o.belongsTo) {
            throw UsageError(say(l, Text::OptionNotHere, {o.option, operation}));
        }
    }
}

Bytes readAll(std::istream& in) {
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int run(const CommandLine& c, System& system, Language l) {
    if (c.help) {
        system.out << helpText(l);
        return 0;
    }
    if (c.version) {
        system.out << kName << " (Trevalune) " << TREVALUNE_VERSION << '\n';
        return 0;
    }
    checkExtraWait(c, l);
    if (!c.server.empty() && system.platform != Platform::Cups) throw UsageError(say(l, Text::ServerOnWindows));
    Reporter reporter(system.out, system.err, l, c.quiet);

    Work work;
    if (!c.pieces.empty()) {
        if (!c.words.empty()) throw UsageError(say(l, Text::HexTextMixed));
        checkOptionsFit(c, "--hex", l);
        work = pieceWork(c, l);
    } else {
        if (c.words.empty()) throw UsageError(say(l, Text::NoOperation));
        const std::string& name = c.words[0];
        checkOptionsFit(c, name, l);
        const std::vector<std::string> args(c.words.begin() + 1, c.words.end());
        if (name == "list" || name == "align") {
            const std::size_t wanted = name == "list" ? 0 : 1;
            if (args.size() != wanted) {
                throw UsageError(say(l, Text::WrongArgumentCount,
                                     {name, name == "list" ? "" : "MODE [--from VALUE]"}));
            }
            return name == "list" ? listPrinters(c, system, reporter, l)
                                  : runAlign(c, system, reporter, l);
        }
        const OperationTraits* op = findOperation(name);
        if (op == nullptr) throw UsageError(say(l, Text::UnknownOperation, {name}));
        if (args.size() < op->minArguments || args.size() > op->maxArguments) {
            throw UsageError(say(l, Text::WrongArgumentCount, {name, std::string(op->synopsis)}));
        }
        OperationInput in;
        in.arguments = args;
        in.extraWait = c.extraWait;
        in.testPage = c.testPage;
        in.saveBracket = c.save;
        in.language = l;
        in.readStandardInput = [&system] { return readAll(system.in); };
        in.now = system.clock.now();  // the pin test header's moment, read once
        work = op->build(in);
    }

    std::vector<std::string> queues = c.printers;
    if (c.dryRun) {
        if (queues.empty()) {
            if (auto chosen = printerFromEnvironment(system.environment)) queues = {*chosen};
        }
        printDryRun(work.timeline, queues, l, system.out);
        return 0;
    }
    std::unique_ptr<Spooler> first;
    if (queues.empty()) {
        first = system.openSpooler({c.server, 5000, {}});
        const auto chosen = choosePrinterOrSay(*first, system.environment, reporter);
        if (!chosen) return 1;
        queues = {*chosen};
    }
    return runOnQueues(work, queues, system, c.server, reporter, first.get());
}

/// CLI11's complaint in the run's language: the two a command line of strings can meet.
std::string parseErrorText(const CLI::ParseError& wrong, Language l) {
    const std::string what = wrong.what();
    const std::size_t colon = what.find(": ");
    if (colon != std::string::npos) {
        if (dynamic_cast<const CLI::ExtrasError*>(&wrong) != nullptr) {
            return say(l, Text::NotExpected, {what.substr(colon + 2)});
        }
        if (dynamic_cast<const CLI::ArgumentMismatch*>(&wrong) != nullptr) {
            return say(l, Text::MissingValue, {what.substr(0, colon)});
        }
    }
    return what;
}

}  // namespace

int runSend(const std::vector<std::string>& arguments, System& system) {
    const Language l = languageOf(system.environment);
    const auto usage = [&](const std::string& what) {
        system.err << kName << ": " << what << '\n' << say(l, Text::TryHelp) << '\n';
        return 2;
    };
    try {
        return run(parse(arguments), system, l);
    } catch (const CLI::ParseError& wrong) {
        return usage(parseErrorText(wrong, l));
    } catch (const UsageError& wrong) {
        return usage(wrong.what());
    } catch (const Refusal& refused) {
        system.err << kName << ": " << say(l, Text::Refused,
                                            {l == Language::Chinese ? refused.inChinese()
                                                                    : refused.inEnglish()}) << '\n';
        return 2;
    }
}

}  // namespace trevalune::send

#include "tools/trevalune-send/send_command.h"

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iterator>
#include <map>
#include <mutex>
#include <new>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

#include "alignment/value_check.h"
#include "alignment/value_text.h"
#include "operations/alignment_loop.h"
#include "operations/command_panel.h"
#include "operations/printer_choice.h"
#include "printer/clock.h"
#include "printer/gbk.h"
#include "printer/message_sink.h"
#include "printer/printer_link.h"
#include "printer/spooler.h"
#include "printer/timeline.h"
#include "tools/trevalune-send/account.h"
#include "tools/trevalune-send/command_line.h"
#include "tools/trevalune-send/input_fanout.h"
#include "tools/trevalune-send/interruption.h"
#include "tools/trevalune-send/operation_table.h"
#include "tools/trevalune-send/reading.h"

namespace trevalune::send {

namespace {

constexpr std::string_view kName = "trevalune-send";

/// How often --wait asks for the jobs' state.
constexpr int kWaitPollMs = 1000;

/// A queue's run ends at the first document not taken: the rest would reach the printer
/// without what came before it. Neither is a std::exception, so nothing on the way catches it.
struct QueueStopped {};
/// The run was asked to stop before this document.
struct Interrupted {};

/// What the run says, from any queue's thread, one whole line at a time: job ids as they
/// come on standard output, warnings and the account on standard error.
class Reporter final {
public:
    Reporter(System& system, Language language, const CommandLine& c)
        : system_(system), language_(language), jobIds_(!c.quiet && !c.json), json_(c.json) {
        if (system_.interruption == nullptr) return;
        system_.interruption->setLastWords([this](int status) { sayLastWords(status); });
    }
    ~Reporter() {
        if (system_.interruption != nullptr) system_.interruption->setLastWords({});
    }
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

    /// Keeps the queue's account as it stands, for a second signal that leaves no time to
    /// finish: called from the queue's own thread after each document.
    void keep(const QueueAccount& a) {
        std::string line = accountLine(a, language_);
        nlohmann::json json = toJson(a, true);
        const std::lock_guard lock(mutex_);
        kept_[a.queue] = {std::move(line), std::move(json)};
    }
    void setOperation(const std::string& operation) {
        const std::lock_guard lock(mutex_);
        operation_ = operation;
    }

    void taken(const std::string& queue, int job) {
        if (!jobIds_) return;
        const std::lock_guard lock(mutex_);
        system_.out << queue << '-' << job << '\n' << std::flush;
    }
    void line(const std::string& text) {
        const std::lock_guard lock(mutex_);
        system_.err << kName << ": " << text << '\n' << std::flush;
    }
    void json(const nlohmann::json& object) {
        if (!json_) return;
        const std::lock_guard lock(mutex_);
        system_.out << object.dump(2) << '\n' << std::flush;
    }
    bool wantsJson() const { return json_; }
    Language language() const { return language_; }

private:
    /// The account as far as it was kept: a second signal ends the process right after.
    void sayLastWords(int status) {
        const std::lock_guard lock(mutex_);
        nlohmann::json queues = nlohmann::json::array();
        for (const auto& [queue, kept] : kept_) {
            system_.err << kName << ": " << kept.first << '\n';
            queues.push_back(kept.second);
        }
        const std::string why = say(language_, Text::SecondSignal);
        system_.err << kName << ": " << why << '\n' << std::flush;
        if (json_) {
            system_.out << buildRunJson(status, operation_, why, std::move(queues), {}).dump(2)
                        << '\n'
                        << std::flush;
        }
    }

    std::mutex mutex_;
    System& system_;
    Language language_;
    bool jobIds_;
    bool json_;
    std::string operation_;
    std::map<std::string, std::pair<std::string, nlohmann::json>> kept_;
};

/// Sees every document the link sends to one queue: stops before it when the run is asked
/// to, records what the spooler answered, prints the job id of each one taken, and ends the
/// queue's run at the first one not taken.
class AccountingSpooler final : public Spooler {
public:
    AccountingSpooler(Spooler& inner, QueueAccount& account, Reporter& reporter,
                      const Interruption* interruption)
        : inner_(inner), account_(account), reporter_(reporter), interruption_(interruption) {}

    PrinterList listPrinters() override { return inner_.listPrinters(); }
    JobQuery queryActiveJobs(const std::string& p) override { return inner_.queryActiveJobs(p); }
    PrinterState printerState(const std::string& p) override { return inner_.printerState(p); }
    JobState jobState(const std::string& p, int job) override { return inner_.jobState(p, job); }
    void setDefaultPrinter(const std::string& p) override { inner_.setDefaultPrinter(p); }
    std::optional<std::string> defaultPrinter() override { return inner_.defaultPrinter(); }

    SendResult sendRawDocument(const std::string& printer, const std::string& name,
                               std::string_view data) override {
        return record([&] { return inner_.sendRawDocument(printer, name, data); });
    }
    SendResult sendRawStream(const std::string& printer, const std::string& name,
                             DocumentStream& stream) override {
        return record([&] { return inner_.sendRawStream(printer, name, stream); });
    }

private:
    template <class Send>
    SendResult record(Send send) {
        if (interruption_ != nullptr && interruption_->requested()) throw Interrupted{};
        const int number = static_cast<int>(account_.documents.size()) + 1;
        SendResult result = send();
        const std::string& printer = account_.queue;
        account_.documents.push_back({number, result, std::nullopt});
        reporter_.keep(account_);
        if (!result.isTaken()) throw QueueStopped{};
        reporter_.taken(printer, result.jobId);
        return result;
    }

    Spooler& inner_;
    QueueAccount& account_;
    Reporter& reporter_;
    const Interruption* interruption_;
};

/// The link's own message boxes and diagnostic lines stay unsaid (the account says it); a pin
/// test page that was refused is kept for the account.
class Quiet final : public MessageSink, public DiagnosticLog {
public:
    explicit Quiet(QueueAccount& account) : account_(account) {}
    void write(std::string_view) override {}

protected:
    void show(std::string_view text, std::string_view) override {
        if (account_.refusedPage.empty()) account_.refusedPage = text;
    }

private:
    QueueAccount& account_;
};

/// What a run needs besides the work: where it goes and how it reports.
struct RunContext {
    System& system;
    Reporter& reporter;
    std::optional<int> waitSeconds;
    /// `file -` and FIFOs: the one document every queue takes as it is read.
    InputFanout* input = nullptr;
};

/// Says once, before the first document, that the queue's documents will wait.
void warnAboutState(Spooler& spooler, QueueAccount& account, RunContext& run) {
    PrinterState state = spooler.printerState(account.queue);
    if (!state.needsAttention()) return;
    const Language l = run.reporter.language();
    run.reporter.line(say(l, state.acceptingJobs ? Text::Warning : Text::WarningRefusing,
                          {account.queue, stateText(state, l)}));
    account.warned = std::move(state);
}

/// Follows every job taken from document `first` on until each has completed, or one
/// failed, or the time is up.
void followJobs(Spooler& spooler, QueueAccount& account, RunContext& run, std::size_t first) {
    std::vector<DocumentRecord*> jobs;
    for (std::size_t i = first; i < account.documents.size(); ++i) {
        if (account.documents[i].result.isTaken()) jobs.push_back(&account.documents[i]);
    }
    if (jobs.empty()) return;
    const Interruption* stop = run.system.interruption;
    const int limitMs = *run.waitSeconds * 1000;
    int waitedMs = 0;
    std::size_t next = 0;  // jobs before it have finished; a queue prints in order
    for (;;) {
        for (; next < jobs.size(); ++next) {
            DocumentRecord& d = *jobs[next];
            d.finalState = spooler.jobState(account.queue, d.result.jobId);
            if (!d.finalState->finished()) break;
        }
        const JobState::State s =
            next < jobs.size() ? jobs[next]->finalState->state : JobState::State::Completed;
        if (next == jobs.size()) {
            account.waitEnd = WaitEnd::Completed;
        } else if (s == JobState::State::Unknown) {
            // Never read as an end: a server that stops answering has not printed anything.
            account.waitEnd = WaitEnd::NotKnown;
        } else if (s != JobState::State::Pending && s != JobState::State::Printing) {
            account.waitEnd = WaitEnd::JobFailed;
        } else if (stop != nullptr && stop->requested()) {
            account.waitEnd = WaitEnd::Interrupted;
        } else if (waitedMs >= limitMs) {
            account.waitEnd = WaitEnd::TimeUp;
        } else {
            const int step = std::min(kWaitPollMs, limitMs - waitedMs);
            run.system.clock.sleepMs(step);
            waitedMs += step;
            continue;
        }
        break;
    }
    // Every document gets its job's last state, also those after the one that ended the wait.
    for (std::size_t i = next + 1; i < jobs.size(); ++i) {
        jobs[i]->finalState = spooler.jobState(account.queue, jobs[i]->result.jobId);
    }
    account.waitedSeconds = waitedMs / 1000;
    if (account.waitEnd != WaitEnd::Completed) {
        account.stateAtWaitEnd = spooler.printerState(account.queue);
    }
    // A canceled or aborted job anywhere makes the wait a failure, also when it ended first;
    // a job that left a queue without a record has an end nobody confirmed.
    if (account.waitEnd == WaitEnd::Completed) {
        for (const DocumentRecord* d : jobs) {
            const JobState::State end = d->finalState->state;
            if (end == JobState::State::Canceled || end == JobState::State::Aborted) {
                account.waitEnd = WaitEnd::JobFailed;
                break;
            }
            if (end == JobState::State::Gone) account.waitEnd = WaitEnd::LeftQueue;
        }
    }
}

/// The program's own failure, as the operator reads it: memory, a system resource, a bug.
std::string faultText(const std::exception_ptr& fault, Language l) {
    try {
        std::rethrow_exception(fault);
    } catch (const std::bad_alloc&) {
        return say(l, Text::OutOfMemory);
    } catch (const std::system_error& e) {
        return e.code().message();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return say(l, Text::NoReasonGiven);
    }
}

/// Sends the work's documents to one queue as the window sends them, until one is not taken
/// or the run is asked to stop.
void sendWork(const Work& work, Spooler& spooler, QueueAccount& account, RunContext& run) {
    AccountingSpooler accounting(spooler, account, run.reporter, run.system.interruption);
    Quiet quiet(account);
    const std::string queue = account.queue;
    PrinterLink link(accounting, quiet, quiet, [&queue] { return queue; });
    try {
        if (account.documents.empty()) warnAboutState(spooler, account, run);
        if (run.input != nullptr) {
            accounting.sendRawStream(queue, std::string(kDocumentName), run.input->stream(queue));
        } else {
            runWork(work, link, run.system.clock, quiet);
        }
    } catch (const QueueStopped&) {
    } catch (const Interrupted&) {
        account.interrupted = true;
    }
}

/// Runs the work on one queue, then follows its jobs under --wait (only this work's: align
/// runs several on one account). A failure of the program itself ends the queue's run and goes
/// into its account: the other queues and the account go on.
void runOnQueue(const Work& work, Spooler& spooler, QueueAccount& account, RunContext& run) {
    account.planned += run.input != nullptr ? 1 : work.timeline.documentCount();
    const std::size_t before = account.documents.size();
    try {
        sendWork(work, spooler, account, run);
        if (run.input != nullptr) run.input->done(account.queue);  // the others go on
        if (run.waitSeconds && !account.interrupted) followJobs(spooler, account, run, before);
    } catch (...) {
        account.fault = faultText(std::current_exception(), run.reporter.language());
    }
    if (run.input != nullptr) run.input->done(account.queue);
}

/// Opens the queue's own spooler and runs the work on it; a spooler that cannot be made is the
/// queue's fault, as anything else that fails in the program.
void openAndRun(const Work& work, QueueAccount& account, const SpoolerOptions& options,
                RunContext& run) {
    std::unique_ptr<Spooler> spooler;
    try {
        spooler = run.system.openSpooler(options);
    } catch (...) {
        account.planned += run.input != nullptr ? 1 : work.timeline.documentCount();
        account.fault = faultText(std::current_exception(), run.reporter.language());
        if (run.input != nullptr) run.input->done(account.queue);
        return;
    }
    runOnQueue(work, *spooler, account, run);
}

/// Every queue in a thread of its own with a spooler of its own; each queue's documents in
/// order. A single queue runs here, on `first` when the caller has one open already, and so
/// does a queue for which no thread could be started, once the others are done.
void runOnQueues(const Work& work, std::vector<QueueAccount>& accounts,
                 const SpoolerOptions& options, RunContext& run, Spooler* first) {
    if (accounts.size() == 1) {
        if (first != nullptr) return runOnQueue(work, *first, accounts[0], run);
        return openAndRun(work, accounts[0], options, run);
    }
    std::vector<std::size_t> unstarted;
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < accounts.size(); ++i) {
            try {
                threads.emplace_back([&, i] { openAndRun(work, accounts[i], options, run); });
            } catch (...) {
                unstarted.push_back(i);
            }
        }
    }
    for (const std::size_t i : unstarted) openAndRun(work, accounts[i], options, run);
}

/// The account on standard error, a line per queue, and with --json the whole run as one
/// object (with `more`'s members); returns the exit status, 1 also when the run `failed`
/// for a reason of its own.
int finish(const std::string& operation, const std::vector<QueueAccount>& accounts, RunContext& run,
           const nlohmann::json& more = nlohmann::json::object(), bool failed = false) {
    const Language l = run.reporter.language();
    nlohmann::json queues = nlohmann::json::array();
    bool ok = true;
    const Interruption* stop = run.system.interruption;
    const bool interrupted = stop != nullptr && stop->requested();
    for (const QueueAccount& a : accounts) {
        run.reporter.line(accountLine(a, l));
        queues.push_back(toJson(a, interrupted));
        ok = ok && a.succeeded();
    }
    const int status = interrupted ? stop->status() : ok && !failed ? 0 : 1;
    run.reporter.json(buildRunJson(status, operation, {}, std::move(queues), more));
    return status;
}

std::string joinedNames(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all;
}

/// LPDEST, then PRINTER (lp's own placeholder "lp" is no choice), as lp reads them; CUPS only.
std::optional<std::string> printerFromEnvironment(const System& system) {
    if (!system.environment || system.platform != Platform::Cups) return std::nullopt;
    if (auto d = system.environment("LPDEST"); d && !d->empty()) return d;
    if (auto p = system.environment("PRINTER"); p && !p->empty() && *p != "lp") return p;
    return std::nullopt;
}

/// The printer without -d, as lp chooses it, then the window's preselection. Sets
/// `unreachable` when the print server did not answer the listing.
std::optional<std::string> choosePrinter(Spooler& spooler, const System& system,
                                         std::vector<std::string>& listed,
                                         std::string& unreachable) {
    if (auto chosen = printerFromEnvironment(system)) return chosen;
    if (auto chosen = spooler.defaultPrinter()) return chosen;
    PrinterList list = spooler.listPrinters();
    unreachable = list.unreachableServer;
    listed = list.names;
    return preselectedPrinter(list.names);
}

/// --timeout bounds a step of several requests as a whole, not each of them: the listing with
/// every printer's state, the choice of a printer. The bound ends with the step.
class StepBound final {
public:
    StepBound(Spooler& spooler, int timeoutMs) : spooler_(spooler) {
        spooler_.boundStep(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
    }
    ~StepBound() { spooler_.boundStep(std::nullopt); }
    StepBound(const StepBound&) = delete;
    StepBound& operator=(const StepBound&) = delete;

private:
    Spooler& spooler_;
};

/// The printer a run without -d goes to; when there is none, says why and returns nothing.
std::optional<std::string> choosePrinterOrSay(Spooler& spooler, const System& system,
                                              Reporter& reporter, const std::string& operation,
                                              const SpoolerOptions& options) {
    const StepBound step(spooler, options.timeoutMs);
    const Language l = reporter.language();
    std::vector<std::string> listed;
    std::string unreachable;
    const auto chosen = choosePrinter(spooler, system, listed, unreachable);
    std::string why;
    if (!unreachable.empty()) {
        why = say(l, Text::NoPrintServer, {unreachable});
    } else if (!chosen) {
        why = say(l, Text::NoPrinter,
                  {listed.empty() ? say(l, Text::NoPrinters) : joinedNames(listed)});
    }
    if (why.empty()) return chosen;
    reporter.line(why);
    reporter.json(buildRunJson(1, operation, why, nlohmann::json::array(), {}));
    return std::nullopt;
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

/// One page of align: the value it was printed around, what the reader found on it when it
/// was scanned, and the answer, from the reader or the technician.
struct AlignPage {
    std::string value;
    std::optional<rowreader::ModeReading> reading;
    std::string answer;
    bool byReader = false;
};

nlohmann::json pagesJson(const std::vector<AlignPage>& pages, Language l) {
    nlohmann::json all = nlohmann::json::array();
    for (const AlignPage& p : pages) {
        const bool answered = !p.answer.empty();
        all.push_back(
            {{"value", p.value},
             {"reading", p.reading ? buildReadingJson(*p.reading, l) : nlohmann::json()},
             {"answer", answered ? nlohmann::json(p.answer) : nlohmann::json()},
             {"answered_by",
              answered ? nlohmann::json(p.byReader ? "reader" : "technician") : nlohmann::json()}});
    }
    return all;
}

/// The scan command's standard error as the operator reads it in one message.
std::string errorsOf(const ScanResult& scanned) {
    std::string text = scanned.errors.substr(0, 2000);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.empty() ? text : ": " + text;
}

/// Scans the page just printed around `value` and reads the mode's rows on it, telling the
/// reader which rows were printed. Empty, with `why`, when there is no picture to read. With
/// `annotation`, the page as read is drawn there.
std::optional<rowreader::ModeReading> scanPage(System& system, const std::string& command,
                                               PrintMode mode, const std::string& value, Language l,
                                               std::string& why,
                                               const std::optional<std::string>& annotation) {
    const ScanResult scanned = system.scanner->scan(command);
    if (scanned.interrupted) return std::nullopt;
    if (!scanned.failure.empty()) {
        why = say(l, Text::ScanNotRun, {scanned.failure});
    } else if (scanned.exitStatus != 0) {
        why = say(l, Text::ScanFailed, {std::to_string(scanned.exitStatus), errorsOf(scanned)});
    } else if (scanned.tooLarge) {
        why = say(l, Text::ScanTooLarge);
    } else if (scanned.output.empty()) {
        why = say(l, Text::ScanEmpty);
    }
    if (!why.empty()) return std::nullopt;
    rowreader::ReadOptions options;
    options.mode = mode;
    options.printed = {{mode, candidatesAround(numericValue(value), traits(mode).sampleHalfWidth)}};
    std::vector<rowreader::ModeReading> readings;
    try {
        rowreader::RgbImage drawn;
        readings = system.rowReader->readPage(
            {reinterpret_cast<const std::uint8_t*>(scanned.output.data()), scanned.output.size()},
            options, 0, annotation ? &drawn : nullptr);
        if (annotation) writeAnnotation(*annotation, drawn, l);
    } catch (const rowreader::ImageError& e) {
        why = pictureFault(e, say(l, Text::ScanOutput), l);
        return std::nullopt;
    } catch (const PictureError& e) {  // the drawing cannot be written
        why = e.what();
        return std::nullopt;
    }
    for (const rowreader::ModeReading& r : readings) {
        if (r.mode == mode) return r;
    }
    rowreader::ModeReading none;
    none.mode = mode;
    return none;
}

/// The last value align sent: where its documents begin in the account.
struct AlignSetting {
    std::size_t firstDocument = 0;
    std::size_t plannedBefore = 0;
    std::string value;
};

/// What the printer holds of the mode when align stops: the value only when every document
/// of its setting was taken and, where its jobs were followed, completed; else not known.
std::string buildHeldText(const QueueAccount& a, const AlignSetting& setting,
                          const std::string& mode, Language l) {
    std::size_t taken = 0;
    bool completed = true;
    for (std::size_t i = setting.firstDocument; i < a.documents.size(); ++i) {
        const DocumentRecord& d = a.documents[i];
        taken += d.result.isTaken() ? 1 : 0;
        completed =
            completed && (!d.finalState || d.finalState->state == JobState::State::Completed);
    }
    const std::size_t planned = a.planned - setting.plannedBefore;
    if (planned > 0 && taken == planned && completed) {
        return say(l, Text::AlignStopped, {mode, setting.value});
    }
    std::string detail =
        say(l, Text::AlignTakenOf, {std::to_string(taken), std::to_string(planned)});
    if (planned > 0 && taken == planned) detail += say(l, Text::AlignNotCompleted);
    return say(l, Text::AlignStoppedNotKnown, {mode, detail});
}

/// align: 设置单项 with the value, the answer (from the scanned page or the operator), again,
/// until the marked row is the straight one; then 保存.
int runAlign(const CommandLine& c, RunContext& run, const SpoolerOptions& options, Language l) {
    System& system = run.system;
    const PrintMode mode = parseMode(l, c.words[1]);
    std::string value = c.from.value_or(startValue(mode));
    const bool scanning = c.scanCommand.has_value();
    if (!printsRows(value)) throw UsageError(say(l, Text::AlignFromRange, {value}));
    if (c.dryRun) throw UsageError(say(l, Text::AlignNoDryRun));
    if (c.printers.size() > 1) throw UsageError(say(l, Text::AlignOnePrinter));
    if (scanning && c.scanCommand->empty()) {
        throw UsageError(say(l, Text::EmptyValue, {"--scan-command"}));
    }
    if (scanning && (system.rowReader == nullptr || system.scanner == nullptr)) {
        throw UsageError(say(l, Text::NoReader));
    }
    if (!scanning && system.terminal == nullptr) {
        throw UsageError(say(l, Text::AlignNeedsTerminal));
    }
    // A page is scanned once it has printed, as far as the spooler can tell.
    if (scanning && !run.waitSeconds) run.waitSeconds = kDefaultWaitSeconds;

    const std::unique_ptr<Spooler> spooler = system.openSpooler(options);
    std::vector<QueueAccount> accounts(1);
    if (!c.printers.empty()) {
        accounts[0].queue = c.printers[0];
    } else {
        const auto chosen = choosePrinterOrSay(*spooler, system, run.reporter, "align", options);
        if (!chosen) return 1;
        accounts[0].queue = *chosen;
    }
    QueueAccount& account = accounts[0];
    run.reporter.setOperation("align");
    // The set operation takes the command line's word; the technician reads the run's language.
    const std::string modeArgument(modeWord(mode));
    const std::string modeSaid = modeName(mode, l);
    std::vector<AlignPage> pages;
    AlignSetting setting;
    const auto notSaved = [&](const std::string& why = {}) {
        if (!why.empty()) run.reporter.line(why);
        run.reporter.line(buildHeldText(account, setting, modeSaid, l));
        return finish("align", accounts, run,
                      {{"saved", false},
                       {"error", why.empty() ? nlohmann::json() : nlohmann::json(why)},
                       {"pages", pagesJson(pages, l)}},
                      true);
    };
    const auto sent = [&](const Work& work) {
        runOnQueue(work, *spooler, account, run);
        return account.succeeded();
    };
    AlignmentLoop loop(static_cast<int>(numericValue(value)), system.terminal != nullptr,
                       static_cast<int>(kMaxScanPages));
    const Interruption* stop = system.interruption;
    const auto stopped = [stop] { return stop != nullptr && stop->requested(); };
    for (;;) {
        if (scanning && pages.size() == kMaxScanPages) {
            return notSaved(say(l, Text::AlignTooManyPages));
        }
        CommandInput in;
        in.arguments = {modeArgument, value};
        in.extraWait = c.extraWait;
        in.language = l;
        setting = {account.documents.size(), account.planned, value};
        if (!sent(findOperation("set")->build(in))) return notSaved();
        run.reporter.line(say(l, Text::AlignPrinted, {account.queue, modeSaid, value}));
        AlignPage& page = pages.emplace_back();
        page.value = value;
        std::string doubt;  // why the reader leaves the answer to the technician
        if (scanning) {
            std::string why;
            // One drawing per page, page-1.png on, in the folder given.
            const std::optional<std::string> drawing =
                c.annotate
                    ? std::optional(*c.annotate + "/page-" + std::to_string(pages.size()) + ".png")
                    : std::nullopt;
            page.reading = scanPage(system, *c.scanCommand, mode, value, l, why, drawing);
            if (stopped()) return notSaved();
            if (!page.reading) return notSaved(why);
            const rowreader::ModeReading& r = *page.reading;
            const AlignStep step = loop.next(rowreader::buildAlignReading(r));
            const std::string number = std::to_string(pages.size());
            const std::string rows = buildRowList(r, l);
            const std::string next = std::to_string(step.value);
            char confidence[16];
            std::snprintf(confidence, sizeof confidence, "%.2f", r.confidence);
            doubt = r.straight ? say(l, Text::AlignNotConfirmed) : doubtText(r, l);
            switch (step.kind) {
                case AlignStep::Kind::Save:
                case AlignStep::Kind::PrintAround:
                    page.answer = next;
                    page.byReader = true;
                    run.reporter.line(
                        step.kind == AlignStep::Kind::Save || step.value != numericValue(value)
                            ? r.straight
                                  ? say(l, Text::PageStraight,
                                        {number, modeSaid, value, rows, std::to_string(*r.straight),
                                         confidence})
                                  : say(l, Text::PageNearest, {number, modeSaid, value, rows, next})
                            : say(l, Text::PageAgain, {number, modeSaid, value, rows, doubt}));
                    // Printed around the same value once more: the answer is not a confirmation.
                    if (step.kind == AlignStep::Kind::PrintAround &&
                        step.value == numericValue(value)) {
                        continue;
                    }
                    break;
                case AlignStep::Kind::Ask:
                case AlignStep::Kind::Stop:
                    if (pages.size() == kMaxScanPages) {
                        return notSaved(say(l, Text::AlignTooManyPages));
                    }
                    run.reporter.line(
                        say(l, Text::PageCannotTell, {number, modeSaid, value, rows, doubt}));
                    if (system.terminal == nullptr) {
                        return notSaved(say(l, Text::AlignNoTerminal, {doubt}));
                    }
                    break;
            }
        }
        while (page.answer.empty()) {
            const std::optional<std::string> typed =
                system.terminal->ask(doubt.empty() ? say(l, Text::AlignAsk, {value})
                                                   : say(l, Text::AlignAskDoubt, {doubt, value}));
            if (!typed || stopped()) return notSaved();
            const std::string trimmed = typed->empty() ? value : *typed;
            if (printsRows(trimmed)) {
                page.answer = trimmed;
            } else {
                run.reporter.line(say(l, Text::AlignAnswerRange, {*typed}));
            }
        }
        if (numericValue(page.answer) == numericValue(value)) break;
        value = page.answer;
        loop.printedAround(static_cast<int>(numericValue(value)));
    }
    if (!sent(Work::of(buildSave()))) return notSaved();
    const int status =
        finish("align", accounts, run, {{"saved", true}, {"pages", pagesJson(pages, l)}});
    if (status == 0) run.reporter.line(say(l, Text::AlignSaved, {modeSaid, value}));
    return status;
}

/// Every printer with its state, as `lpstat -p` gives it; the one used without -d marked.
int listPrinters(const CommandLine& c, RunContext& run, const SpoolerOptions& options, Language l) {
    const std::unique_ptr<Spooler> spooler = run.system.openSpooler(options);
    const StepBound step(*spooler, options.timeoutMs);
    const PrinterList list = spooler->listPrinters();
    if (!list.unreachableServer.empty()) {
        const std::string why = say(l, Text::NoPrintServer, {list.unreachableServer});
        run.reporter.line(why);
        run.reporter.json(buildRunJson(1, "list", why, nlohmann::json::array(),
                                       {{"printers", nlohmann::json::array()}}));
        return 1;
    }
    std::vector<std::string> listed;
    std::string unreachable;
    const auto chosen = choosePrinter(*spooler, run.system, listed, unreachable);
    nlohmann::json printers = nlohmann::json::array();
    for (const std::string& name : list.names) {
        const PrinterState state = spooler->printerState(name);
        const bool marked = name == chosen;
        printers.push_back({{"name", name},
                            {"default", marked},
                            {"state", state.found ? toJson(state) : nlohmann::json()}});
        if (c.json) continue;
        run.system.out << (marked ? say(l, Text::DefaultMark) : "  ") << name << "  "
                       << (state.found
                               ? say(l, Text::ListState,
                                     {stateText(state, l), std::to_string(state.jobsWaiting)})
                               : say(l, Text::ListNoState))
                       << '\n';
    }
    run.reporter.json(
        buildRunJson(0, "list", {}, nlohmann::json::array(), {{"printers", std::move(printers)}}));
    return 0;
}

/// Options that belong to one operation only.
void checkOptionsFit(const CommandLine& c, const std::string& operation, Language l) {
    const struct {
        bool given;
        const char* option;
        const char* belongsTo;
    } kOwn[] = {{c.testPage, "--test-page", "set-all"},
                {c.save, "--save", "hex"},
                {c.from.has_value(), "--from", "align"},
                {c.scanCommand.has_value(), "--scan-command", "align"},
                {c.mode.has_value(), "--mode", "read-rows"},
                {c.annotate.has_value() && operation != "align", "--annotate", "read-rows"},
                {c.annotate.has_value() && operation == "align" && !c.scanCommand, "--annotate",
                 "align --scan-command"}};
    for (const auto& o : kOwn) {
        if (o.given && operation != o.belongsTo) {
            throw UsageError(say(l, Text::OptionNotHere, {o.option, operation}));
        }
    }
}

/// Whole digits, at most `max`; UsageError naming the option otherwise.
int wholeNumber(const std::string& option, const std::string& text, int min, int max, Language l) {
    const bool digits =
        !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == text.npos;
    if (!digits || std::stoi(text) < min || std::stoi(text) > max) {
        throw UsageError(
            say(l, Text::NotInRange, {option, text, std::to_string(min), std::to_string(max)}));
    }
    return std::stoi(text);
}

/// HOST, HOST:PORT, [IPv6]:PORT or a socket path, as CUPS_SERVER takes it; not a URL.
bool isServerAddress(const std::string& s) {
    if (s.empty()) return false;
    if (s.front() == '/') return true;
    std::string host = s;
    std::string port;
    if (s.front() == '[') {
        const std::size_t close = s.find(']');
        if (close == std::string::npos) return false;
        host = s.substr(1, close - 1);
        const std::string rest = s.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return false;
        if (!rest.empty()) port = rest.substr(1);
        if (!rest.empty() && port.empty()) return false;
    } else if (const std::size_t colon = s.find(':'); colon != std::string::npos) {
        host = s.substr(0, colon);
        port = s.substr(colon + 1);
        if (port.empty() || host.find_first_of(":") != std::string::npos) return false;
    }
    if (host.empty() || host.find_first_of("/@?# ") != std::string::npos) return false;
    if (port.empty()) return true;
    return port.size() <= 5 && port.find_first_not_of("0123456789") == std::string::npos &&
           std::stoi(port) >= 1 && std::stoi(port) <= 65535;
}

/// Printer names as the spooler compares them: CUPS and Windows ignore case.
std::string folded(std::string name) {
    for (char& ch : name) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return name;
}

/// A name no queue can have: CUPS takes none with a space, '/', '#' or a control character
/// (its server would answer "Forbidden" for "../A"), Windows none with a control character;
/// and one with a line break would split its account line.
void checkQueueName(const std::string& name, Platform platform, Language l) {
    const bool cups = platform == Platform::Cups;
    std::string shown = name;
    bool bad = false;
    for (char& ch : shown) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool control = byte < 0x20 || byte == 0x7F;
        bad = bad || control || (cups && (ch == ' ' || ch == '/' || ch == '#'));
        if (control) ch = '?';
    }
    if (bad) throw UsageError(say(l, cups ? Text::BadQueueName : Text::BadPrinterName, {shown}));
}

/// Everything about the command line that can be wrong before anything is built.
void checkCommandLine(const CommandLine& c, const System& system, Language l) {
    wholeNumber("--extra-wait", c.extraWait, 0, kMaxExtraWaitMs, l);
    if (c.wait) wholeNumber("--wait", *c.wait, 0, kMaxWaitSeconds, l);
    if (system.platform != Platform::Cups) {
        for (const auto& [given, option] :
             {std::pair{c.server.has_value(), "--server"}, std::pair{c.user.has_value(), "--user"},
              std::pair{!c.timeout.empty(), "--timeout"}}) {
            if (given) throw UsageError(say(l, Text::CupsOnly, {option}));
        }
    }
    if (!c.timeout.empty()) wholeNumber("--timeout", c.timeout, 1, kMaxTimeoutSeconds, l);
    if (c.server && !isServerAddress(*c.server)) {
        throw UsageError(say(l, Text::BadServer, {*c.server}));
    }
    if (c.user && c.user->empty()) throw UsageError(say(l, Text::EmptyValue, {"-U"}));
    std::vector<std::string> seen;
    for (const std::string& p : c.printers) {
        if (p.empty()) throw UsageError(say(l, Text::EmptyValue, {"-d"}));
        checkQueueName(p, system.platform, l);
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (folded(seen[i]) == folded(p)) {
                throw UsageError(say(l, Text::QueueTwice, {c.printers[i], p}));
            }
        }
        seen.push_back(p);
    }
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
    SpoolerOptions options;
    options.server = c.server.value_or("");
    options.user = c.user.value_or("");
    if (!c.timeout.empty()) options.timeoutMs = std::stoi(c.timeout) * 1000;

    Work work;
    std::string streamed;  // `file -` or a FIFO: read as it is sent
    if (!c.pieces.empty()) {
        if (!c.words.empty()) throw UsageError(say(l, Text::HexTextMixed));
        checkOptionsFit(c, "--hex", l);
        work = pieceWork(c, l);
        operation = "hex";
    } else {
        if (c.words.empty()) throw UsageError(say(l, Text::NoOperation));
        operation = c.words[0];
        checkOptionsFit(c, operation, l);
        const std::vector<std::string> args(c.words.begin() + 1, c.words.end());
        if (operation == "read-rows") return runReadRows(c, system, l);
        if (operation == "list" || operation == "align") {
            const std::size_t wanted = operation == "list" ? 0 : 1;
            if (args.size() != wanted) {
                throw UsageError(
                    say(l, Text::WrongArgumentCount,
                        {operation,
                         operation == "list" ? "" : "MODE [--from VALUE] [--scan-command CMD]"}));
            }
            return operation == "list" ? listPrinters(c, context, options, l)
                                       : runAlign(c, context, options, l);
        }
        const OperationTraits* op = findOperation(operation);
        if (op == nullptr) {
            const std::string word = std::exchange(operation, {});  // no operation in the JSON
            throw UsageError(say(l, Text::UnknownOperation, {word}));
        }
        if (args.size() < op->minArguments || args.size() > op->maxArguments) {
            throw UsageError(
                say(l, Text::WrongArgumentCount, {operation, std::string(op->synopsis)}));
        }
        CommandInput in;
        in.arguments = args;
        in.extraWait = c.extraWait;
        in.testPage = c.testPage;
        in.saveBracket = c.save;
        in.language = l;
        in.readStandardInput = [&system] { return readAll(system.in); };
        in.now = system.clock.now();  // the pin test header's moment, read once
        if (operation == "file" && !c.dryRun && isStreamed(args[0], system)) {
            streamed = args[0];
        } else {
            work = op->build(in);
        }
    }

    std::vector<std::string> queues = c.printers;
    if (c.dryRun) {
        if (queues.empty()) {
            if (auto chosen = printerFromEnvironment(system)) queues = {*chosen};
        }
        printDryRun(work.timeline, queues, l, system.out);
        return 0;
    }
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
            throw refusal(l, Text::StdinEmpty);
        }
        context.input = fanout.get();
    }
    runOnQueues(work, accounts, options, context, first.get());
    return finish(operation, accounts, context);
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
        // The window's own messages say already that nothing was sent: once is enough.
        const std::string said = l == Language::Chinese ? refusal.inChinese() : refusal.inEnglish();
        const bool saysSo =
            said.find("nothing was sent") != said.npos || said.find("未发送") != said.npos;
        status = failed(2, say(l, saysSo ? Text::RefusedSaid : Text::Refused, {said}), false);
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

#include "cli/queue_run.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "cli/input_fanout.h"
#include "cli/interruption.h"
#include "printer/clock.h"
#include "printer/job_following.h"
#include "printer/message_sink.h"
#include "printer/printer_link.h"
#include "printer/timeline.h"

namespace trevalune::send {

namespace {

/// A queue's run ends at the first document not taken: the rest would reach the printer
/// without what came before it. Neither is a std::exception, so nothing on the way catches it.
struct QueueStopped {};
/// The run was asked to stop before this document.
struct Interrupted {};

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

/// Says once, before the first document, that the queue's documents will wait.
void warnAboutState(Spooler& spooler, QueueAccount& account, RunContext& run) {
    PrinterState state = spooler.printerState(account.queue);
    if (!state.needsAttention()) return;
    const Language l = run.reporter.language();
    run.reporter.line(say(l, state.acceptingJobs ? Text::Warning : Text::WarningRefusing,
                          {account.queue, stateText(state, l)}));
    account.warned = std::move(state);
}

/// Follows every job taken from document `first` on (under --wait), into the account.
void followTakenJobs(Spooler& spooler, QueueAccount& account, RunContext& run, std::size_t first) {
    std::vector<DocumentRecord*> taken;
    std::vector<int> ids;
    for (std::size_t i = first; i < account.documents.size(); ++i) {
        if (!account.documents[i].result.isTaken()) continue;
        taken.push_back(&account.documents[i]);
        ids.push_back(account.documents[i].result.jobId);
    }
    if (ids.empty()) return;
    const Interruption* stop = run.system.interruption;
    const FollowedJobs followed =
        followJobs(spooler, account.queue, ids, *run.waitSeconds * 1000, run.system.clock,
                   [stop] { return stop != nullptr && stop->requested(); });
    for (std::size_t i = 0; i < taken.size(); ++i) taken[i]->finalState = followed.states[i];
    account.waitEnd = followed.end;
    account.waitedSeconds = followed.waitedMs / 1000;
    account.stateAtWaitEnd = followed.queueState;
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

}  // namespace

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

void runOnQueue(const Work& work, Spooler& spooler, QueueAccount& account, RunContext& run) {
    account.planned += run.input != nullptr ? 1 : work.timeline.documentCount();
    const std::size_t before = account.documents.size();
    try {
        sendWork(work, spooler, account, run);
        if (run.input != nullptr) run.input->done(account.queue);  // the others go on
        if (run.waitSeconds && !account.interrupted) followTakenJobs(spooler, account, run, before);
    } catch (...) {
        account.fault = faultText(std::current_exception(), run.reporter.language());
    }
    if (run.input != nullptr) run.input->done(account.queue);
}

namespace {

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

}  // namespace

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

int finish(const std::string& operation, const std::vector<QueueAccount>& accounts, RunContext& run,
           const nlohmann::json& more, bool failed) {
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

}  // namespace trevalune::send

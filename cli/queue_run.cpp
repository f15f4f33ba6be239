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

/// Says once, before the queue's first document, that its documents will wait.
void warnAboutState(const PrinterState& state, QueueAccount& account, Reporter& reporter) {
    if (!state.needsAttention()) return;
    const Language l = reporter.language();
    reporter.line(say(l, state.acceptingJobs ? Text::Warning : Text::WarningRefusing,
                      {account.queue, stateText(state, l)}));
    account.warned = state;
}

/// Hears what the link did with one queue's documents: each goes into the queue's account as
/// the spooler answered it, and each one taken prints its job id. The account says the rest.
class QueueListener final : public LinkListener {
public:
    QueueListener(QueueAccount& account, Reporter& reporter)
        : account_(account), reporter_(reporter) {}

    void printerLookedAt(const std::string&, const PrinterState& state) override {
        warnAboutState(state, account_, reporter_);
    }
    void documentDone(const DocumentOutcome& outcome) override {
        // Numbered over the whole run on this queue: align sends several operations to it.
        const int number = static_cast<int>(account_.documents.size()) + 1;
        account_.documents.push_back({number, outcome.result, std::nullopt});
        reporter_.keep(account_);
        if (outcome.result.isTaken()) reporter_.taken(account_.queue, outcome.result.jobId);
    }

private:
    QueueAccount& account_;
    Reporter& reporter_;
};

/// A pin test page that refused itself goes into the account, which says it; the run goes on
/// with the next page, as the window's does.
class RefusedPages final : public MessageSink {
public:
    explicit RefusedPages(QueueAccount& account) : account_(account) {}

protected:
    void show(std::string_view text, std::string_view) override {
        if (account_.refusedPage.empty()) account_.refusedPage = text;
    }

private:
    QueueAccount& account_;
};

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
    QueueListener listener(account, run.reporter);
    const std::string queue = account.queue;
    PrinterLink link(
        spooler, listener, [&queue] { return queue; }, StopRule::AtAnyFailure);
    const Interruption* stop = run.system.interruption;
    link.stopWhen([stop] { return stop != nullptr && stop->requested(); });
    // The queue's state is said once for the run, before its first document.
    link.lookBeforeSending(account.documents.empty());
    Next next = Next::GoOn;
    if (run.input != nullptr) {
        next = link.sendStream(run.input->stream(queue)).next;
    } else {
        RefusedPages refused(account);
        next = runWork(work, link, run.system.clock, refused);
    }
    if (next == Next::Interrupted) account.interrupted = true;
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

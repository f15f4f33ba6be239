#pragma once

#include <nlohmann/json.hpp>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "cli/account.h"
#include "cli/operation_table.h"
#include "cli/reporter.h"

namespace trevalune::send {

class InputFanout;

/// What a run needs besides the work: where it goes and how it reports.
struct RunContext {
    System& system;
    Reporter& reporter;
    std::optional<int> waitSeconds;
    /// `file -` and FIFOs: the one document every queue takes as it is read.
    InputFanout* input = nullptr;
};

/// The program's own failure, as the operator reads it: memory, a system resource, a bug.
std::string faultText(const std::exception_ptr& fault, Language l);

/// Runs the work on one queue, then follows its jobs under --wait (only this work's: align
/// runs several on one account). A failure of the program itself ends the queue's run and goes
/// into its account: the other queues and the account go on.
void runOnQueue(const Work& work, Spooler& spooler, QueueAccount& account, RunContext& run);

/// Every queue in a thread of its own with a spooler of its own; each queue's documents in
/// order. A single queue runs here, on `first` when the caller has one open already, and so
/// does a queue for which no thread could be started, once the others are done.
void runOnQueues(const Work& work, std::vector<QueueAccount>& accounts,
                 const SpoolerOptions& options, RunContext& run, Spooler* first);

/// The account on standard error, a line per queue, and with --json the whole run as one
/// object (with `more`'s members); returns the exit status, 1 also when the run `failed`
/// for a reason of its own.
int finish(const std::string& operation, const std::vector<QueueAccount>& accounts, RunContext& run,
           const nlohmann::json& more = nlohmann::json::object(), bool failed = false);

}  // namespace trevalune::send

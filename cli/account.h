#pragma once

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <vector>

#include "cli/texts.h"
#include "printer/job_following.h"
#include "printer/spooler.h"

namespace trevalune::send {

/// One document of one queue's run, as the spooler answered for it.
struct DocumentRecord {
    int number = 0;  ///< from 1, in the order the operation sends them
    SendResult result;
    std::optional<JobState> finalState;  ///< with --wait: where its job stood at the end
};

/// Everything one queue's run did: what a script needs to know where to resume.
struct QueueAccount {
    std::string queue;
    std::size_t planned = 0;  ///< documents the operation has
    /// Every document handed to the spooler, in order: all taken but possibly the last.
    std::vector<DocumentRecord> documents;
    /// The queue's state before the first document, when it needed attention.
    std::optional<PrinterState> warned;
    /// A pin test page that was refused while it was built (the window's message).
    std::string refusedPage;
    bool interrupted = false;  ///< stopped before all documents were sent
    /// The program's own failure on this queue (no memory, no thread): nothing more was sent.
    std::string fault;
    WaitEnd waitEnd = WaitEnd::NotAsked;
    int waitedSeconds = 0;
    /// The queue's state when following ended short of completion (why jobs still wait).
    std::optional<PrinterState> stateAtWaitEnd;

    std::size_t taken() const;
    /// The document that ended the run (not opened, not taken, unknown), if one did.
    const DocumentRecord* failure() const;
    /// Every planned document taken, and under --wait every job completed.
    bool succeeded() const;
};

/// The word scripts read for an outcome: "not-opened", "not-taken", "taken", "unknown".
std::string_view outcomeName(SendResult::Outcome outcome);

/// The account's line for a queue, in the run's language (without the program's name).
std::string accountLine(const QueueAccount& account, Language language);

/// A queue's state in the words `list` and the warnings use.
std::string stateText(const PrinterState& state, Language language);

/// The same as JSON, for --json; `runInterrupted` is the run's, which every queue shares.
nlohmann::json toJson(const QueueAccount& account, bool runInterrupted = false);
nlohmann::json toJson(const PrinterState& state);

/// The one shape of every run's JSON (the schema beside this file): the members every run
/// has, `more` (list's printers, align's pages) added. `operation` empty is null.
nlohmann::json buildRunJson(int status, const std::string& operation, const std::string& error,
                            nlohmann::json queues, const nlohmann::json& more);

}  // namespace trevalune::send

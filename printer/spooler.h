#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trevalune {

/// A job poll counts no more than this many jobs: Windows is asked for at most this many
/// records, and CUPS keeps the same horizon.
inline constexpr int kMaxPolledJobs = 99;

/// What one poll of a printer's job queue saw. Windows asks twice (a sizing query, then
/// the real one), and a job can leave in between; CUPS answers once and fills both.
struct JobQuery {
    bool anyJobs = false;  ///< the sizing query found something queued
    int delivered = 0;     ///< job records the second query returned (at most kMaxPolledJobs)
};

/// The printers the system lists. A print server that does not answer is not the same as
/// one without printers: the operator must be told which server to look at.
struct PrinterList {
    std::vector<std::string> names;
    /// The server that did not answer ("127.0.0.1:631", a socket path); empty when the list
    /// was read. The Windows spooler is local and always answers.
    std::string unreachableServer;
};

/// What became of one document. A printer that could not be opened is not the same as one
/// that was opened but did not take the document: the first is a wrong name (or a server out
/// of reach), the second a queue that refuses work or a transfer that broke off. Unknown is a
/// document written whole whose answer never came (the connection ended, the limit ran out):
/// the queue may hold it, so it must never be said to be "not taken".
struct SendResult {
    enum class Outcome { NotOpened, NotTaken, Taken, Unknown };
    Outcome outcome = Outcome::NotOpened;
    std::string reason;  ///< the spooler's own words when the document was not taken
    int jobId = 0;       ///< the job created for the document, 0 when none was

    static SendResult notOpened(std::string why = {}) {
        return {Outcome::NotOpened, std::move(why), 0};
    }
    static SendResult notTaken(std::string why, int job = 0) {
        return {Outcome::NotTaken, std::move(why), job};
    }
    static SendResult taken(int job) { return {Outcome::Taken, {}, job}; }
    static SendResult unknown(std::string why, int job = 0) {
        return {Outcome::Unknown, std::move(why), job};
    }
    bool isTaken() const { return outcome == Outcome::Taken; }
};

/// What the spooler says of a printer's queue. Taken is not printed: a stopped queue, a
/// printer that is off or out of paper, take documents that then wait.
struct PrinterState {
    enum class State { Idle, Printing, Stopped, Paused };
    bool found = false;  ///< false: no such printer, or the spooler did not answer
    State state = State::Idle;
    bool acceptingJobs = true;
    /// The spooler's keywords, as it gives them ("paused", "offline-report",
    /// "media-empty-error"; winspool's status bits in the same words).
    std::vector<std::string> reasons;
    std::string message;  ///< the spooler's own sentence, often empty
    int jobsWaiting = 0;

    /// Documents sent now would wait instead of printing: stopped, paused, not accepting,
    /// or a reason that says offline, an error or no paper.
    bool needsAttention() const;
    /// The reasons that make it need attention, then the message: the spooler's words.
    std::string attentionText() const;
};

/// What the spooler says of one job.
struct JobState {
    enum class State {
        Pending,
        Held,
        Printing,
        Stopped,
        Completed,
        Canceled,
        Aborted,
        Gone,
        Unknown
    };
    /// Gone: the queue has no record of the job any more. Windows keeps none once a job has
    /// left its queue, so there it is "left the queue", never "printed". Unknown: the state
    /// could not be read (no answer, the queue or the job not found on a server that keeps
    /// its jobs' history); `message` says why. Nothing about the job may be claimed then.
    State state = State::Unknown;
    std::vector<std::string> reasons;
    std::string message;  ///< the spooler's words; for Unknown, why it is not known

    /// The job will not change by itself any more (held and stopped wait for someone).
    bool finished() const {
        return state == State::Completed || state == State::Canceled || state == State::Aborted ||
               state == State::Gone;
    }
};

/// The word for a state, as lpstat would say it ("idle", "stopped", "completed", ...).
std::string_view stateName(PrinterState::State state);
std::string_view stateName(JobState::State state);

/// A document whose bytes come as they are read (standard input, a FIFO), block by block, in
/// one pass: it is never held whole.
class DocumentStream {
public:
    virtual ~DocumentStream() = default;
    /// The next block, valid until the next call; empty at the end, or when the document
    /// ended short (then `failure` says why).
    virtual std::string_view next() = 0;
    /// Why the document ended before its end (the run was interrupted, a read failed); empty
    /// when it was read whole.
    virtual std::string failure() const = 0;
};

/// The system print spooler, as far as this tool needs it. Printer names are UTF-8.
/// Implementations: CUPS, winspool, and a recording one for tests.
class Spooler {
public:
    virtual ~Spooler() = default;

    /// Installed printers by device name, in the order the system lists them, or the print
    /// server that did not answer.
    virtual PrinterList listPrinters() = 0;

    /// One raw document of one page, bytes passed through unchanged. Every step is examined:
    /// a document that was opened but not taken in full is taken back where the spooler
    /// allows it, and reported with the spooler's reason; one written whole whose answer
    /// never came is Unknown.
    virtual SendResult sendRawDocument(const std::string& printer, const std::string& documentName,
                                       std::string_view data) = 0;

    /// The same for a document that comes as it is read. One that ends short is never taken:
    /// its job is taken back, or never made. This one gathers the document and sends it whole,
    /// for spoolers that need its length first; CUPS streams it.
    virtual SendResult sendRawStream(const std::string& printer, const std::string& documentName,
                                     DocumentStream& stream);

    /// The jobs still waiting for the printer. A printer that cannot be opened reads as empty.
    virtual JobQuery queryActiveJobs(const std::string& printer) = 0;

    /// The printer's state, reasons and waiting jobs; `found` is false for a printer that
    /// cannot be asked.
    virtual PrinterState printerState(const std::string& printer) = 0;

    /// The state of a job a document was taken as.
    virtual JobState jobState(const std::string& printer, int jobId) = 0;

    /// Makes the printer the current user's default printer. Failures are silent.
    virtual void setDefaultPrinter(const std::string& printer) = 0;

    /// The current user's default printer, if one is set (and the spooler answers).
    /// Not pure: a spooler that has no such notion simply has none.
    virtual std::optional<std::string> defaultPrinter() { return std::nullopt; }

    /// Until `end`, every request shares the time left to it, so a step of several requests
    /// (the listing with each printer's state) is bounded as a whole; nothing lifts the bound.
    /// Spoolers whose requests are not bounded in time ignore it.
    virtual void boundStep(std::optional<std::chrono::steady_clock::time_point> end) { (void)end; }
};

}  // namespace trevalune

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trevalune {

/// What one poll of a printer's job queue saw. Windows asks twice (a sizing query, then
/// the real one), and a job can leave in between; CUPS answers once and fills both.
struct JobQuery {
    bool anyJobs = false;  ///< the sizing query found something queued
    int delivered = 0;     ///< job records the second query returned (at most 99)
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
/// of reach), the second a queue that refuses work or a transfer that broke off.
struct SendResult {
    enum class Outcome { NotOpened, NotTaken, Taken };
    Outcome outcome = Outcome::NotOpened;
    std::string reason;  ///< the spooler's own words when the document was not taken
    int jobId = 0;       ///< the spooler's job id when it was taken

    static SendResult notOpened(std::string why = {}) {
        return {Outcome::NotOpened, std::move(why), 0};
    }
    static SendResult notTaken(std::string why) { return {Outcome::NotTaken, std::move(why), 0}; }
    static SendResult taken(int job) { return {Outcome::Taken, {}, job}; }
    bool isTaken() const { return outcome == Outcome::Taken; }
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
    /// allows it, and reported with the spooler's reason.
    virtual SendResult sendRawDocument(const std::string& printer, const std::string& documentName,
                                       std::string_view data) = 0;

    /// The jobs still waiting for the printer. A printer that cannot be opened reads as empty.
    virtual JobQuery queryActiveJobs(const std::string& printer) = 0;

    /// Makes the printer the current user's default printer. Failures are silent.
    virtual void setDefaultPrinter(const std::string& printer) = 0;

    /// The current user's default printer, if one is set (and the spooler answers).
    /// Not pure: a spooler that has no such notion simply has none.
    virtual std::optional<std::string> defaultPrinter() { return std::nullopt; }
};

}  // namespace trevalune

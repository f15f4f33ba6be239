#pragma once

#include <string>
#include <string_view>
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

/// The system print spooler, as far as this tool needs it. Printer names are UTF-8.
/// Implementations: CUPS, winspool, and a recording one for tests.
class Spooler {
public:
    virtual ~Spooler() = default;

    /// Installed printers by device name, in the order the system lists them, or the print
    /// server that did not answer.
    virtual PrinterList listPrinters() = 0;

    /// One raw document of one page, bytes passed through unchanged.
    /// Returns false only when the printer could not be opened; later failures are not seen.
    virtual bool sendRawDocument(const std::string& printer, const std::string& documentName,
                                 std::string_view data) = 0;

    /// The jobs still waiting for the printer. A printer that cannot be opened reads as empty.
    virtual JobQuery queryActiveJobs(const std::string& printer) = 0;

    /// Makes the printer the current user's default printer. Failures are silent.
    virtual void setDefaultPrinter(const std::string& printer) = 0;
};

}  // namespace trevalune

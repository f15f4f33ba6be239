#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "printer/spooler.h"

using http_t = struct _http_s;
using ipp_t = struct _ipp_s;

namespace trevalune {

/// The spooler on CUPS (libcups 2.4). The server is the one the client configuration names
/// (CUPS_SERVER, client.conf, the local socket). Connecting and every request are bounded in
/// time, so a server that does not answer costs seconds, not a hang.
class CupsSpooler final : public Spooler {
public:
    /// `timeoutMs` bounds connecting and each request.
    explicit CupsSpooler(int timeoutMs = 5000);
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    /// A server that cannot be reached, or that fails the request, is named in the answer.
    PrinterList listPrinters() override;
    /// Create-Job, Send-Document, the bytes and the end of the document on the connection kept
    /// from the last call. A queue the server does not know (or a server that cannot be
    /// reached) is a printer that could not be opened; any other failure is a document not
    /// taken, and a job already created for it is cancelled.
    SendResult sendRawDocument(const std::string& printer, const std::string& documentName,
                               std::string_view data) override;
    JobQuery queryActiveJobs(const std::string& printer) override;
    /// Get-Printer-Attributes on the kept connection.
    PrinterState printerState(const std::string& printer) override;
    /// Get-Job-Attributes on the kept connection; a job the server no longer knows is Gone.
    JobState jobState(const std::string& printer, int jobId) override;
    /// Writes the user's lpoptions (as `lpoptions -d` does); as root that is the server root's.
    void setDefaultPrinter(const std::string& printer) override;
    /// The destination cupsGetDests2 marks as default: the user's lpoptions (`lpoptions -d`),
    /// else the server's default.
    std::optional<std::string> defaultPrinter() override;

private:
    class Deadline;
    class Request;
    struct Connection;
    /// The kept connection, made again when it has dropped; nullptr when the server cannot
    /// be reached.
    Connection* connection();
    /// Forgets a connection whose last request failed in transport: a late answer must not
    /// be read as the answer to the next request.
    void dropIfBroken();

    /// One request with a bounded time on the kept connection; null when it got no answer
    /// (the connection is then dropped).
    struct IppDeleter {
        void operator()(ipp_t* ipp) const;
    };
    using Ipp = std::unique_ptr<ipp_t, IppDeleter>;
    Ipp ask(ipp_t* request, const std::string& resource);

    /// Why the last request failed, in the server's words or the transport's.
    std::string lastReason(http_t* http) const;

    int timeoutMs_;
    std::unique_ptr<Deadline> deadline_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace trevalune

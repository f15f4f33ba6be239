#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "printer/spooler.h"

using http_t = struct _http_s;
using ipp_t = struct _ipp_s;

namespace trevalune {

/// Where a spooler gets the password when its server asks for a login. One object serves
/// every queue's spooler of a run, each in its own thread, so it must be safe to call from
/// several at once.
class CupsLogin {
public:
    virtual ~CupsLogin() = default;
    /// The password for `user` on `server`; none when there is nobody to ask.
    virtual std::optional<std::string> password(const std::string& user,
                                                const std::string& server) = 0;
};

/// The reasons the spooler composes itself, in the program's language; the server's own
/// words (cupsLastErrorString, HTTP statuses) are passed on as they come. {1} is the server,
/// {2} the time limit or the server's status.
struct CupsWords {
    std::string noAnswer = "no answer within {2} from {1}";
    std::string seconds = "{1} s";
    std::string loginRefused = "login refused by {1}: {2}";
    std::string noLoginToGive = "no login to give {1}: {2}";
    std::string noServer = "no print server answers at {1}";
    std::string closedBeforeAnswer = "the server closed the connection before it answered ({1})";
    std::string closedMidDocument =
        "the server closed the connection before the document was complete ({1})";
    std::string nameNotInRequest = "the printer name cannot be put in a request";
    std::string noJobState = "the print server gave no job state";
};

/// The spooler on CUPS (libcups 2.4). The server is the one the client configuration names
/// (CUPS_SERVER, client.conf, the local socket). Connecting and every request are bounded in
/// time, so a server that does not answer costs seconds, not a hang.
class CupsSpooler final : public Spooler {
public:
    /// `timeoutMs` bounds connecting and each request. `login`, when given, answers a server
    /// that asks for one; libcups keeps its password callback per thread, so the spooler is
    /// then to be used on the thread that made it. Without it, libcups asks on its own.
    explicit CupsSpooler(int timeoutMs = 5000, CupsLogin* login = nullptr, CupsWords words = {});
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    /// A server that cannot be reached, or that fails the request, is named in the answer.
    PrinterList listPrinters() override;
    /// One Print-Job request with the bytes on the connection kept from the last call. A queue
    /// the server does not know, a server that cannot be reached or does not invite the
    /// document, and a login it refuses are a printer that could not be opened. A failure
    /// before every byte was written is a document not taken (the server creates no job for
    /// it); a document written whole whose answer never came (the connection ended, the limit
    /// ran out) is Unknown: the server may print it complete. Its job id is known only from
    /// the answer, so an Unknown one carries none.
    SendResult sendRawDocument(const std::string& printer, const std::string& documentName,
                               std::string_view data) override;
    /// The same request, its document sent in chunks as the stream gives them: the server
    /// makes the job only once the last chunk is in, so a stream that ends short leaves none.
    SendResult sendRawStream(const std::string& printer, const std::string& documentName,
                             DocumentStream& stream) override;
    JobQuery queryActiveJobs(const std::string& printer) override;
    /// Get-Printer-Attributes on the kept connection.
    PrinterState printerState(const std::string& printer) override;
    /// Get-Job-Attributes on the kept connection. A job whose state cannot be read is Unknown,
    /// with the reason: CUPS keeps its jobs' history, so "no such job" is no proof of an end.
    JobState jobState(const std::string& printer, int jobId) override;
    /// Writes the user's lpoptions (as `lpoptions -d` does); as root that is the server root's.
    void setDefaultPrinter(const std::string& printer) override;
    /// The destination cupsGetDests2 marks as default: the user's lpoptions (`lpoptions -d`),
    /// else the server's default.
    std::optional<std::string> defaultPrinter() override;
    void boundStep(std::optional<std::chrono::steady_clock::time_point> end) override;

private:
    /// The time a request may take now: the limit, or less when a step's end comes first.
    int limitMs() const;
    /// True once a step's time has run out: nothing more is asked in it. libcups waits for
    /// an answer in whole seconds, so a step may overrun its end by up to a second.
    bool stepOver() const;
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
    /// Get-Printer-Attributes or Get-Job-Attributes (`jobId` not 0) for `wanted`; null when the
    /// server did not answer or refused.
    Ipp askAttributes(int operation, const std::string& printerUri, int jobId,
                      std::span<const char* const> wanted);

    /// How much of a document's request went out.
    enum class Sent { Nothing, Part, Whole };
    /// A document's body, part by part (empty at its end); `length` 0 when not known ahead,
    /// and then the body goes in chunks.
    struct Body {
        std::function<std::string_view()> next;
        std::size_t length = 0;
        /// True when the body ended before its end: the request is then never finished.
        std::function<bool()> cut = [] { return false; };
    };
    /// One request with a document as its body, bounded by the deadline; `answer` is the
    /// server's when it came.
    Sent post(http_t* http, ipp_t* request, const std::string& resource, const Body& body,
              Ipp& answer);
    /// Print-Job with the body, asked again once with a login given meanwhile when `again`
    /// can make the body anew.
    SendResult printJob(const std::string& printer, const std::string& documentName,
                        const std::function<Body()>& body, bool again);

    /// Why the last request failed, in the server's words or the transport's; `whole` when
    /// the request was written in full and only its answer is missing.
    std::string lastReason(http_t* http, bool whole = false) const;

    /// libcups' password callback; `self` is the spooler of the calling thread.
    static const char* answerLogin(const char* prompt, http_t* http, const char* method,
                                   const char* resource, void* self);
    /// How the last login went, for the reason when the server said 401.
    enum class Login { NotAsked, Given, NoneToGive, Refused };

    int timeoutMs_;
    CupsLogin* login_;
    CupsWords words_;
    std::optional<std::chrono::steady_clock::time_point> stepEnd_;
    Login lastLogin_ = Login::NotAsked;
    std::string password_;  ///< kept while libcups uses it
    std::unique_ptr<Deadline> deadline_;
    std::unique_ptr<Connection> connection_;
    std::string lastFailure_;  ///< why the last request of ask or askAttributes got no answer
};

}  // namespace trevalune

#include "printer/cups/cups_spooler.h"

#include <cups/cups.h>

#include <cstring>

namespace trevalune {

namespace {

/// Ends a request that has waited longer than the connection's timeout.
int giveUp(http_t*, void*) {
    return 0;
}

struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() = default;
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
    ~Dests() { cupsFreeDests(count, list); }
};

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

/// The server as CUPS addresses it: a socket path, or host and port.
std::string serverName() {
    const std::string host = cupsServer();
    if (host.empty() || host.front() == '/') return host;
    return host + ":" + std::to_string(ippPort());
}

/// Why the last request on `http` failed: the server's words, or the transport's when the
/// server never answered (libcups then says only "Success" or "Internal Server Error").
std::string lastReason(http_t* http) {
    if (const int error = httpError(http); error != 0) {
        return std::strerror(error) + std::string(" (") + serverName() + ")";
    }
    return cupsLastErrorString();
}

/// True when the request failed before the server answered it.
bool noAnswer(http_t* http, const ipp_t* response) {
    return response == nullptr &&
           (httpError(http) != 0 || cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
}

std::string printerUri(const std::string& printer) {
    char uri[HTTP_MAX_URI];
    if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/printers/%s", printer.c_str()) != HTTP_URI_STATUS_OK) {
        return {};
    }
    return uri;
}

}  // namespace

struct CupsSpooler::Connection {
    struct Closer {
        void operator()(http_t* http) const { httpClose(http); }
    };
    std::unique_ptr<http_t, Closer> http;
};

CupsSpooler::CupsSpooler(int timeoutMs) : timeoutMs_(timeoutMs) {}

CupsSpooler::~CupsSpooler() = default;

CupsSpooler::Connection* CupsSpooler::connection() {
    if (connection_) {
        http_t* http = connection_->http.get();
        // Kept between documents; the server may have closed it meanwhile (restarted, idle
        // timeout). An idle connection with something to read has been closed by the server.
        // Reconnecting here keeps the time bounded: libcups' own reconnect waits 30 s.
        if (httpGetFd(http) >= 0 && !httpWait(http, 0)) return connection_.get();
        if (httpReconnect2(http, timeoutMs_, nullptr) == 0) return connection_.get();
        connection_.reset();
        return nullptr;
    }
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                /*blocking=*/1, timeoutMs_, nullptr);
    if (http == nullptr) return nullptr;
    httpSetTimeout(http, timeoutMs_ / 1000.0, giveUp, nullptr);
    connection_ = std::make_unique<Connection>(Connection{{http, {}}});
    return connection_.get();
}

PrinterList CupsSpooler::listPrinters() {
    PrinterList list;
    Connection* c = connection();
    if (c == nullptr) {
        list.unreachableServer = serverName();
        return list;
    }
    Dests dests;
    dests.count = cupsGetDests2(c->http.get(), &dests.list);
    // No destinations with a transport error is a server that stopped answering; with
    // "not found" it is a server that simply has no printers.
    if (dests.count == 0 && cupsLastError() >= IPP_STATUS_ERROR_INTERNAL) {
        list.unreachableServer = serverName();
    }
    dropIfBroken();
    for (int i = 0; i < dests.count; ++i) {
        if (dests.list[i].instance == nullptr) list.names.emplace_back(dests.list[i].name);
    }
    return list;
}

SendResult CupsSpooler::sendRawDocument(const std::string& printer, const std::string& documentName,
                                        std::string_view data) {
    Connection* c = connection();
    if (c == nullptr) return SendResult::notOpened("no print server answers at " + serverName());
    http_t* http = c->http.get();
    const std::string uri = printerUri(printer);
    if (uri.empty()) return SendResult::notOpened();

    // Create-Job asked directly: cupsCreateJob would first look the destination up and ask
    // for its attributes, two more requests per document, and for a name it does not find
    // at once it may browse the network for a minute. The server's "not found" is the answer
    // to whether the queue exists.
    ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 documentName.c_str());
    const std::string resource = "/printers/" + printer;
    const Ipp response(cupsDoRequest(http, request, resource.c_str()));
    if (noAnswer(http, response.get())) {
        const std::string reason = lastReason(http);
        // A late answer to this request must not be read as the answer to the next one.
        connection_.reset();
        return SendResult::notOpened(reason);
    }
    const ipp_status_t created = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (created == IPP_STATUS_ERROR_NOT_FOUND) return SendResult::notOpened(lastReason(http));
    ipp_attribute_t* id =
        response ? ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER) : nullptr;
    if (created > IPP_STATUS_OK_CONFLICTING || id == nullptr) {
        return SendResult::notTaken(lastReason(http));
    }
    const int job = ippGetInteger(id, 0);

    // Always raw: the bytes are printer commands and must not be filtered.
    bool ok = cupsStartDocument(http, printer.c_str(), job, documentName.c_str(), CUPS_FORMAT_RAW,
                                1) == HTTP_STATUS_CONTINUE;
    if (ok && !data.empty()) {
        ok = cupsWriteRequestData(http, data.data(), data.size()) == HTTP_STATUS_CONTINUE;
    }
    // Any successful status counts (ignored or substituted attributes are still success).
    if (ok) ok = cupsFinishDocument(http, printer.c_str()) <= IPP_STATUS_OK_CONFLICTING;
    if (ok) return SendResult::taken(job);

    const std::string reason = lastReason(http);
    // A half-written job must not print: take it back, on a fresh connection, since the
    // broken request leaves this one in an unknown state.
    connection_.reset();
    if (Connection* again = connection()) {
        cupsCancelJob2(again->http.get(), printer.c_str(), job, 0);
    }
    return SendResult::notTaken(reason);
}

JobQuery CupsSpooler::queryActiveJobs(const std::string& printer) {
    Connection* c = connection();
    if (c == nullptr) return {};
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(c->http.get(), &jobs, printer.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    if (jobs) cupsFreeJobs(count, jobs);
    dropIfBroken();
    if (count <= 0) return {};
    // The Windows query is limited to 99 records; keep the same horizon here.
    return JobQuery{true, count > 99 ? 99 : count};
}

void CupsSpooler::setDefaultPrinter(const std::string& printer) {
    Connection* c = connection();
    if (c == nullptr) return;
    Dests dests;
    dests.count = cupsGetDests2(c->http.get(), &dests.list);
    bool found = false;
    for (int i = 0; i < dests.count; ++i) {
        const bool match = dests.list[i].instance == nullptr && printer == dests.list[i].name;
        dests.list[i].is_default = match ? 1 : 0;
        found = found || match;
    }
    if (found) cupsSetDests2(c->http.get(), dests.count, dests.list);
    dropIfBroken();
}

void CupsSpooler::dropIfBroken() {
    if (connection_ && httpError(connection_->http.get()) != 0) connection_.reset();
}

}  // namespace trevalune

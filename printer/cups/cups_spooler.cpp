#include "printer/cups/cups_spooler.h"

#include <cups/cups.h>

#include <memory>

namespace trevalune {

namespace {

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpCloser>;

/// Ends a request that has waited longer than the connection's timeout.
int giveUp(http_t*, void*) {
    return 0;
}

Connection connect(int timeoutMs) {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                /*blocking=*/1, timeoutMs, nullptr);
    if (http) httpSetTimeout(http, timeoutMs / 1000.0, giveUp, nullptr);
    return Connection(http);
}

/// "Opening" the printer: the server must know the queue. Asked directly on the bounded
/// connection; cupsGetNamedDest would, for a name it does not find at once (or a server
/// that does not answer), go on browsing the network on the default connection, which
/// waits a minute per request and could even match a printer that is not a queue here.
bool queueExists(http_t* http, const std::string& printer) {
    char uri[HTTP_MAX_URI];
    if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/printers/%s", printer.c_str()) != HTTP_URI_STATUS_OK) {
        return false;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    ipp_t* response = cupsDoRequest(http, request, "/");
    const bool found =
        response != nullptr && ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING;
    ippDelete(response);
    return found;
}

struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() = default;
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
    ~Dests() { cupsFreeDests(count, list); }
};

/// The server as CUPS addresses it: a socket path, or host and port.
std::string serverName() {
    const std::string host = cupsServer();
    if (host.empty() || host.front() == '/') return host;
    return host + ":" + std::to_string(ippPort());
}

}  // namespace

CupsSpooler::CupsSpooler(int timeoutMs) : timeoutMs_(timeoutMs) {}

PrinterList CupsSpooler::listPrinters() {
    PrinterList list;
    Connection http = connect(timeoutMs_);
    if (!http) {
        list.unreachableServer = serverName();
        return list;
    }
    Dests dests;
    dests.count = cupsGetDests2(http.get(), &dests.list);
    // No destinations with a transport error is a server that stopped answering; with
    // "not found" it is a server that simply has no printers.
    if (dests.count == 0 && cupsLastError() >= IPP_STATUS_ERROR_INTERNAL) {
        list.unreachableServer = serverName();
    }
    for (int i = 0; i < dests.count; ++i) {
        if (dests.list[i].instance == nullptr) list.names.emplace_back(dests.list[i].name);
    }
    return list;
}

bool CupsSpooler::sendRawDocument(const std::string& printer, const std::string& documentName,
                                  std::string_view data) {
    Connection http = connect(timeoutMs_);
    if (!http) return false;
    if (!queueExists(http.get(), printer)) return false;

    const int job = cupsCreateJob(http.get(), printer.c_str(), documentName.c_str(), 0, nullptr);
    if (job <= 0) return true;  // opened, but the spooler refused: not detected, as on Windows
    // Always raw: the bytes are printer commands and must not be filtered.
    bool ok = cupsStartDocument(http.get(), printer.c_str(), job, documentName.c_str(),
                                CUPS_FORMAT_RAW, 1) == HTTP_STATUS_CONTINUE;
    if (ok && !data.empty()) {
        ok = cupsWriteRequestData(http.get(), data.data(), data.size()) == HTTP_STATUS_CONTINUE;
    }
    // Any successful status counts (ignored or substituted attributes are still success).
    if (ok) ok = cupsFinishDocument(http.get(), printer.c_str()) <= IPP_STATUS_OK_CONFLICTING;
    if (!ok) {
        // A half-written job must not print: take it back.
        if (Connection again = connect(timeoutMs_)) {
            cupsCancelJob2(again.get(), printer.c_str(), job, 0);
        }
    }
    return true;
}

JobQuery CupsSpooler::queryActiveJobs(const std::string& printer) {
    Connection http = connect(timeoutMs_);
    if (!http) return {};
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(http.get(), &jobs, printer.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    if (jobs) cupsFreeJobs(count, jobs);
    if (count <= 0) return {};
    // The Windows query is limited to 99 records; keep the same horizon here.
    return JobQuery{true, count > 99 ? 99 : count};
}

void CupsSpooler::setDefaultPrinter(const std::string& printer) {
    Connection http = connect(timeoutMs_);
    if (!http) return;
    Dests dests;
    dests.count = cupsGetDests2(http.get(), &dests.list);
    bool found = false;
    for (int i = 0; i < dests.count; ++i) {
        const bool match = dests.list[i].instance == nullptr && printer == dests.list[i].name;
        dests.list[i].is_default = match ? 1 : 0;
        found = found || match;
    }
    if (found) cupsSetDests2(http.get(), dests.count, dests.list);
}

}  // namespace trevalune

#include "printer/cups/cups_spooler.h"

#include <cups/cups.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <span>
#include <stop_token>
#include <thread>
#include <utility>

namespace trevalune {

namespace {

/// A document is written in parts of this size, each with a fresh deadline: a slow but
/// living server is not cut off in the middle of a large file.
constexpr std::size_t kWritePart = 1 << 20;

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

/// `pattern` with {1} the server and {2} `detail`.
std::string said(std::string pattern, const std::string& detail = {}) {
    for (const auto& [mark, value] : {std::pair{"{1}", serverName()}, std::pair{"{2}", detail}}) {
        for (std::size_t at; (at = pattern.find(mark)) != std::string::npos;) {
            pattern.replace(at, 3, value);
        }
    }
    return pattern;
}

/// "5 s", "0.5 s": the limit on one request as the operator gave it, {1} of `unit`.
std::string limitText(int milliseconds, const std::string& unit) {
    std::string text = std::to_string(milliseconds / 1000);
    if (int rest = milliseconds % 1000; rest != 0) {
        std::string digits = std::to_string(1000 + rest).substr(1);
        while (digits.back() == '0') digits.pop_back();
        text += "." + digits;
    }
    std::string out = unit;
    out.replace(out.find("{1}"), 3, text);
    return out;
}

/// True when the request failed before the server answered it.
bool noAnswer(http_t* http, const ipp_t* response) {
    return response == nullptr &&
           (httpError(http) != 0 || cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
}

constexpr double kNoLimitSeconds = 24 * 3600.0;

/// Ends a request that has waited longer than the connection's timeout.
int giveUp(http_t*, void*) {
    return 0;
}

/// Within a step, waits on while the step's end (`end`, a steady_clock time point) is ahead.
int giveUpAtStepEnd(http_t*, void* end) {
    return std::chrono::steady_clock::now() <
                   *static_cast<const std::chrono::steady_clock::time_point*>(end)
               ? 1
               : 0;
}

/// How often a wait within a step looks at the step's end.
constexpr double kStepPollSeconds = 0.1;

/// libcups' own timeout, for the calls that make several requests and reconnect between
/// them (the destination list): the deadline would cut off only the first of them. It costs
/// a poll before every read, so the document path does without it. Within a step every wait
/// ends with the step, however many requests the call makes.
class LibcupsTimeout final {
public:
    LibcupsTimeout(http_t* http, int timeoutMs,
                   const std::optional<std::chrono::steady_clock::time_point>& stepEnd)
        : http_(http) {
        if (stepEnd) {
            httpSetTimeout(http_, kStepPollSeconds, giveUpAtStepEnd,
                           const_cast<std::chrono::steady_clock::time_point*>(&*stepEnd));
        } else {
            httpSetTimeout(http_, timeoutMs / 1000.0, giveUp, nullptr);
        }
    }
    // httpSetTimeout ignores a timeout of 0 and would leave the callback (and the socket's
    // send and receive limits) in place for every later request: a day and no callback is
    // libcups' way back to none.
    ~LibcupsTimeout() { httpSetTimeout(http_, kNoLimitSeconds, nullptr, nullptr); }
    LibcupsTimeout(const LibcupsTimeout&) = delete;
    LibcupsTimeout& operator=(const LibcupsTimeout&) = delete;

private:
    http_t* http_;
};

std::string printerUri(const std::string& printer) {
    char uri[HTTP_MAX_URI];
    if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/printers/%s", printer.c_str()) != HTTP_URI_STATUS_OK) {
        return {};
    }
    return uri;
}

/// Every value of a keyword attribute, in the server's words.
std::vector<std::string> keywords(ipp_t* response, const char* name) {
    std::vector<std::string> out;
    if (ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_KEYWORD)) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            const char* word = ippGetString(a, i, nullptr);
            if (word != nullptr && std::strcmp(word, "none") != 0) out.emplace_back(word);
        }
    }
    return out;
}

std::string textOf(ipp_t* response, const char* name) {
    ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_TEXT);
    const char* text = a ? ippGetString(a, 0, nullptr) : nullptr;
    return text ? text : "";
}

int integerOf(ipp_t* response, const char* name, ipp_tag_t tag, int otherwise) {
    ipp_attribute_t* a = ippFindAttribute(response, name, tag);
    return a ? ippGetInteger(a, 0) : otherwise;
}

}  // namespace

void CupsSpooler::IppDeleter::operator()(ipp_t* ipp) const {
    ippDelete(ipp);
}

/// Bounds the time of a single request on the kept connection. libcups' own timeout
/// (httpSetTimeout) polls the socket before each of the many small reads of an IPP answer,
/// which made every document a fifth slower than libcups without it; instead, a watch thread
/// shuts the socket down when a request outlives its deadline, and libcups, seeing the
/// connection end, fails the request. Arming and disarming are atomic stores: nothing is
/// asked of the system per request.
class CupsSpooler::Deadline final {
    using Clock = std::chrono::steady_clock;

public:
    explicit Deadline(std::chrono::milliseconds limit)
        : limit_(limit), watch_([this](const std::stop_token& stop) { run(stop); }) {}

    /// From now on the request on `fd` has `limit` to finish, or until the step's end.
    void arm(int fd) {
        fd_.store(fd);
        expired_.store(false);
        Clock::rep at = (Clock::now() + limit_).time_since_epoch().count();
        if (const Clock::rep end = stepEnd_.load(); end != 0) at = std::min(at, end);
        at_.store(at);
    }
    /// A step's end (none: 0) that every request armed from now on keeps to.
    void boundStep(std::optional<Clock::time_point> end) {
        stepEnd_.store(end ? end->time_since_epoch().count() : 0);
    }
    void disarm() { at_.store(0); }
    /// Whether the last request armed was cut off.
    bool expired() const { return expired_.load(); }

private:
    void run(const std::stop_token& stop) {
        std::mutex mutex;
        std::unique_lock lock(mutex);
        while (!stop.stop_requested()) {
            Clock::rep at = at_.load();
            const Clock::time_point now = Clock::now();
            // Only the deadline seen here: a request armed meanwhile keeps its own.
            if (at != 0 && now.time_since_epoch().count() >= at &&
                at_.compare_exchange_strong(at, 0)) {
                expired_.store(true);
                ::shutdown(fd_.load(), SHUT_RDWR);
                continue;
            }
            // A later deadline, armed while this one slept, is found on waking.
            const Clock::time_point wake =
                at != 0 ? Clock::time_point(Clock::duration(at)) : now + limit_;
            sleeping_.wait_until(lock, stop, wake, [] { return false; });
        }
    }

    const std::chrono::milliseconds limit_;
    std::atomic<int> fd_{-1};
    std::atomic<Clock::rep> at_{0};
    std::atomic<Clock::rep> stepEnd_{0};
    std::atomic<bool> expired_{false};
    std::condition_variable_any sleeping_;
    std::jthread watch_;  // last: it uses the members above, and is joined first
};

/// One request under way on `http`, bounded by the deadline.
class CupsSpooler::Request final {
public:
    Request(Deadline& deadline, http_t* http) : deadline_(deadline), http_(http) { renew(); }
    ~Request() { deadline_.disarm(); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    /// A fresh deadline for the next part of a long request.
    void renew() { deadline_.arm(httpGetFd(http_)); }

private:
    Deadline& deadline_;
    http_t* http_;
};

struct CupsSpooler::Connection {
    struct Closer {
        void operator()(http_t* http) const { httpClose(http); }
    };
    std::unique_ptr<http_t, Closer> http;
    bool loginGiven = false;  ///< the login's answer went out on this connection
};

CupsSpooler::CupsSpooler(int timeoutMs, CupsLogin* login, CupsWords words)
    : timeoutMs_(timeoutMs),
      login_(login),
      words_(std::move(words)),
      deadline_(std::make_unique<Deadline>(std::chrono::milliseconds(timeoutMs))) {
    if (login_ != nullptr) cupsSetPasswordCB2(answerLogin, this);
}

CupsSpooler::~CupsSpooler() {
    // The callback must not outlive the spooler it points at.
    if (login_ != nullptr) cupsSetPasswordCB2(nullptr, nullptr);
}

const char* CupsSpooler::answerLogin(const char*, http_t* http, const char*, const char*,
                                     void* self) {
    auto* spooler = static_cast<CupsSpooler*>(self);
    Connection* c = spooler->connection_.get();
    // libcups asks again, without end, while the server refuses what it was given: a second
    // question on a connection that already had the answer is the server's refusal.
    if (c == nullptr || c->http.get() != http || c->loginGiven) {
        spooler->lastLogin_ = Login::Refused;
        return nullptr;
    }
    // The operator's typing is not the server's time.
    spooler->deadline_->disarm();
    std::optional<std::string> answer = spooler->login_->password(cupsUser(), serverName());
    spooler->deadline_->arm(httpGetFd(http));
    if (!answer) {
        spooler->lastLogin_ = Login::NoneToGive;
        return nullptr;
    }
    spooler->password_ = std::move(*answer);
    spooler->lastLogin_ = Login::Given;
    c->loginGiven = true;
    return spooler->password_.c_str();
}

std::string CupsSpooler::lastReason(http_t* http, bool whole) const {
    // libcups says only "Success" or "Internal Server Error" when the server never answered,
    // and "Success" when the server refused the request's data before it had all of it.
    if (deadline_->expired()) return said(words_.noAnswer, limitText(timeoutMs_, words_.seconds));
    // Without this, a refused login reads as libcups' "Unauthorized" with no server, or as a
    // time limit when the prompt took long.
    if (lastLogin_ == Login::Refused) {
        return said(words_.loginRefused, httpStatus(HTTP_STATUS_UNAUTHORIZED));
    }
    if (lastLogin_ == Login::NoneToGive) {
        return said(words_.noLoginToGive, httpStatus(HTTP_STATUS_UNAUTHORIZED));
    }
    if (const int error = httpError(http); error != 0) {
        return std::strerror(error) + std::string(" (") + serverName() + ")";
    }
    if (const http_status_t status = httpGetStatus(http); status >= HTTP_STATUS_BAD_REQUEST) {
        return httpStatus(status);
    }
    // libcups files a broken transfer as an internal error with errno's text, "Success" when
    // the connection simply ended.
    if (const std::string said = cupsLastErrorString();
        cupsLastError() > IPP_STATUS_OK_CONFLICTING && said != std::strerror(0)) {
        return said;
    }
    return said(whole ? words_.closedBeforeAnswer : words_.closedMidDocument);
}

void CupsSpooler::boundStep(std::optional<std::chrono::steady_clock::time_point> end) {
    stepEnd_ = end;
    deadline_->boundStep(end);
}

int CupsSpooler::limitMs() const {
    if (!stepEnd_) return timeoutMs_;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        *stepEnd_ - std::chrono::steady_clock::now());
    // Never 0: libcups reads that as "no limit".
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 1, timeoutMs_));
}

CupsSpooler::Connection* CupsSpooler::connection() {
    if (connection_) {
        http_t* http = connection_->http.get();
        // Kept between documents; the server may have closed it meanwhile (restarted, idle
        // timeout). An idle connection with something to read has been closed by the server.
        // Reconnecting here keeps the time bounded: libcups' own reconnect waits 30 s.
        if (httpGetFd(http) >= 0 && !httpWait(http, 0)) return connection_.get();
        if (httpReconnect2(http, limitMs(), nullptr) == 0) return connection_.get();
        connection_.reset();
        return nullptr;
    }
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                /*blocking=*/1, limitMs(), nullptr);
    if (http == nullptr) return nullptr;
    connection_ = std::make_unique<Connection>(Connection{{http, {}}, false});
    return connection_.get();
}

void CupsSpooler::dropIfBroken() {
    if (connection_ && (deadline_->expired() || httpError(connection_->http.get()) != 0)) {
        connection_.reset();
    }
}

bool CupsSpooler::stepOver() const {
    return stepEnd_ && std::chrono::steady_clock::now() >= *stepEnd_;
}

PrinterList CupsSpooler::listPrinters() {
    PrinterList list;
    Connection* c = stepOver() ? nullptr : connection();
    if (c == nullptr) {
        list.unreachableServer = serverName();
        return list;
    }
    Dests dests;
    {
        const LibcupsTimeout bounded(c->http.get(), limitMs(), stepEnd_);
        dests.count = cupsGetDests2(c->http.get(), &dests.list);
    }
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

CupsSpooler::Sent CupsSpooler::post(http_t* http, ipp_t* request, const std::string& resource,
                                    const Body& body, Ipp& answer) {
    Request bounded(*deadline_, http);
    httpClearFields(http);
    httpSetExpect(http, HTTP_STATUS_CONTINUE);
    httpSetField(http, HTTP_FIELD_CONTENT_TYPE, "application/ipp");
    // A length of 0 makes libcups send the body in chunks: a stream's length is not known.
    httpSetLength(http, body.length == 0 ? 0 : ippLength(request) + body.length);
    // The login given earlier on this connection, if any.
    httpSetField(http, HTTP_FIELD_AUTHORIZATION, httpGetAuthString(http));
    if (httpPost(http, resource.c_str()) != 0) return Sent::Nothing;
    ippSetState(request, IPP_STATE_IDLE);
    for (ipp_state_t state; (state = ippWrite(http, request)) != IPP_STATE_DATA;) {
        if (state == IPP_STATE_ERROR) return Sent::Nothing;
    }
    // The document goes only once the server has said "100 Continue". cupsSendRequest sends
    // it after a second whatever the server said: a server that is stopped or overwhelmed
    // would be handed a document it never invited, and the document would become unknown
    // instead of not sent. The deadline ends the wait first (it shuts the socket), so the
    // reason names the limit.
    if (httpFlushWrite(http) < 0 || !httpWait(http, timeoutMs_ + 1000)) return Sent::Nothing;
    if (const http_status_t early = httpUpdate(http); early != HTTP_STATUS_CONTINUE) {
        // Refused on its headers alone (too large, a login first): the answer is the reason.
        httpFlush(http);
        if (early == HTTP_STATUS_UNAUTHORIZED &&
            cupsDoAuthentication(http, "POST", resource.c_str()) == 0) {
            httpReconnect2(http, timeoutMs_, nullptr);
        }
        return Sent::Nothing;
    }
    // One part ahead, so that the last part is known as the last when it goes out. A stream's
    // wait for its next part is not the server's: the limit starts again after it.
    std::string_view part = body.next();
    while (!part.empty()) {
        bounded.renew();
        const http_status_t written = cupsWriteRequestData(http, part.data(), part.size());
        bounded.renew();
        const std::string_view following = written == HTTP_STATUS_CONTINUE ? body.next() : "";
        if (written == HTTP_STATUS_OK) {
            // The server answered already: at once after the last part (a quick server), or
            // early to refuse the rest. Either way the answer says what became of it, as
            // libcups' own requests read it.
            const std::string_view after = body.next();
            answer.reset(cupsGetResponse(http, resource.c_str()));
            return after.empty() ? Sent::Whole : Sent::Part;
        }
        if (written != HTTP_STATUS_CONTINUE) {
            // A server that refuses the data part-way answers and closes; a write that ran
            // into the closed connection has not read that answer yet. Read it for the reason.
            bounded.renew();
            if (httpGetStatus(http) < HTTP_STATUS_BAD_REQUEST) {
                while (httpUpdate(http) == HTTP_STATUS_CONTINUE) {
                }
            }
            return Sent::Part;
        }
        part = following;
    }
    // Without its last chunk the server discards the request: no job of a document cut short.
    if (body.cut()) return Sent::Part;
    bounded.renew();
    // A login asked for after the document is answered here (the request is then made again).
    answer.reset(cupsGetResponse(http, resource.c_str()));
    return Sent::Whole;
}

SendResult CupsSpooler::sendRawDocument(const std::string& printer, const std::string& documentName,
                                        std::string_view data) {
    const auto body = [data] {
        return Body{[rest = data]() mutable {
                        const std::string_view part = rest.substr(0, kWritePart);
                        rest.remove_prefix(part.size());
                        return part;
                    },
                    data.size()};
    };
    return printJob(printer, documentName, body, true);
}

SendResult CupsSpooler::sendRawStream(const std::string& printer, const std::string& documentName,
                                      DocumentStream& stream) {
    const auto body = [&stream] {
        return Body{[&stream] { return stream.next(); }, 0,
                    [&stream] { return !stream.failure().empty(); }};
    };
    SendResult result = printJob(printer, documentName, body, false);
    if (const std::string why = stream.failure(); !why.empty()) {
        connection_.reset();  // the request stays unfinished: the server makes no job of it
        return SendResult::notTaken(why);
    }
    return result;
}

SendResult CupsSpooler::printJob(const std::string& printer, const std::string& documentName,
                                 const std::function<Body()>& body, bool again) {
    Connection* c = connection();
    if (c == nullptr) return SendResult::notOpened(said(words_.noServer));
    http_t* http = c->http.get();
    const std::string uri = printerUri(printer);
    if (uri.empty()) return SendResult::notOpened();
    lastLogin_ = Login::NotAsked;

    // One Print-Job request per document, asked directly: Create-Job and Send-Document cost
    // a second request and answer per document (measured: the page took nearly twice as
    // long), and between them a job exists without its document. cupsPrintFile would first
    // look the destination up, and for a name it does not find at once may browse the
    // network for a minute; the server's "not found" is the answer to whether the queue
    // exists. The job is created only once the server has the whole document, so a document
    // cut short leaves no job to take back.
    const Ipp job(ippNewRequest(IPP_OP_PRINT_JOB));
    ippAddString(job.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(job.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(job.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 documentName.c_str());
    // Always raw: the bytes are printer commands and must not be filtered.
    ippAddString(job.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 CUPS_FORMAT_RAW);
    const std::string resource = "/printers/" + printer;
    Ipp answer;
    Sent sent = Sent::Nothing;
    // A server that asks for a login is asked again, once, with the answer just given.
    // A stream cannot be read twice: it is asked again only when none of it went out.
    for (int round = 0; round < 2; ++round) {
        sent = post(http, job.get(), resource, body(), answer);
        if (answer || lastLogin_ != Login::Given ||
            httpGetStatus(http) != HTTP_STATUS_UNAUTHORIZED || (!again && sent != Sent::Nothing)) {
            break;
        }
    }

    // libcups gives the kept answer once more before it asks again: a 401 after the login
    // went out on this connection is the server's refusal, not a silence.
    if (!answer && httpGetStatus(http) == HTTP_STATUS_UNAUTHORIZED && c->loginGiven) {
        lastLogin_ = Login::Refused;
    }
    if (answer) {
        const ipp_status_t status = ippGetStatusCode(answer.get());
        // Any successful status counts (ignored or substituted attributes are still success).
        if (status <= IPP_STATUS_OK_CONFLICTING) {
            ipp_attribute_t* id = ippFindAttribute(answer.get(), "job-id", IPP_TAG_INTEGER);
            return SendResult::taken(id ? ippGetInteger(id, 0) : 0);
        }
        if (status == IPP_STATUS_ERROR_NOT_FOUND) return SendResult::notOpened(lastReason(http));
        return SendResult::notTaken(lastReason(http));
    }
    const http_status_t status = httpGetStatus(http);
    // The server's own HTTP refusal is an answer, not a silence.
    const bool refused = !deadline_->expired() && httpError(http) == 0 &&
                         status >= HTTP_STATUS_BAD_REQUEST &&
                         status < HTTP_STATUS_CUPS_AUTHORIZATION_CANCELED;
    const bool login = lastLogin_ == Login::Refused || lastLogin_ == Login::NoneToGive;
    const std::string reason = lastReason(http, sent == Sent::Whole);
    // A late answer to this request must not be read as the answer to the next one.
    connection_.reset();
    if (login || (sent == Sent::Nothing && !refused)) return SendResult::notOpened(reason);
    if (sent == Sent::Whole && !refused) {
        // Every byte went out and no answer came: the server may have the document whole and
        // print it. Its job id was in the answer that never came.
        return SendResult::unknown(reason);
    }
    return SendResult::notTaken(reason);
}

JobQuery CupsSpooler::queryActiveJobs(const std::string& printer) {
    Connection* c = connection();
    if (c == nullptr) return {};
    cups_job_t* jobs = nullptr;
    int count = 0;
    {
        const Request request(*deadline_, c->http.get());
        count = cupsGetJobs2(c->http.get(), &jobs, printer.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    }
    if (jobs) cupsFreeJobs(count, jobs);
    dropIfBroken();
    if (count <= 0) return {};
    return JobQuery{true, std::min(count, kMaxPolledJobs)};
}

CupsSpooler::Ipp CupsSpooler::ask(ipp_t* request, const std::string& resource) {
    if (stepOver()) {
        ippDelete(request);
        lastFailure_ = said(words_.noAnswer, limitText(timeoutMs_, words_.seconds));
        return nullptr;
    }
    Connection* c = connection();
    if (c == nullptr) {
        ippDelete(request);
        lastFailure_ = said(words_.noServer);
        return nullptr;
    }
    Ipp response;
    lastLogin_ = Login::NotAsked;
    {
        const Request bounded(*deadline_, c->http.get());
        response.reset(cupsDoRequest(c->http.get(), request, resource.c_str()));
    }
    if (noAnswer(c->http.get(), response.get())) {
        lastFailure_ = lastReason(c->http.get(), true);
        connection_.reset();
        return nullptr;
    }
    return response;
}

CupsSpooler::Ipp CupsSpooler::askAttributes(int operation, const std::string& printerUri, int jobId,
                                            std::span<const char* const> wanted) {
    ipp_t* request = ippNewRequest(static_cast<ipp_op_t>(operation));
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri.c_str());
    if (jobId != 0) ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(wanted.size()), nullptr, wanted.data());
    Ipp response = ask(request, "/");
    if (response && ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) {
        lastFailure_ = cupsLastErrorString();  // the server's words: "Job #4 does not exist."
        response.reset();
    }
    return response;
}

PrinterState CupsSpooler::printerState(const std::string& printer) {
    PrinterState state;
    const std::string uri = printerUri(printer);
    if (uri.empty()) return state;
    static const char* const kWanted[] = {"printer-state", "printer-state-reasons",
                                          "printer-state-message", "printer-is-accepting-jobs",
                                          "queued-job-count"};
    const Ipp response = askAttributes(IPP_OP_GET_PRINTER_ATTRIBUTES, uri, 0, kWanted);
    if (!response) return state;
    state.found = true;
    switch (integerOf(response.get(), "printer-state", IPP_TAG_ENUM, IPP_PSTATE_IDLE)) {
        case IPP_PSTATE_PROCESSING:
            state.state = PrinterState::State::Printing;
            break;
        case IPP_PSTATE_STOPPED:
            state.state = PrinterState::State::Stopped;
            break;
        default:
            state.state = PrinterState::State::Idle;
    }
    ipp_attribute_t* accepting =
        ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    state.acceptingJobs = accepting == nullptr || ippGetBoolean(accepting, 0) != 0;
    state.reasons = keywords(response.get(), "printer-state-reasons");
    state.message = textOf(response.get(), "printer-state-message");
    state.jobsWaiting = integerOf(response.get(), "queued-job-count", IPP_TAG_INTEGER, 0);
    return state;
}

JobState CupsSpooler::jobState(const std::string& printer, int jobId) {
    // CUPS keeps its jobs' history, so a job it cannot tell about is not known, never "gone":
    // the server stopped answering, or the queue was deleted with it.
    JobState job;
    job.state = JobState::State::Unknown;
    const std::string uri = printerUri(printer);
    if (uri.empty()) {
        job.message = words_.nameNotInRequest;
        return job;
    }
    static const char* const kWanted[] = {"job-state", "job-state-reasons",
                                          "job-printer-state-message"};
    const Ipp response = askAttributes(IPP_OP_GET_JOB_ATTRIBUTES, uri, jobId, kWanted);
    if (!response) {
        job.message = lastFailure_;
        return job;
    }
    // The IPP job states 3 (pending) to 9 (completed), in order.
    constexpr JobState::State kStates[] = {JobState::State::Pending,  JobState::State::Held,
                                           JobState::State::Printing, JobState::State::Stopped,
                                           JobState::State::Canceled, JobState::State::Aborted,
                                           JobState::State::Completed};
    const int ippState = integerOf(response.get(), "job-state", IPP_TAG_ENUM, 0);
    if (ippState < IPP_JSTATE_PENDING || ippState > IPP_JSTATE_COMPLETED) {
        job.message = words_.noJobState;
        return job;
    }
    job.state = kStates[ippState - IPP_JSTATE_PENDING];
    job.reasons = keywords(response.get(), "job-state-reasons");
    job.message = textOf(response.get(), "job-printer-state-message");
    return job;
}

void CupsSpooler::setDefaultPrinter(const std::string& printer) {
    Connection* c = connection();
    if (c == nullptr) return;
    {
        const LibcupsTimeout bounded(c->http.get(), limitMs(), stepEnd_);
        Dests dests;
        dests.count = cupsGetDests2(c->http.get(), &dests.list);
        bool found = false;
        for (int i = 0; i < dests.count; ++i) {
            const bool match = dests.list[i].instance == nullptr && printer == dests.list[i].name;
            dests.list[i].is_default = match ? 1 : 0;
            found = found || match;
        }
        if (found) cupsSetDests2(c->http.get(), dests.count, dests.list);
    }
    dropIfBroken();
}

std::optional<std::string> CupsSpooler::defaultPrinter() {
    Connection* c = stepOver() ? nullptr : connection();
    if (c == nullptr) return std::nullopt;
    std::optional<std::string> found;
    {
        const LibcupsTimeout bounded(c->http.get(), limitMs(), stepEnd_);
        Dests dests;
        dests.count = cupsGetDests2(c->http.get(), &dests.list);
        for (int i = 0; i < dests.count; ++i) {
            if (dests.list[i].is_default) found = dests.list[i].name;
        }
    }
    dropIfBroken();
    return found;
}

}  // namespace trevalune

// link-bench: the 60 documents of the alignment test page through the tool's printer link,
// against bare libcups loops of the same documents on one kept connection, without checks:
// two requests per document (Create-Job, Send-Document: what the link does) and one
// (Print-Job), taking turns in one run. Run it with scripts/bench.

#include <CLI/CLI.hpp>

#include <cups/cups.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "alignment/test_print.h"
#include "common/guarded_main.h"
#include "printer/cups/cups_spooler.h"
#include "printer/message_sink.h"
#include "printer/link_messages.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// Counts what the link would have said: a benchmark run with a failure is worthless.
class Counted final : public trevalune::MessageSink, public trevalune::DiagnosticLog {
public:
    int said = 0;
    void write(std::string_view) override {}

protected:
    void show(std::string_view, std::string_view) override { ++said; }
};

/// The least that puts one raw document on a queue through libcups.
void bareDocument(http_t* http, const std::string& printer, const std::string& uri,
                  const std::string& data) {
    ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, "AAAAAA");
    ipp_t* response = cupsDoRequest(http, request, ("/printers/" + printer).c_str());
    ipp_attribute_t* id = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER);
    const int job = id ? ippGetInteger(id, 0) : 0;
    ippDelete(response);
    cupsStartDocument(http, printer.c_str(), job, "AAAAAA", CUPS_FORMAT_RAW, 1);
    cupsWriteRequestData(http, data.data(), data.size());
    cupsFinishDocument(http, printer.c_str());
}

/// The same document as one Print-Job request: the attributes and the bytes in one body.
void bareOneRequest(http_t* http, const std::string& printer, const std::string& uri,
                    const std::string& data) {
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, "AAAAAA");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 CUPS_FORMAT_RAW);
    const std::string resource = "/printers/" + printer;
    if (cupsSendRequest(http, request, resource.c_str(), ippLength(request) + data.size()) ==
        HTTP_STATUS_CONTINUE) {
        cupsWriteRequestData(http, data.data(), data.size());
    }
    ippDelete(cupsGetResponse(http, resource.c_str()));
    ippDelete(request);
}

void drain(trevalune::CupsSpooler& spooler, const std::string& printer) {
    const auto start = Clock::now();
    while (spooler.queryActiveJobs(printer).anyJobs && secondsSince(start) < 60) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// How long a connection to the print server may take to open before the run gives up.
constexpr int kConnectMilliseconds = 5000;

/// Each round's times of the whole page: through the link, and bare with two requests and
/// with one per document.
struct Times {
    std::vector<double> link, bare, one;
};

/// What a round prints the page through, and on.
struct Ways {
    const std::string& printer;
    trevalune::PrinterLink& link;
    http_t* http;                     ///< the bare loops' one kept connection
    trevalune::CupsSpooler& watcher;  ///< polls the queue on a connection of its own
};

/// Times the page `rounds` times each way. The three ways take turns, each first in one round
/// of three, so that none pays for another; the queue is drained before each.
Times timeRounds(const std::vector<trevalune::Bytes>& page, int rounds, const Ways& ways) {
    const std::string& printer = ways.printer;
    trevalune::CupsSpooler& watcher = ways.watcher;
    http_t* http = ways.http;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", printer.c_str());
    Times times;
    const auto timeLink = [&] {
        drain(watcher, printer);
        const auto start = Clock::now();
        ways.link.beginOperation();
        for (const auto& document : page) ways.link.sendDocument(document);
        times.link.push_back(secondsSince(start));
    };
    const auto timeBare = [&] {
        drain(watcher, printer);
        const auto start = Clock::now();
        for (const auto& document : page) bareDocument(http, printer, uri, document);
        times.bare.push_back(secondsSince(start));
    };
    const auto timeOne = [&] {
        drain(watcher, printer);
        const auto start = Clock::now();
        for (const auto& document : page) bareOneRequest(http, printer, uri, document);
        times.one.push_back(secondsSince(start));
    };
    const std::function<void()> runs[] = {timeLink, timeBare, timeOne};
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < std::size(runs); ++i) {
            runs[(static_cast<std::size_t>(round) + i) % std::size(runs)]();
        }
    }
    return times;
}

void printTimes(const Times& times, std::size_t documents, int rounds) {
    const double linkMedian = median(times.link);
    const double bareMedian = median(times.bare);
    // Each round's two runs are next to each other in time: their ratio is the least
    // disturbed by what else the machine does.
    std::vector<double> ratios;
    for (std::size_t i = 0; i < times.link.size(); ++i)
        ratios.push_back(times.link[i] / times.bare[i]);
    std::printf("alignment test page, %zu documents, %d rounds each, medians:\n", documents,
                rounds);
    std::printf("  printer link       %.3f s\n", linkMedian);
    std::printf("  bare, two requests %.3f s  (Create-Job + Send-Document)\n", bareMedian);
    std::printf("  bare, one request  %.3f s  (Print-Job)\n", median(times.one));
    std::printf("  ratio of medians   %.3f\n", linkMedian / bareMedian);
    std::printf("  median ratio       %.3f (of each round's pair)\n", median(ratios));
}

int run(int argc, char** argv) {
    std::string printer = "RZ7-virtual";
    int rounds = 9;
    CLI::App app("Times the link's documents against lp's, round by round.", "link-bench");
    app.add_option("--printer", printer, "the queue to print on")->capture_default_str();
    app.add_option("--rounds", rounds, "rounds to time")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    CLI11_PARSE(app, argc, argv);
    const std::vector<trevalune::Bytes> page = trevalune::buildAlignmentTest(trevalune::centreValueOf("31")).documents();

    trevalune::CupsSpooler spooler;
    trevalune::CupsSpooler watcher;
    Counted counted;
    trevalune::LinkMessages said(counted, counted);
    trevalune::PrinterLink link(spooler, said, [&printer] { return printer; });
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                kConnectMilliseconds, nullptr);
    if (http == nullptr) {
        std::fprintf(stderr, "link-bench: no print server at %s\n", cupsServer());
        return 1;
    }
    const Times times = timeRounds(page, rounds, {printer, link, http, watcher});
    httpClose(http);
    drain(watcher, printer);
    if (counted.said > 0) {
        std::fprintf(stderr, "link-bench: %d documents were not taken\n", counted.said);
        return 1;
    }
    printTimes(times, page.size(), rounds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return trevalune::guardedMain("link-bench", [&] { return run(argc, argv); });
}

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
    trevalune::CupsSpooler watcher;  // polls the queue on a connection of its own
    Counted counted;
    trevalune::LinkMessages said(counted, counted);
    trevalune::PrinterLink link(spooler, said, [&printer] { return printer; });
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                5000, nullptr);
    if (http == nullptr) {
        std::fprintf(stderr, "link-bench: no print server at %s\n", cupsServer());
        return 1;
    }
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", printer.c_str());

    std::vector<double> linkTimes;
    std::vector<double> bareTimes;
    std::vector<double> oneTimes;
    const auto timeLink = [&] {
        drain(watcher, printer);
        const auto start = Clock::now();
        link.beginOperation();
        for (const auto& document : page) link.sendDocument(document);
        linkTimes.push_back(secondsSince(start));
    };
    const auto timeBare = [&] {
        drain(watcher, printer);
        const auto start = Clock::now();
        for (const auto& document : page) bareDocument(http, printer, uri, document);
        bareTimes.push_back(secondsSince(start));
    };
    const auto timeOne = [&] {
        drain(watcher, printer);
        const auto start = Clock::now();
        for (const auto& document : page) bareOneRequest(http, printer, uri, document);
        oneTimes.push_back(secondsSince(start));
    };
    for (int round = 0; round < rounds; ++round) {
        // In turn, each first in one round of three, so that none pays for another.
        const std::function<void()> runs[] = {timeLink, timeBare, timeOne};
        for (int i = 0; i < 3; ++i) runs[(round + i) % 3]();
    }
    httpClose(http);
    drain(watcher, printer);
    if (counted.said > 0) {
        std::fprintf(stderr, "link-bench: %d documents were not taken\n", counted.said);
        return 1;
    }
    const double linkMedian = median(linkTimes);
    const double bareMedian = median(bareTimes);
    // Each round's two runs are next to each other in time: their ratio is the least
    // disturbed by what else the machine does.
    std::vector<double> ratios;
    for (std::size_t i = 0; i < linkTimes.size(); ++i)
        ratios.push_back(linkTimes[i] / bareTimes[i]);
    std::printf("alignment test page, %zu documents, %d rounds each, medians:\n", page.size(),
                rounds);
    std::printf("  printer link       %.3f s\n", linkMedian);
    std::printf("  bare, two requests %.3f s  (Create-Job + Send-Document)\n", bareMedian);
    std::printf("  bare, one request  %.3f s  (Print-Job)\n", median(oneTimes));
    std::printf("  ratio of medians   %.3f\n", linkMedian / bareMedian);
    std::printf("  median ratio       %.3f (of each round's pair)\n", median(ratios));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return trevalune::guardedMain("link-bench", [&] { return run(argc, argv); });
}

#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "printer/cups/cups_spooler.h"
#include "printer/link_messages.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/recording_messages.h"

namespace trevalune::e2e {

/// The real CUPS spooler against the private server, a printer link whose selected printer
/// the test sets, and an empty virtual printer.
class PrintServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.useCupsServer();
        printer.clear();
        jobsBefore = lastJobId();
    }

    /// Waits for the documents and for the queue to drain (a split document shows as an extra
    /// one, merged ones as a missing one), then compares them in order, and the job names.
    void expectDelivered(const std::vector<std::string>& expected,
                         std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        printer.waitForDocuments(expected.size(), limit);
        EXPECT_TRUE(waitUntilIdle(server.virtualQueue, limit)) << "the queue did not drain";
        const auto got = printer.documents();
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            ASSERT_TRUE(got[i] == expected[i])
                << "document " << i + 1 << " differs: " << got[i].size() << " bytes arrived, "
                << expected[i].size() << " were sent";
        }
        EXPECT_EQ(jobTitlesAfter(server.virtualQueue, jobsBefore),
                  std::vector<std::string>(expected.size(), "AAAAAA"));
    }

    const PrintServer server = PrintServer::load();
    VirtualPrinter printer{server.printerOutput};
    int jobsBefore = 0;

    CupsSpooler spooler;
    testing::RecordingMessages messages;
    std::string selected = server.virtualQueue;
    LinkMessages linkMessages{messages, messages};
    PrinterLink link{spooler, linkMessages, [this] { return selected; }};
};

/// Lets a stopped queue go again however the test ends, so later tests find it running.
struct QueueRestart {
    std::string queue;
    ~QueueRestart() {
        try {
            startQueue(queue);
        } catch (...) {
        }
    }
};

}  // namespace trevalune::e2e

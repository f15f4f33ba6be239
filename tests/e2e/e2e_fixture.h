#pragma once

#include <gtest/gtest.h>

#include <string>

#include "printer/cups/cups_spooler.h"
#include "printer/printer_link.h"
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

    const PrintServer server = PrintServer::load();
    VirtualPrinter printer{server.printerOutput};
    int jobsBefore = 0;

    CupsSpooler spooler;
    testing::RecordingMessages messages;
    std::string selected = server.virtualQueue;
    PrinterLink link{spooler, messages, [this] { return selected; }};
};

}  // namespace trevalune::e2e

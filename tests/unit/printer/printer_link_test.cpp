#include "printer/printer_link.h"

#include <gtest/gtest.h>

#include "tests/support/recording_messages.h"
#include "tests/support/recording_spooler.h"

namespace trevalune {
namespace {

// Delivery (one document named AAAAAA per call, to the printer selected at that moment)
// and unknown printers (one message per document) are pinned end to end and in the window.
TEST(PrinterLink, TheDriverFileIsOneDocumentZeroBytesIncluded) {
    RecordingSpooler spooler{{"RZ7-virtual"}};
    testing::RecordingMessages messages;
    PrinterLink link{spooler, messages, messages, [] { return std::string("RZ7-virtual"); }};
    link.SendBytesToPrinter(bytesOf({0x1B, 0x3A, 0x00, 0xFF, 0x50}));
    EXPECT_EQ(spooler.payloads(),
              (std::vector<std::string>{bytesOf({0x1B, 0x3A, 0x00, 0xFF, 0x50})}));
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace trevalune

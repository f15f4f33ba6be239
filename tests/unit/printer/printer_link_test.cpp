#include "printer/printer_link.h"

#include <gtest/gtest.h>

#include "printer/gbk.h"
#include "printer/recording_spooler.h"
#include "tests/support/recording_messages.h"

namespace trevalune {
namespace {

class PrinterLinkTest : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    testing::RecordingMessages messages;
    std::string selected = "RZ7-virtual";
    PrinterLink link{spooler, messages, [this] { return selected; }};
};

TEST_F(PrinterLinkTest, EachCallIsOneDocumentNamedAAAAAAForTheSelectedPrinter) {
    link.SendHexToPrinter("1D5653");
    const Bytes text = toGbk("ABC高速");
    link.SendTextToPrinter(text, CharacterLen("ABC高速"));
    selected = "Office1";  // read at every call, not cached
    const Bytes file = bytesOf({0x00, 0xFF, 0x1B, 0x00});
    link.SendBytesToPrinter(file, 4);

    ASSERT_EQ(spooler.documents.size(), 3u);
    EXPECT_EQ(spooler.documents[0].data, bytesOf({0x1D, 0x56, 0x53}));
    EXPECT_EQ(spooler.documents[1].data, bytesOf({'A', 'B', 'C', 0xB8, 0xDF, 0xCB, 0xD9}));
    EXPECT_EQ(spooler.documents[2].data, file);
    EXPECT_EQ(spooler.documents[0].printer, "RZ7-virtual");
    EXPECT_EQ(spooler.documents[2].printer, "Office1");
    for (const auto& d : spooler.documents) EXPECT_EQ(d.name, "AAAAAA");
    EXPECT_TRUE(messages.messages.empty());
}

// Unknown printers are the end-to-end and window tests' (one message per document).
TEST_F(PrinterLinkTest, CountDelimitsTheDataAndWhatCannotBeSentIsRefusedSilently) {
    link.SendTextToPrinter(bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x50}), 5);
    link.SendTextToPrinter("ABCDEF", 2);
    EXPECT_THROW(link.SendTextToPrinter("AB", 3), EncodeError);
    EXPECT_THROW(link.SendBytesToPrinter("AB", -1), EncodeError);
    EXPECT_THROW(link.SendHexToPrinter("1G"), EncodeError);
    EXPECT_THROW(link.SendHexToPrinter(""), EncodeError);
    EXPECT_EQ(spooler.payloads(),
              (std::vector<std::string>{bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x50}), "AB"}));
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace trevalune

#include "tools/virtual-printer/preview/decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alignment/config_block.h"
#include "alignment/hanzi_sample.h"
#include "alignment/set_all_test_page.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "pintest/pin_test_runs.h"
#include "printer/bytes.h"
#include "tools/virtual-printer/preview/listing.h"

namespace trevalune::preview {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<EventKind> kinds(const std::vector<Event>& events) {
    std::vector<EventKind> out;
    for (const auto& e : events) out.push_back(e.kind);
    return out;
}

TEST(Decoder, TruncatedCommandsSayWhatWasExpected) {
    struct Case {
        std::string bytes;
        std::string message;
    } cases[] = {
        {bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}) + std::string(7, '\0'),
         "truncated bit image: expected 2880 data bytes, received 7"},
        {bytesOf({0x1B, 0x2A, 0x01, 0x40}), "truncated ESC * header: expected 5 bytes, received 4"},
        {bytesOf({0x1B, 0x4A}), "truncated ESC J: expected 3 bytes, received 2"},
        {bytesOf({0x1B, 0x01, 0x40, 0x51}),
         "truncated set-value command: expected at least 13 bytes, received 4"},
        {bytesOf({0x1B, 0x3A, 0x45, 0x1A, 0x00, 0x12}),
         "truncated configuration block: expected 26 data bytes, received 1"},
    };
    for (const auto& c : cases) {
        const auto events = decodeAll("A" + c.bytes);
        ASSERT_THAT(kinds(events), ElementsAre(EventKind::Text, EventKind::Error)) << c.message;
        EXPECT_EQ(events[1].message, c.message);
        EXPECT_EQ(events[1].raw, c.bytes);  // every received byte is in the report
    }
}

TEST(Decoder, EverythingTheToolSendsDecodesWithoutAnError) {
    std::vector<Timeline> runs = {buildAlignmentTest("31"),
                                  buildSetAllItems({"16", "24", "40"}, "0"),
                                  buildSetAllWithTestPage({"16", "24", "40"}, "0", kHanziSample),
                                  buildRestoreFactory(), buildThreeDensityPinTest()};
    for (const PinTestPage& page : buildPinTestSequence({2026, 12, 5, 9, 5, 3})) {
        runs.push_back(page.build());
    }
    for (const Timeline& run : runs) {
        for (const Bytes& document : run.documents()) {
            for (const Event& e : decodeAll(document)) {
                EXPECT_NE(e.kind, EventKind::Error) << e.message;
            }
        }
    }
}

TEST(Listing, OffsetsHexAndMeaning) {
    std::string data(2880, '\0');
    for (int c = 540; c < 630; c += 2) data[1440 + c] = '\x10';  // pin 7, block 7
    const std::string listing =
        listingOf(bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, 0x0A, 0x1F, 0x00, 0x0A,
                           0x0A, 0x0A, 0x0A}) +
                  "  \xB8\xDF\xCB\xD9" + "\r" + bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}) + data +
                  bytesOf({0x07}));
    EXPECT_THAT(listing, HasSubstr("       0  1B 01 40 51 56 36 32 37 0A 1F 00 0A 0A 0A 0A    "
                                   "  set value: high speed = 31, long trailer (00 + 4 LF)\n"));
    EXPECT_THAT(listing, HasSubstr("      15  20 20 B8 DF CB D9"));
    EXPECT_THAT(listing, HasSubstr("text \"  高速\" (6 cells)\n"));
    EXPECT_THAT(listing, HasSubstr("      22  1B 2A 01 40 0B 00 00 00 00 00 +2875"));
    EXPECT_THAT(listing, HasSubstr("1440 columns (high-speed width): pin 7 block 7\n"));
    EXPECT_THAT(listing, HasSubstr("    2907  07"));
    EXPECT_THAT(listing, HasSubstr("ERROR unknown byte 07\n"));
}

}  // namespace
}  // namespace trevalune::preview

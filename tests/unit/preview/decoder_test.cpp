#include "tools/virtual-printer/preview/decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

std::string imageHeader(int count) {
    return bytesOf({0x1B, 0x2A, 0x01, count & 0xFF, count >> 8});
}

TEST(Decoder, CountIsLowByteFirst) {
    const std::string data(2880, '\x80');
    auto events = decodeAll(bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}) + data + "\r\n");
    ASSERT_THAT(kinds(events),
                ElementsAre(EventKind::BitImage, EventKind::CarriageReturn, EventKind::LineFeed));
    EXPECT_EQ(events[0].count, 2880);
    EXPECT_EQ(events[0].data(), data);

    // The same bytes the other way round announce 0x400B = 16395 columns.
    events = decodeAll(bytesOf({0x1B, 0x2A, 0x01, 0x0B, 0x40}) + data);
    ASSERT_THAT(kinds(events), ElementsAre(EventKind::Error));
    EXPECT_EQ(events[0].message, "truncated bit image: expected 16395 data bytes, received 2880");
}

TEST(Decoder, DataBytesAreNeverCommands) {
    // Feeds, an eject, CR, LF, a set-value head and a GBK lead byte, all inside the data.
    const std::string data = bytesOf({0x1B, 0x4A, 0x10, 0x0A, 0x0D, 0x1D, 0x56, 0x53, 0x1B, 0x01,
                                      0x40, 0xB0, 0x1B, 0x2A, 0x01, 0x02});
    const auto events = decodeAll(imageHeader(16) + data + "\x0D");
    ASSERT_THAT(kinds(events), ElementsAre(EventKind::BitImage, EventKind::CarriageReturn));
    EXPECT_EQ(events[0].data(), data);
    EXPECT_EQ(events[1].offset, 21u);
}

TEST(Decoder, TruncatedCommandsSayWhatWasExpected) {
    struct Case {
        std::string bytes;
        std::string message;
    } cases[] = {
        {imageHeader(2880) + std::string(7, '\0'),
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

TEST(Decoder, UnknownCommandsAreReportedAndDecodingGoesOn) {
    auto events = decodeAll(bytesOf({0x1B, 0x40, 0x41, 0x0A}));
    ASSERT_THAT(kinds(events), ElementsAre(EventKind::Error, EventKind::Text, EventKind::LineFeed));
    EXPECT_EQ(events[0].message, "unknown command ESC 40");
    EXPECT_EQ(events[0].raw, bytesOf({0x1B, 0x40}));

    // A byte that starts a command is not swallowed by the unknown one before it.
    events = decodeAll(bytesOf({0x1B, 0x1B, 0x4A, 0x10, 0x07, 0x1D, 0x56, 0x1D, 0x56, 0x53}));
    ASSERT_THAT(kinds(events),
                ElementsAre(EventKind::Error, EventKind::FeedForward, EventKind::Error,
                            EventKind::Error, EventKind::PageEject));
    EXPECT_EQ(events[0].message, "unknown command ESC 1B");
    EXPECT_EQ(events[1].rows, 16);
    EXPECT_EQ(events[2].message, "unknown byte 07");
    EXPECT_EQ(events[3].message, "unknown command GS V 1D");
    EXPECT_EQ(events[4].offset, 7u);
}

TEST(Decoder, GbkTrailBytesAreNeverControlCodes) {
    // 皧 is B0 8A and 皪 B0 8D: their trail bytes are LF and CR with the top bit set.
    auto events = decodeAll(bytesOf({0xB0, 0x8A, 0xB0, 0x8D, 0x0A}));
    ASSERT_THAT(kinds(events), ElementsAre(EventKind::Text, EventKind::Text, EventKind::LineFeed));
    EXPECT_EQ(describe(events[0]), "皧");
    EXPECT_EQ(describe(events[1]), "皪");

    // A lead byte without a trail byte: reported, and what follows keeps its meaning.
    events = decodeAll(bytesOf({0xB0, 0x0A, 0xB0}));
    ASSERT_THAT(kinds(events),
                ElementsAre(EventKind::Error, EventKind::LineFeed, EventKind::Error));
    EXPECT_EQ(events[0].message,
              "dangling GBK lead byte B0: followed by 0A, which is no trail byte");
    EXPECT_EQ(events[2].message, "dangling GBK lead byte B0 at the end of the input");
}

TEST(Decoder, SetValueCommandWithEachOfItsFiveTrailers) {
    const std::string head = bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, 0x0B, 0x18});
    struct Case {
        std::string trailer;
        Trailer expected;
    } cases[] = {
        {bytesOf({0xFF, 0x0A, 0x0A, 0x0A}), Trailer::Standard},
        {bytesOf({0x00, 0x0A, 0x0A}), Trailer::Short},
        {bytesOf({0xFF, 0x0A, 0x0A}), Trailer::Row},
        {bytesOf({0x00, 0x0A, 0x0A, 0x0A, 0x0A}), Trailer::Long},
        {bytesOf({0xFF, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A}), Trailer::FiveLf},
    };
    for (const auto& c : cases) {
        const auto events = decodeAll(head + c.trailer + "*24");
        ASSERT_THAT(kinds(events), ElementsAre(EventKind::SetValue, EventKind::Text,
                                               EventKind::Text, EventKind::Text))
            << trailerName(c.expected);
        EXPECT_EQ(events[0].trailer, c.expected);
        EXPECT_EQ(events[0].mode, Mode::HighDensity);
        EXPECT_EQ(events[0].value, 24);
        EXPECT_EQ(events[0].raw, head + c.trailer);
    }

    // More line feeds than a trailer has are line feeds of their own.
    auto events = decodeAll(head + bytesOf({0x00, 0x0A, 0x0A, 0x0A, 0x41}));
    ASSERT_THAT(kinds(events),
                ElementsAre(EventKind::SetValue, EventKind::LineFeed, EventKind::Text));
    EXPECT_EQ(events[0].trailer, Trailer::Short);
    events = decodeAll(head + bytesOf({0xFF, 0x0A, 0x41}));
    ASSERT_THAT(kinds(events), ElementsAre(EventKind::Error, EventKind::Text));
    EXPECT_EQ(events[0].message,
              "set-value command with the trailer FF 0A, which is none of the five");
    events = decodeAll(head + bytesOf({0x07, 0x0A}));
    ASSERT_THAT(kinds(events),
                ElementsAre(EventKind::Error, EventKind::Error, EventKind::LineFeed));
    EXPECT_EQ(events[0].message, "set-value command: the trailer begins with 07, not 00 or FF");
}

TEST(Decoder, LiveStreamGetsEachCommandWhenItIsComplete) {
    std::vector<Event> events;
    Decoder decoder([&](const Event& e) { events.push_back(e); });
    const std::string head = bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, 0x0A, 0x10});
    decoder.feed(head + bytesOf({0xFF, 0x0A, 0x0A, 0x0A}));
    EXPECT_TRUE(events.empty()) << "a fourth LF would make it another trailer";
    decoder.feed(bytesOf({0x1D, 0x56}));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].trailer, Trailer::Standard);
    decoder.feed(bytesOf({0x53}));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, EventKind::PageEject);
    // The longest trailer is known to be complete at its last byte.
    decoder.feed(head + bytesOf({0xFF, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A}));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].trailer, Trailer::FiveLf);
}

TEST(Decoder, ConfigurationCommands) {
    const std::string factory =
        bytesOf({0x1B, 0x3A, 0x45, 0x1A, 0x00, 0x12, 0x00, 0x1F, 0xFF, 0x42, 0x00,
                 0x22, 0x00, 0x92, 0x00, 0xFF, 0x00, 0x87, 0x06, 0x00, 0x0B, 0x48,
                 0x09, 0x80, 0x08, 0x10, 0x00, 0x14, 0x00, 0x08, 0x00});
    const std::string save = bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x52});
    const auto events =
        decodeAll(save + factory + save +
                  bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x50, 0x1B, 0x3A, 0x00, 0x00, 0x51}));
    ASSERT_THAT(kinds(events), ElementsAre(EventKind::Save, EventKind::ConfigBlock, EventKind::Save,
                                           EventKind::SelfTest, EventKind::Error));
    EXPECT_EQ(events[1].raw, factory);
    EXPECT_THAT(describe(events[1]), HasSubstr("26 bytes: 12 00, 12 items 1F FF 42 00"));
    EXPECT_EQ(events[4].message, "unknown command ESC : 00 00 51");
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

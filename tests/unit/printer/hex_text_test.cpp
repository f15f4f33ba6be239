#include "printer/hex_text.h"

#include <gtest/gtest.h>

#include "printer/timeline.h"
#include "tests/support/timeline_print.h"

namespace trevalune {
namespace {

TEST(HexText, FieldsAndSizingRule) {
    const struct {
        const char* text;
        Bytes expected;
    } cases[] = {
        {"A", bytesOf({0x0A})},
        {"1B4", bytesOf({0x1B})},
        {"1B4A1", bytesOf({0x1B, 0x4A, 0x01})},
        {"1B4A10F", bytesOf({0x1B, 0x4A, 0x10})},
        {"1b4a10", bytesOf({0x1B, 0x4A, 0x10})},
        // Blanks are not separators: fields "1B", " 4", "A ", "10".
        {"1B 4A 10", bytesOf({0x1B, 0x04, 0x0A, 0x10})},
        {"00FF", bytesOf({0x00, 0xFF})},
        {"1B4A1001F", bytesOf({0x1B, 0x4A, 0x10, 0x01, 0x0F})},
    };
    for (const auto& c : cases) EXPECT_EQ(hexTextToBytes(c.text), c.expected) << c.text;
    // Odd lengths alternate between keeping and dropping the last digit.
    const std::size_t counts[] = {0, 1, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6, 7, 7, 7, 8, 9, 9, 9, 10};
    for (std::size_t len = 0; len <= 20; ++len) EXPECT_EQ(hexByteCount(len), counts[len]) << len;

    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(hexTextToBytes(toHexText(all)), all);
    EXPECT_EQ(toHexText(bytesOf({0x1b, 0x4a, 0x00, 0xff})), "1B4A00FF");
}

TEST(HexText, RefusesWhatIsNotHexNamingThePlaceAndATimelineStopsBuilding) {
    for (const char* bad : {"", "G1", "1G", "  ", "1B  4A", "0x1B", "1B\n4A", "\t1"}) {
        EXPECT_THROW(hexTextToBytes(bad), Refusal) << '"' << bad << '"';
    }
    try {
        hexTextToBytes("1B4G");
        ADD_FAILURE() << "not refused";
    } catch (const Refusal& e) {
        EXPECT_STREQ(e.what(),
                     "The hex text has a field that is not hexadecimal at character 3: \"4G\".");
    }
    Timeline t;
    t.hex("0A");
    EXPECT_THROW(t.hex("ZZ"), Refusal);
    EXPECT_EQ(t.documentCount(), 1u);
}

}  // namespace
}  // namespace trevalune

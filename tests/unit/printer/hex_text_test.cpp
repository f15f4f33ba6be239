#include "printer/hex_text.h"

#include <gtest/gtest.h>

namespace trevalune {
namespace {

struct HexCase {
    const char* text;
    Bytes expected;
};

TEST(HexText, FieldsAndSizingRule) {
    const HexCase cases[] = {
        {"A", bytesOf({0x0A})},
        {"1B4", bytesOf({0x1B})},
        {"1B4A1", bytesOf({0x1B, 0x4A, 0x01})},
        {"1B4A10", bytesOf({0x1B, 0x4A, 0x10})},
        {"1B4A10F", bytesOf({0x1B, 0x4A, 0x10})},
        {"1D5653", bytesOf({0x1D, 0x56, 0x53})},
        {"1b4a10", bytesOf({0x1B, 0x4A, 0x10})},
        // Blanks are not separators: fields "1B", " 4", "A ", "10".
        {"1B 4A 10", bytesOf({0x1B, 0x04, 0x0A, 0x10})},
        {"1B 4A", bytesOf({0x1B, 0x04, 0x0A})},
        {"00FF", bytesOf({0x00, 0xFF})},
        {"1B4A1001F", bytesOf({0x1B, 0x4A, 0x10, 0x01, 0x0F})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexTextToBytes(c.text), c.expected) << c.text;
    }
}

TEST(HexText, ByteCountForEveryLengthUpToTwenty) {
    // Odd lengths alternate between keeping and dropping the last digit.
    const std::size_t expected[] = {0, 1, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6, 7, 7, 7, 8, 9, 9, 9, 10};
    for (std::size_t len = 0; len <= 20; ++len) EXPECT_EQ(hexByteCount(len), expected[len]) << len;
}

TEST(HexText, RefusesWhatIsNotHex) {
    for (const char* bad : {"", "G1", "1G", "  ", "1B  4A", "0x1B", "1B\n4A", "\t1"}) {
        EXPECT_THROW(hexTextToBytes(bad), EncodeError) << '"' << bad << '"';
    }
}

TEST(HexText, ErrorNamesThePlace) {
    try {
        hexTextToBytes("1B4G");
        FAIL();
    } catch (const EncodeError& e) {
        EXPECT_STREQ(e.what(),
                     "The hex text has a field that is not hexadecimal at character 3: \"4G\".");
    }
}

TEST(HexText, RoundTripsEveryByte) {
    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(hexTextToBytes(toHexText(all)), all);
    EXPECT_EQ(toHexText(bytesOf({0x1b, 0x4a, 0x00, 0xff})), "1B4A00FF");
}

}  // namespace
}  // namespace trevalune

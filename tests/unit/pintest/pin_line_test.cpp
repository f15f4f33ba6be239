#include "pintest/pin_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "printer/hex_text.h"

namespace trevalune {
namespace {

/// Data byte n (1-based) of a line as it reaches the printer; 5 header bytes come first.
int dataByte(const Bytes& line, int n) {
    return static_cast<unsigned char>(line.at(static_cast<std::size_t>(4 + n)));
}

/// Data bytes from..to (inclusive) in steps of `step` all hold `value`.
struct Run {
    int from, to, step, value;
};

void expectRuns(const Bytes& line, std::initializer_list<Run> runs) {
    for (const Run& r : runs) {
        for (int n = r.from; n <= r.to; n += r.step) {
            ASSERT_EQ(dataByte(line, n), r.value) << "data byte " << n;
        }
    }
}

TEST(PinTestLine, FrameForEveryWidthAndOrder) {
    struct Case {
        int width;
        Bytes head;
        std::size_t size;
    };
    const Case cases[] = {{90, bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}), 2887},
                          {117, bytesOf({0x1B, 0x2A, 0x01, 0xA0, 0x0E}), 3751},
                          {180, bytesOf({0x1B, 0x2A, 0x01, 0x80, 0x16}), 5767}};
    for (const Case& c : cases) {
        for (const PinOrder order : {PinOrder::Ascending, PinOrder::Descending}) {
            const Bytes line = hexTextToBytes(BuildPinTestLine(c.width, order));
            EXPECT_EQ(line.size(), c.size) << c.width;
            EXPECT_EQ(line.substr(0, 5), c.head) << c.width;
            EXPECT_EQ(line.substr(line.size() - 2), "\r\n") << c.width;
        }
    }
}

TEST(PinTestLine, AscendingHighSpeedBytes) {
    const Bytes line = hexTextToBytes(BuildPinTestLine(90, PinOrder::Ascending));
    expectRuns(line, {{1, 90, 1, 0x00},       // block 1 of the first half belongs to pin 1
                      {91, 179, 2, 0x80},     // pin 2
                      {92, 180, 2, 0x00},     //
                      {1351, 1439, 2, 0x01},  // pin 16
                      {1352, 1440, 2, 0x00},  //
                      {1441, 1441, 1, 0x80},  // pin 1
                      {1531, 1620, 1, 0x00},  // block 2 of the second half belongs to pin 2
                      {2701, 2789, 2, 0x01},  // pin 15
                      {2791, 2880, 1, 0x00}});
}

TEST(PinTestLine, DescendingHighSpeedBytes) {
    const Bytes line = hexTextToBytes(BuildPinTestLine(90, PinOrder::Descending));
    expectRuns(line, {{1, 89, 2, 0x01},  // pin 16 in block 1
                      {2, 90, 2, 0x00},
                      {1261, 1349, 2, 0x80},  // pin 2 in block 15
                      {1351, 1440, 1, 0x00},
                      {1441, 1530, 1, 0x00},
                      {1531, 1531, 1, 0x01},  // pin 15 in block 2 of the second half
                      {2791, 2879, 2, 0x80},  // pin 1 in block 16
                      {2792, 2880, 2, 0x00}});
}

TEST(PinTestLine, EveryPinPrintsOnlyInItsOwnBlockWithItsOwnBit) {
    // Pin, half (0 first, 1 second) and bit, written out as the head is wired.
    const int wiring[17][2] = {{},        {1, 0x80}, {0, 0x80}, {1, 0x40}, {0, 0x40}, {1, 0x20},
                               {0, 0x20}, {1, 0x10}, {0, 0x10}, {1, 0x08}, {0, 0x08}, {1, 0x04},
                               {0, 0x04}, {1, 0x02}, {0, 0x02}, {1, 0x01}, {0, 0x01}};
    for (const int width : {90, 117, 180}) {
        for (const PinOrder order : {PinOrder::Ascending, PinOrder::Descending}) {
            const Bytes line = hexTextToBytes(BuildPinTestLine(width, order));
            for (int pin = 1; pin <= 16; ++pin) {
                const int block = order == PinOrder::Ascending ? pin : 17 - pin;
                const int start = wiring[pin][0] * 16 * width + (block - 1) * width + 1;
                const int otherStart = (1 - wiring[pin][0]) * 16 * width + (block - 1) * width + 1;
                int dots = 0;
                for (int c = 0; c < width; ++c) {
                    const int expected = c % 2 == 0 ? wiring[pin][1] : 0x00;
                    ASSERT_EQ(dataByte(line, start + c), expected)
                        << "W " << width << " pin " << pin << " column " << c + 1;
                    ASSERT_EQ(dataByte(line, otherStart + c), 0x00);
                    dots += expected != 0;
                }
                EXPECT_EQ(dots, (width + 1) / 2);  // 59 for 117: odd blocks end on a dot
            }
        }
    }
}

TEST(PinTestLine, PinOnesFirstDotOpensTheSecondHalf) {
    // The byte before it closes pin 16's block: empty for even widths, a dot for 117.
    const std::tuple<int, int, int> cases[] = {
        {90, 1441, 0x00}, {117, 1873, 0x01}, {180, 2881, 0x00}};
    for (const auto& [width, firstDot, before] : cases) {
        const Bytes line = hexTextToBytes(BuildPinTestLine(width, PinOrder::Ascending));
        EXPECT_EQ(dataByte(line, firstDot), 0x80) << width;
        EXPECT_EQ(dataByte(line, firstDot - 1), before) << width;
    }
}

TEST(PinTestLine, OtherWidthsAreRefused) {
    for (const int width : {0, -90, 1, 89, 91, 116, 118, 179, 181, 360}) {
        EXPECT_THROW(BuildPinTestLine(width, PinOrder::Ascending), EncodeError) << width;
    }
}

TEST(CheckerLine, GroupsAndMargins) {
    const Bytes line = hexTextToBytes(buildCheckerLine());
    ASSERT_EQ(line.size(), 2887u);
    EXPECT_EQ(line.substr(0, 5), bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}));
    EXPECT_EQ(line.substr(2885), "\r\n");
    expectRuns(line, {{1, 540, 1, 0x00},
                      {541, 719, 2, 0xAA},
                      {542, 720, 2, 0x00},
                      {721, 900, 1, 0x00},
                      {901, 1079, 2, 0x55},
                      {902, 1080, 2, 0x00},
                      {1081, 1800, 1, 0x00},
                      {1801, 1979, 2, 0xAA},
                      {1802, 1980, 2, 0x00},
                      {1981, 2160, 1, 0x00},
                      {2161, 2339, 2, 0x55},
                      {2162, 2340, 2, 0x00},
                      {2341, 2880, 1, 0x00}});
}

TEST(BurnInLine, BandsInBothHalvesAndCarriageReturnOnly) {
    const Bytes line = hexTextToBytes(buildBurnInLine());
    ASSERT_EQ(line.size(), 2886u);
    EXPECT_EQ(line.substr(0, 5), bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}));
    EXPECT_EQ(line.back(), '\r');
    for (const int half : {0, 1440}) {
        const int o = half;
        expectRuns(line, {{o + 1, o + 199, 1, 0xFF},
                          {o + 200, o + 399, 1, 0x00},
                          {o + 400, o + 600, 1, 0xFF},
                          {o + 601, o + 799, 1, 0x00},
                          {o + 800, o + 1000, 1, 0xFF},
                          {o + 1001, o + 1199, 1, 0x00},
                          {o + 1200, o + 1400, 1, 0xFF},
                          {o + 1401, o + 1440, 1, 0x00}});
        const std::string data = line.substr(static_cast<std::size_t>(5 + o), 1440);
        EXPECT_EQ(std::count(data.begin(), data.end(), '\xFF'), 802);
        EXPECT_EQ(std::count(data.begin(), data.end(), '\0'), 638);
    }
}

}  // namespace
}  // namespace trevalune

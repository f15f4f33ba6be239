#include "pintest/pin_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "printer/hex_text.h"

namespace trevalune {
namespace {

const Bytes kHighSpeedHead = bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B});

// Every data byte of every width and order: each pin's block and the same block of the other
// half. Odd widths (117) end each block on a dot.
TEST(PinTestLine, EveryPinPrintsOnlyInItsOwnBlockWithItsOwnBit) {
    // Pin, half (0 first, 1 second) and bit, written out as the head is wired.
    const int wiring[17][2] = {{},        {1, 0x80}, {0, 0x80}, {1, 0x40}, {0, 0x40}, {1, 0x20},
                               {0, 0x20}, {1, 0x10}, {0, 0x10}, {1, 0x08}, {0, 0x08}, {1, 0x04},
                               {0, 0x04}, {1, 0x02}, {0, 0x02}, {1, 0x01}, {0, 0x01}};
    const struct {
        int width, countLow, countHigh;
        std::size_t size;
    } frames[] = {{90, 0x40, 0x0B, 2887}, {117, 0xA0, 0x0E, 3751}, {180, 0x80, 0x16, 5767}};
    for (const auto& f : frames) {
        for (const PinOrder order : {PinOrder::Ascending, PinOrder::Descending}) {
            SCOPED_TRACE(f.width);
            const Bytes line = hexTextToBytes(buildPinTestLine(f.width, order));
            ASSERT_EQ(line.size(), f.size);
            EXPECT_EQ(line.substr(0, 5), bytesOf({0x1B, 0x2A, 0x01, f.countLow, f.countHigh}));
            EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
            const auto data = [&](int n) { return static_cast<unsigned char>(line[4 + n]); };
            for (int pin = 1; pin <= 16; ++pin) {
                const int block = order == PinOrder::Ascending ? pin : 17 - pin;
                const int start = wiring[pin][0] * 16 * f.width + (block - 1) * f.width + 1;
                const int other = (1 - wiring[pin][0]) * 16 * f.width + (block - 1) * f.width + 1;
                for (int c = 0; c < f.width; ++c) {
                    ASSERT_EQ(data(start + c), c % 2 == 0 ? wiring[pin][1] : 0x00)
                        << "pin " << pin << " column " << c + 1;
                    ASSERT_EQ(data(other + c), 0x00) << "pin " << pin << " column " << c + 1;
                }
            }
        }
    }
    for (const int width : {0, -90, 1, 89, 91, 116, 118, 179, 181, 360}) {
        EXPECT_THROW(buildPinTestLine(width, PinOrder::Ascending), std::invalid_argument) << width;
    }
}

TEST(CheckerLine, GroupsAndMargins) {
    // Four groups of 180 columns with dots on every second one, between blank margins.
    Bytes data(2880, '\0');
    for (const auto& [from, value] :
         {std::pair{541, 0xAA}, {901, 0x55}, {1801, 0xAA}, {2161, 0x55}})
        for (int n = from; n < from + 180; n += 2) data[n - 1] = static_cast<char>(value);
    EXPECT_EQ(hexTextToBytes(buildCheckerLine()), kHighSpeedHead + data + "\r\n");
}

TEST(BurnInLine, BandsInBothHalvesAndCarriageReturnOnly) {
    Bytes half(1440, '\0');
    for (const auto& [from, to] : {std::pair{1, 199}, {400, 600}, {800, 1000}, {1200, 1400}})
        std::fill(half.begin() + from - 1, half.begin() + to, '\xFF');
    EXPECT_EQ(std::count(half.begin(), half.end(), '\xFF'), 802);  // and 638 zero bytes
    EXPECT_EQ(hexTextToBytes(buildBurnInLine()), kHighSpeedHead + half + half + "\r");
}

}  // namespace
}  // namespace trevalune

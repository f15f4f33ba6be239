#include "pintest/pin_line.h"

#include <stdexcept>

#include "printer/bytes.h"

namespace trevalune {

namespace {

constexpr int kBlocksPerHalf = 16;
constexpr int kHighSpeedHalf = kBlocksPerHalf * kHighSpeedBlockWidth;  // 1440 columns

/// ESC * with one data byte per column; the column count goes low byte first.
Bytes bitImage(const Bytes& data) {
    const int columns = static_cast<int>(data.size());
    return bytesOf({0x1B, 0x2A, 0x01, columns & 0xFF, columns >> 8}) + data;
}

/// `columns` columns holding `pattern` at the odd columns and 00 at the even ones,
/// starting with the pattern byte.
Bytes alternating(int columns, int pattern) {
    Bytes out(static_cast<std::size_t>(columns), '\0');
    for (int c = 0; c < columns; c += 2) out[static_cast<std::size_t>(c)] = byteOf(pattern);
    return out;
}

Bytes zeros(int columns) {
    return Bytes(static_cast<std::size_t>(columns), '\0');
}

}  // namespace

int pinMask(int pin) {
    if (pin < 1 || pin > 16) {
        throw std::invalid_argument("There is no pin " + std::to_string(pin) +
                                    " (the head has 1 to 16).");
    }
    return 0x80 >> ((pin - 1) / 2);
}

std::string buildPinTestLine(int width, PinOrder order) {
    if (width != kHighSpeedBlockWidth && width != kHighDensityBlockWidth &&
        width != kSuperHighDensityBlockWidth) {
        throw std::invalid_argument("A pin test line has blocks of 90, 117 or 180 columns, not " +
                                    std::to_string(width) + ".");
    }
    Bytes data;
    data.reserve(static_cast<std::size_t>(2 * kBlocksPerHalf * width));
    for (const bool firstHalf : {true, false}) {
        for (int block = 1; block <= kBlocksPerHalf; ++block) {
            const int pin = order == PinOrder::Ascending ? block : 17 - block;
            const bool pinInThisHalf = (pin % 2 == 0) == firstHalf;
            data += pinInThisHalf ? alternating(width, pinMask(pin)) : zeros(width);
        }
    }
    return toHexText(bitImage(data) + "\r\n");
}

std::string buildCheckerLine() {
    constexpr int kGroup = 180;
    constexpr int kMargin = 360;
    // Per group: the pattern in the first half, the pattern in the second half.
    constexpr int kGroups[4][2] = {{0x00, 0xAA}, {0xAA, 0x00}, {0x00, 0x55}, {0x55, 0x00}};
    Bytes data;
    for (const int half : {0, 1}) {
        data += zeros(kMargin);
        for (const auto& group : kGroups) data += alternating(kGroup, group[half]);
        data += zeros(kMargin);
    }
    return toHexText(bitImage(data) + "\r\n");
}

std::string buildBurnInLine() {
    // Column c of a half (1-based) is solid in these bands; the first is one column narrower.
    const auto solid = [](int c) {
        return c < 200 || (c >= 400 && c <= 600) || (c >= 800 && c <= 1000) ||
               (c >= 1200 && c <= 1400);
    };
    Bytes half;
    for (int c = 1; c <= kHighSpeedHalf; ++c) half.push_back(byteOf(solid(c) ? 0xFF : 0x00));
    return toHexText(bitImage(half + half) + "\r");
}

}  // namespace trevalune

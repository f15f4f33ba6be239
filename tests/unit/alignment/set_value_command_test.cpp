#include "alignment/set_value_command.h"

#include <gtest/gtest.h>

namespace trevalune {
namespace {

TEST(SetValueCommand, FiveTrailers) {
    const Bytes head = bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37});
    EXPECT_EQ(setValueCommand(PrintMode::HighSpeed, 16, Trailer::Standard),
              head + bytesOf({0x0A, 0x10, 0xFF, 0x0A, 0x0A, 0x0A}));
    EXPECT_EQ(setValueCommand(PrintMode::HighDensity, 24, Trailer::Short),
              head + bytesOf({0x0B, 0x18, 0x00, 0x0A, 0x0A}));
    EXPECT_EQ(setValueCommand(PrintMode::HighSpeed, 255, Trailer::Row),
              head + bytesOf({0x0A, 0xFF, 0xFF, 0x0A, 0x0A}));
    EXPECT_EQ(setValueCommand(PrintMode::HighSpeed, 31, Trailer::Long),
              head + bytesOf({0x0A, 0x1F, 0x00, 0x0A, 0x0A, 0x0A, 0x0A}));
    EXPECT_EQ(setValueCommand(PrintMode::SuperHighDensity, 255, Trailer::FiveLf),
              head + bytesOf({0x0C, 0xFF, 0xFF, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A}));
}

TEST(SetValueCommand, ValueMustFitAByte) {
    EXPECT_EQ(setValueCommand(PrintMode::HighSpeed, 0, Trailer::Standard).size(), 14u);
    EXPECT_THROW(setValueCommand(PrintMode::HighSpeed, 256, Trailer::Standard), EncodeError);
    EXPECT_THROW(setValueCommand(PrintMode::HighSpeed, -1, Trailer::Standard), EncodeError);
}

}  // namespace
}  // namespace trevalune

#include "alignment/config_block.h"

#include <gtest/gtest.h>

#include "printer/hex_text.h"

namespace trevalune {
namespace {

// Save, restore factory and the self test are pinned through their buttons (window tests).
TEST(ConfigBlock, BothFormsGiveTheSame31Bytes) {
    const Bytes expected =
        bytesOf({0x1B, 0x3A, 0x45, 0x1A, 0x00, 0x12, 0x00, 0x1F, 0xFF, 0x42, 0x00,
                 0x22, 0x00, 0x92, 0x00, 0xFF, 0x00, 0x87, 0x06, 0x00, 0x0B, 0x48,
                 0x09, 0x80, 0x08, 0x10, 0x00, 0x14, 0x00, 0x08, 0x00});
    EXPECT_EQ(buildFactoryBlockHexText().size(), 62u);
    EXPECT_EQ(hexTextToBytes(buildFactoryBlockHexText()), expected);
    EXPECT_EQ(kFactoryBlockSpaced.size(), 92u);
    std::string unspaced(kFactoryBlockSpaced);
    std::erase(unspaced, ' ');
    EXPECT_EQ(hexTextToBytes(unspaced), expected);
}

}  // namespace
}  // namespace trevalune

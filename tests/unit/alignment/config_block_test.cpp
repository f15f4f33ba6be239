#include "alignment/config_block.h"

#include <gtest/gtest.h>

#include "printer/hex_text.h"

namespace trevalune {
namespace {

TEST(ConfigBlock, BothFormsGiveTheSame31Bytes) {
    const Bytes expected =
        bytesOf({0x1B, 0x3A, 0x45, 0x1A, 0x00, 0x12, 0x00, 0x1F, 0xFF, 0x42, 0x00,
                 0x22, 0x00, 0x92, 0x00, 0xFF, 0x00, 0x87, 0x06, 0x00, 0x0B, 0x48,
                 0x09, 0x80, 0x08, 0x10, 0x00, 0x14, 0x00, 0x08, 0x00});
    EXPECT_EQ(factoryBlockHexText().size(), 62u);
    EXPECT_EQ(hexTextToBytes(factoryBlockHexText()), expected);
    EXPECT_EQ(kFactoryBlockSpaced.size(), 92u);
    std::string unspaced;
    for (char c : kFactoryBlockSpaced)
        if (c != ' ') unspaced += c;
    EXPECT_EQ(hexTextToBytes(unspaced), expected);
}

TEST(ConfigBlock, RestoreFactoryIsSaveBlockSaveWithItsWaits) {
    Timeline expected;
    expected.text(bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x52}))
        .wait(2500)
        .hex("1B3A451A0012001FFF420022009200FF008706000B48098008100014000800")
        .wait(1000)
        .text(bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x52}));
    EXPECT_EQ(buildRestoreFactory(), expected);
    EXPECT_EQ(selfTestCommand(), bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x50}));
}

}  // namespace
}  // namespace trevalune

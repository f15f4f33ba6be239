#include "alignment/config_block.h"

namespace trevalune {

Bytes buildSaveCommand() {
    return bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x52});
}

Bytes buildSelfTestCommand() {
    return bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x50});
}

std::string buildFactoryBlockHexText() {
    // Header (ESC : E, length 26, 0x0012), then the twelve two-byte items.
    static constexpr std::string_view kPieces[] = {"1B3A451A001200", "1FFF", "4200", "2200", "9200",
                                                   "FF00",           "8706", "000B", "4809", "8008",
                                                   "1000",           "1400", "0800"};
    std::string text;
    for (std::string_view piece : kPieces) text += piece;
    return text;
}

Timeline buildRestoreFactory() {
    Timeline t;
    t.text(buildSaveCommand())
        .wait(2500)
        .hex(buildFactoryBlockHexText())
        .wait(1000)
        .text(buildSaveCommand());
    return t;
}

}  // namespace trevalune

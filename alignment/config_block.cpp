#include "alignment/config_block.h"

namespace trevalune {

Bytes saveCommand() {
    return bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x52});
}

Bytes selfTestCommand() {
    return bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x50});
}

std::string factoryBlockHexText() {
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
    t.text(saveCommand()).wait(2500).hex(factoryBlockHexText()).wait(1000).text(saveCommand());
    return t;
}

}  // namespace trevalune

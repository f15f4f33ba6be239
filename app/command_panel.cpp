#include "app/command_panel.h"

#include <string>

#include "alignment/config_block.h"
#include "printer/bytes.h"

namespace trevalune {

Timeline buildLineFeed() {
    Timeline t;
    t.hex("0A");
    return t;
}

Timeline buildPageEject() {
    Timeline t;
    t.hex("1D5653");
    return t;
}

Timeline buildMicroFeedForward() {
    Timeline t;
    t.text(bytesOf({27, 74, 3}));
    return t;
}

Timeline buildMicroFeedBack() {
    Timeline t;
    t.text(bytesOf({27, 106, 3}));
    return t;
}

Timeline buildSelfTest() {
    Timeline t;
    t.text(selfTestCommand());
    return t;
}

Timeline buildManualSend(std::string_view boxText, bool saveBracket) {
    std::string hex;
    for (char c : boxText) {
        if (c != ' ') hex += c;
    }
    if (hex.empty()) throw EncodeError("没有要发送的16进制数据，未发送。");
    if (hex.size() % 2 != 0) {
        // The link would drop or pad the lone digit; a hand-typed command must go out whole.
        throw EncodeError("去掉空格后共有" + std::to_string(hex.size()) +
                          "个16进制数字，不是偶数个（每个字节两个数字），未发送。");
    }
    Timeline data;
    data.hex(hex);
    if (!saveBracket) return data;
    Timeline t;
    t.text(saveCommand()).wait(2500).append(data).wait(1000).text(saveCommand());
    return t;
}

}  // namespace trevalune

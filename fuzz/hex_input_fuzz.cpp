// The command box's input check on arbitrary UTF-16 text (the input's bytes in pairs), and
// what the send button makes of the text it leaves. The check keeps exactly the allowed
// characters, in order; each message removes one distinct disallowed character (a surrogate
// pair or a single unit). A send is either refused or one document of the typed pairs.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "app/command_panel.h"
#include "printer/bytes.h"
#include "printer/hex_text.h"
#include "printer/timeline.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool allowed(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') ||
           c == u' ';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevalune;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }

    const HexInputCheck check = checkHexInput(text);
    std::u16string expected;
    std::copy_if(text.begin(), text.end(), std::back_inserter(expected), allowed);
    require(check.kept == expected);
    for (std::size_t i = 0; i < check.removed.size(); ++i) {
        const std::u16string& r = check.removed[i];
        require(r.size() == 1 || (r.size() == 2 && r[0] >= 0xD800 && r[0] <= 0xDBFF &&
                                  r[1] >= 0xDC00 && r[1] <= 0xDFFF));
        require(!allowed(r[0]));
        require(std::count(check.removed.begin(), check.removed.end(), r) == 1);
    }

    // What is left is ASCII: the send button reads it as the box's text.
    const std::string boxText(check.kept.begin(), check.kept.end());
    for (bool bracket : {false, true}) {
        try {
            const Timeline sent = buildManualSend(boxText, bracket);
            std::string digits = boxText;
            std::erase(digits, ' ');
            require(sent.documentCount() == (bracket ? 3u : 1u));
            require(sent.documents()[bracket ? 1 : 0] == hexTextToBytes(digits));
        } catch (const EncodeError&) {
            std::string digits = boxText;
            std::erase(digits, ' ');
            require(digits.empty() || digits.size() % 2 != 0);
        }
    }
    return 0;
}

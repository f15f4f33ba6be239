// The command box's input check on arbitrary UTF-16 text (the input's bytes in pairs), and
// what the send button makes of the text it leaves. The check keeps exactly the allowed
// characters, in order; each message removes one distinct disallowed character (a surrogate
// pair or a single unit), and in well-formed text never the same one twice (in text with lone
// surrogates a removal can join two halves into a character already removed). A send is
// either refused or one document of the typed pairs.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "operations/command_panel.h"
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

/// No lone surrogates: every high half is followed by a low half and every low half follows
/// a high one.
bool wellFormed(const std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        const bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (low) return false;
        if (high) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
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
    const bool mayRepeatPairs = !wellFormed(text);
    for (const std::u16string& r : check.removed) {
        require(r.size() == 1 || r == u"\r\n" ||
                (r.size() == 2 && r[0] >= 0xD800 && r[0] <= 0xDBFF && r[1] >= 0xDC00 &&
                 r[1] <= 0xDFFF));
        require(!allowed(r[0]));
        // A unit, once removed, is gone for good; a pair can form again from lone halves, and
        // a line break from a CR and an LF once what stood between them has gone.
        require(((mayRepeatPairs || r == u"\r\n") && r.size() == 2) ||
                std::count(check.removed.begin(), check.removed.end(), r) == 1);
    }
    require(check.removed.size() <= text.size() - check.kept.size());

    // What is left is ASCII: the send button reads it as the box's text.
    const std::string boxText(check.kept.begin(), check.kept.end());
    for (bool bracket : {false, true}) {
        try {
            const Timeline sent = buildManualSend(commandBoxBytes(boxText), bracket);
            std::string digits = boxText;
            std::erase(digits, ' ');
            require(sent.documentCount() == (bracket ? 3u : 1u));
            require(sent.documents()[bracket ? 1 : 0] == hexTextToBytes(digits));
        } catch (const Refusal&) {
            std::string digits = boxText;
            std::erase(digits, ' ');
            require(digits.empty() || digits.size() % 2 != 0);
        }
    }
    return 0;
}

#include "operations/command_panel.h"

#include <cstdio>
#include <string>

#include "alignment/config_block.h"
#include "common/utf16.h"
#include "printer/bytes.h"
#include "printer/hex_text.h"

namespace trevalune {

namespace {

/// A character as a message names it: itself in quotes, or its code when it cannot be seen.
std::string characterName(std::u16string_view character) {
    if (character == u"\r\n") return characterName(u"\r") + " " + characterName(u"\n");
    const char32_t c = character.size() == 1 ? character[0] : 0x10000;
    if (c < 0x20 || c == 0x7F || c == 0xFFFD || (c >= 0x2000 && c <= 0x200F) || c == 0x3000) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        return code;
    }
    return "\"" + toUtf8(character) + "\"";
}

}  // namespace

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
    t.text(buildSelfTestCommand());
    return t;
}

Bytes commandBoxBytes(std::string_view boxText) {
    std::string hex;
    for (char c : boxText) {
        if (c != ' ') hex += c;
    }
    if (hex.empty()) throw Refusal(RefusalCode::NoHexToSend);
    if (hex.size() % 2 != 0) {
        // The link would drop or pad the lone digit; a hand-typed command must go out whole.
        throw Refusal(RefusalCode::OddHexDigits, {std::to_string(hex.size())});
    }
    return hexTextToBytes(hex);
}

Timeline buildManualSend(const Bytes& command, bool saveBracket) {
    Timeline data;
    data.text(command);
    if (!saveBracket) return data;
    Timeline t;
    t.text(buildSaveCommand()).wait(2500).append(data).wait(1000).text(buildSaveCommand());
    return t;
}

namespace {

bool isHexInput(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') ||
           c == u' ';
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

/// Every occurrence of `part`, left to right, without overlaps.
std::u16string withoutAll(std::u16string_view text, std::u16string_view part) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, part.size()) == part) {
            at += part.size();
        } else {
            out += text[at++];
        }
    }
    return out;
}

}  // namespace

HexInputCheck checkHexInput(std::u16string_view text) {
    HexInputCheck check{std::u16string(text), {}};
    // Each round removes at least one unit, so this ends.
    for (std::size_t i = 0; i < check.kept.size();) {
        if (isHexInput(check.kept[i])) {
            ++i;
            continue;
        }
        const bool pair = isHighSurrogate(check.kept[i]) && i + 1 < check.kept.size() &&
                          isLowSurrogate(check.kept[i + 1]);
        // Enter in a Windows box types CR LF: one key, one refused character, one message.
        const bool lineBreak = check.kept.compare(i, 2, u"\r\n") == 0;
        check.removed.push_back(check.kept.substr(i, pair || lineBreak ? 2 : 1));
        check.kept = withoutAll(check.kept, check.removed.back());
        // Everything before i is allowed and stays; removing a lone high surrogate may have
        // split a pair further on, which the scan meets later.
    }
    return check;
}

Bytes buildHexDocument(std::string_view hexText) {
    const HexInputCheck check = checkHexInput(toUtf16(hexText));
    if (!check.removed.empty()) {
        std::string names;
        for (const auto& character : check.removed) {
            names += (names.empty() ? "" : ", ") + characterName(character);
        }
        throw Refusal(check.removed.size() == 1 ? RefusalCode::CharacterNotHex
                                                : RefusalCode::CharactersNotHex,
                      {names});
    }
    // The send button's own rules; without the save bracket the timeline is one document.
    return commandBoxBytes(hexText);
}

}  // namespace trevalune

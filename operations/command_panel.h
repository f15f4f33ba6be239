#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "printer/timeline.h"

namespace trevalune {

/// The fixed paper and self-test buttons: one document each.
Timeline buildLineFeed();          ///< 0A
Timeline buildPageEject();         ///< 1D 56 53
Timeline buildMicroFeedForward();  ///< ESC J 3
Timeline buildMicroFeedBack();     ///< ESC j 3
Timeline buildSelfTest();          ///< ESC : NUL NUL P

/// The command box's hex text, its blanks removed, as the bytes it stands for. Only whole
/// byte pairs are sent: text with no digits or an odd number of digits throws Refusal with a
/// message for the operator, so nothing at all (not even the first save command) goes out.
Bytes commandBoxBytes(std::string_view boxText);

/// The panel's send button: the command as one document, between two save commands (2500 ms
/// before the data, 1000 ms after it) when `saveBracket` is set.
Timeline buildManualSend(const Bytes& command, bool saveBracket);

/// The command box's input check, without the window. The box allows "0"-"9", "a"-"f",
/// "A"-"F" and the blank; every other character goes, all its occurrences at once, with one
/// message per distinct character in order of first occurrence. Works on the box's UTF-16
/// text; a surrogate pair is one character, a lone surrogate a character of its own, and the
/// line break CR LF (what Enter types into a Windows box) one character.
struct HexInputCheck {
    std::u16string kept;                  ///< the text once every disallowed character has gone
    std::vector<std::u16string> removed;  ///< what each message removed, in order
};
HexInputCheck checkHexInput(std::u16string_view text);

/// Hex text as the window's command box takes it, with the box's own code: a character the
/// box never lets in (anything but 0-9, A-F, a-f and the blank) is refused by name, then the
/// send button's rules apply (blanks removed, refused without digits or with an odd number
/// of them). Returns the one document the box would send; throws Refusal otherwise.
Bytes buildHexDocument(std::string_view hexText);

}  // namespace trevalune

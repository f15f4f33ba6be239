// The command box's input check on UTF-16 text (the window tests cover typing and the caret),
// and UTF-8 <-> UTF-16.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf16.h"
#include "operations/command_panel.h"

namespace trevalune {
namespace {

TEST(HexInputTest, RemovesDisallowedCharactersInOrderOfFirstOccurrence) {
    struct Case {
        std::u16string text;
        std::u16string kept;
        std::vector<std::u16string> removed;
    };
    const Case cases[] = {
        {u"1b 4A 10", u"1b 4A 10", {}},
        {u"1GxG", u"1", {u"G", u"x"}},
        {u"fFgz09", u"fF09", {u"g", u"z"}},  // the letters just past f and at the end
        // A line break is one character, as Enter typed it: once CR and LF cost two messages.
        {u"1B\r\n4A\r\n\n", u"1B4A", {u"\r\n", u"\n"}},
        // A character beyond the basic plane is one character: its pair goes whole.
        {u"1\U0001F600\U0001F600A", u"1A", {u"\U0001F600"}},
        // A lone high surrogate goes everywhere, even from a pair further on; the low half
        // left over is then a character of its own.
        {u"\xD83D"
         u"0\U0001F600",
         u"0",
         {u"\xD83D", u"\xDE00"}},
        // Found by fuzzing: once x has gone, the lone halves around it make the removed
        // character again, and it costs a second message, as the box always did.
        {u"\U0001F600x\xD83Dx\xDE00", u"", {u"\U0001F600", u"x", u"\U0001F600"}},
    };
    for (const Case& c : cases) {
        const HexInputCheck check = checkHexInput(c.text);
        EXPECT_EQ(check.kept, c.kept);
        EXPECT_EQ(check.removed, c.removed);
    }
}

// Only whole byte pairs go out: a lone digit is refused, never padded or dropped. A character
// that cannot be seen is named by its code.
TEST(ManualSend, BlanksGoOddDigitCountsAndOtherCharactersAreRefused) {
    EXPECT_EQ(buildManualSend(commandBoxBytes(" 1b 4A "), false).documents(), std::vector<Bytes>{"\x1B\x4A"});
    for (const char* text : {"1", "1B 4A 1", " "})
        EXPECT_THROW(commandBoxBytes(text), Refusal) << text;
    try {
        buildHexDocument("1B\rx\x7F");
        ADD_FAILURE() << "not refused";
    } catch (const Refusal& e) {
        EXPECT_STREQ(e.what(),
                     "U+000D, \"x\", U+007F are not allowed in hex text: the command box takes "
                     "only 0-9, A-F, a-f and blanks.");
    }
}

TEST(Utf16, PairsMakeTheRoundTripAndMalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(toUtf16("宋体 a😀"), std::u16string(u"宋体 a\xD83D\xDE00"));
    EXPECT_EQ(toUtf8(u"宋体 a\xD83D\xDE00"), "宋体 a😀");
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"\xFF", u"\xFFFD"},                                // never a lead byte
        {"a\x80z", u"a\xFFFDz"},                            // a lone continuation byte
        {"\xE5\xAE", u"\xFFFD\xFFFD"},                      // cut short
        {"\xC0\xAF", u"\xFFFD\xFFFD"},                      // overlong
        {"\xED\xBF\xBF", u"\xFFFD\xFFFD\xFFFD"},            // an encoded surrogate (the last)
        {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},  // beyond U+10FFFF
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},              // U+10FFFF itself
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf16(c.utf8), c.utf16);

    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(toUtf8(u"\xD800"), replacement);  // a lone high half
    EXPECT_EQ(toUtf8(std::u16string{0xDE00, u'a'}), replacement + "a");
    EXPECT_EQ(toUtf8(u"\xD83D\xD83D\xDE00"), replacement + "😀");
}

}  // namespace
}  // namespace trevalune

// The command box's input check on UTF-16 text; the window tests cover typing and the caret.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        {u"1B\r\n4A", u"1B4A", {u"\r", u"\n"}},
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

}  // namespace
}  // namespace trevalune

#include "operations/utf16.h"

#include <gtest/gtest.h>

namespace trevalune {
namespace {

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
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf16(c.utf8), c.utf16);

    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(toUtf8(u"\xD800"), replacement);  // a lone high half
    EXPECT_EQ(toUtf8(std::u16string{0xDE00, u'a'}), replacement + "a");
    EXPECT_EQ(toUtf8(u"\xD83D\xD83D\xDE00"), replacement + "😀");
}

}  // namespace
}  // namespace trevalune

#include "printer/gbk.h"

#include <gtest/gtest.h>

namespace trevalune {
namespace {

TEST(Gbk, EncodesChineseAsCodePage936) {
    EXPECT_EQ(toGbk("高速"), bytesOf({0xB8, 0xDF, 0xCB, 0xD9}));
    EXPECT_EQ(toGbk("ABC"), "ABC");
    EXPECT_EQ(toGbk("测试时间："),
              bytesOf({0xB2, 0xE2, 0xCA, 0xD4, 0xCA, 0xB1, 0xBC, 0xE4, 0xA3, 0xBA}));
    EXPECT_EQ(fromGbk(bytesOf({0xB8, 0xDF, 0xCB, 0xD9})), "高速");
}

TEST(Gbk, CharacterLenCountsBytes) {
    EXPECT_EQ(CharacterLen("ABC"), 3);
    EXPECT_EQ(CharacterLen("高速"), 4);
    EXPECT_EQ(CharacterLen("Korvel参数"), 10);
    EXPECT_EQ(CharacterLen(""), 0);
    EXPECT_EQ(CharacterLen(std::string("A\0B", 3)), 3);  // a zero byte is a character too
}

TEST(Gbk, RefusesWhatGbkCannotHold) {
    EXPECT_THROW(toGbk("\xF0\x9F\x98\x80"), EncodeError);  // an emoji
    EXPECT_THROW(toGbk("\xFF"), EncodeError);              // not UTF-8
}

}  // namespace
}  // namespace trevalune

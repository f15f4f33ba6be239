#include "printer/gbk.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace trevalune {
namespace {

TEST(Gbk, EncodesChineseAsCodePage936AndRefusesWhatItCannotHold) {
    EXPECT_EQ(toGbk("高速 ABC"), bytesOf({0xB8, 0xDF, 0xCB, 0xD9, ' ', 'A', 'B', 'C'}));
    EXPECT_EQ(toGbk("测试时间："),
              bytesOf({0xB2, 0xE2, 0xCA, 0xD4, 0xCA, 0xB1, 0xBC, 0xE4, 0xA3, 0xBA}));
    EXPECT_EQ(toGbk("€"), "\x80");  // code page 936, not plain GBK, which has no euro
    EXPECT_THROW(toGbk("\xF0\x9F\x98\x80"), Refusal);  // an emoji
    EXPECT_THROW(toGbk("\xFF"), Refusal);              // not UTF-8
}

// iconv on Linux and code page 936 on Windows must agree character for character: the
// hash of the UTF-8 text was taken from an independent GBK table.
TEST(Gbk, AllGb2312HanziMatchTheReferenceTableBothWays) {
    Bytes gbk;  // B0A1 (啊) to F7FE (齄) in code order; D7FA..D7FE are unassigned
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead != 0xD7 || trail < 0xFA) gbk += bytesOf({lead, trail});
        }
    }
    ASSERT_EQ(gbk.size(), 2u * 6763u);
    const std::string utf8 = fromGbk(gbk);
    std::uint64_t fnv1a = 0xcbf29ce484222325u;
    for (const char c : utf8) fnv1a = (fnv1a ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    EXPECT_EQ(fnv1a, 0x786cc8da9288ba4eu);
    EXPECT_EQ(toGbk(utf8), gbk);
}

}  // namespace
}  // namespace trevalune

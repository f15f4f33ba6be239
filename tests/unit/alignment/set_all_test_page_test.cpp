#include "alignment/set_all_test_page.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "alignment/hanzi_sample.h"
#include "wire.h"

namespace trevalune {
namespace {

using namespace trevalune::testing;

// The sample's first 88 characters in the pieces the three row layouts cut them into.
const std::string A = "啊阿埃挨哎唉哀皑癌蔼矮艾碍爱隘鞍氨安俺按暗岸";                  // 1-22
const std::string B = "胺案肮昂盎凹敖熬";                                              // 23-30
const std::string C = "翱袄傲奥懊澳芭捌扒叭吧笆八";                                    // 31-43
const std::string D = "疤巴";                                                          // 44-45
const std::string E = "拔跋靶把耙坝霸罢爸白柏百摆";                                    // 46-58
const std::string F = "佰败拜稗斑班搬扳般颁板版扮拌伴瓣半办绊邦帮梆榜膀绑棒磅蚌镑傍";  // 59-88

/// A page from its lines: each a row set-value command, GBK text and LF; the save command last.
/// Per mode: the title for value x, then the rows first..last cut as head, marker group, tail.
struct Block {
    int mode, x;
    const char* word;
    int first, last;
    std::string head, tail;
};

Bytes pageOf(const std::vector<Block>& blocks) {
    Bytes page;
    for (const Block& b : blocks) {
        page += rowForm(b.mode, b.x) + toGbk("----------------Velmorax--------------") +
                toGbk(b.word) + toGbk("测试页") + "\n";
        for (int v = b.first; v <= b.last; ++v) {
            const std::string mark = v == b.x ? "*" : "-";
            page += rowForm(b.mode, v) + toGbk(b.head) + mark + (v < 10 ? "0" : "") +
                    std::to_string(v) + mark + toGbk(b.tail) + "\n";
        }
    }
    return page + kSave;
}

const Block kHighDensity{11, 24, "标准", 20, 28, A + B, C + D + E};
const Block kSuperHighDensity{12, 40, "精细", 36, 40, A + B + C + D, E + F};

TEST(SetAllWithTestPage, StartupValues) {
    ASSERT_EQ(kHanziSample.substr(0, 264), A + B + C + D + E + F);
    EXPECT_TRUE(kHanziSample.ends_with("奔苯本笨"));
    EXPECT_EQ(toGbk(kHanziSample).size(), 250u);

    const Timeline t = buildSetAllWithTestPage({"16", "24", "40"}, "5000", kHanziSample);
    const Bytes page =
        pageOf({{10, 16, "高速", 12, 20, A, B + C}, kHighDensity, kSuperHighDensity});
    Timeline expected;
    expected.caption("正在设置...").wait(2500).caption("正在设置....");
    expected.text(shortForm(0x0A, 16) + shortForm(0x0B, 24) + shortForm(0x0C, 40) + kSave);
    expected.wait(2000).caption("正在设置..").wait(2500).caption("正在设置...").wait(2500);
    EXPECT_EQ(t, expected.wait(5000).caption("正在设置....").text(page));
    // The marked high-speed row: its group follows 22 double-byte characters.
    EXPECT_EQ(page.substr(62 + 4 * 104 + 13 + 44, 4), "*16*");
}

TEST(SetAllWithTestPage, CandidatesStayWithinOneToForty) {
    const struct {
        int x, first, last;  // last < first: the title alone
    } cases[] = {{0, 1, 4},    {3, 1, 7},    {4, 1, 8},    {5, 1, 9}, {10, 6, 14},
                 {36, 32, 40}, {37, 33, 40}, {44, 40, 40}, {45, 1, 0}};
    for (const auto& c : cases) {
        const ModeValues values{std::to_string(c.x), "24", "40"};
        EXPECT_TRUE(
            buildSetAllWithTestPage(values, "0", kHanziSample).documents()[1] ==
            pageOf({{10, c.x, "高速", c.first, c.last, A, B + C}, kHighDensity, kSuperHighDensity}))
            << c.x;
    }
}

TEST(SetAllWithTestPage, RefusedBeforeAnything) {
    EXPECT_EQ(refusal([] {
                  buildSetAllWithTestPage({"16", "24", "40.x"}, "0", kHanziSample);
              }),
              "超高密的值“40.x”不是数字，没有发送任何内容。");
    EXPECT_EQ(refusal([] {
                  buildSetAllWithTestPage({"256", "24", "40"}, "0", kHanziSample);
              }),
              "高速的值“256”超出 0 到 255 的范围，没有发送任何内容。");
    EXPECT_THROW(buildSetAllWithTestPage({"16", "24", "40"}, "0", "啊阿"), std::invalid_argument);
}

}  // namespace
}  // namespace trevalune

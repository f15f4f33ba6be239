#include "pintest/pin_pages.h"

#include <gtest/gtest.h>

#include <vector>

#include "pintest/pin_line.h"
#include "printer/gbk.h"
#include "printer/hex_text.h"
#include "tests/support/timeline_print.h"

namespace trevalune {
namespace {

const Bytes kCommandHead = bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, 0x0A, 0xFF});

TEST(PinTestHeader, TextDocumentIs206BytesThenThreeCheckerLines) {
    const std::vector<Bytes> docs = buildPinTestHeader({2026, 12, 5, 9, 5, 3}).documents();
    ASSERT_EQ(docs.size(), 4u);
    const std::string indent(29, ' ');
    EXPECT_EQ(docs[0],
              kCommandHead + bytesOf({0xFF, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A}) +
                  toGbk(indent + "测试时间：2026-12-05    09:05:03\n" + indent + "测试人员:无\n" +
                        indent + "条码编号:无\n\n" + indent + "高速针测试效果\n\n"));
    for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(docs[i], hexTextToBytes(buildCheckerLine()));
}

TEST(PinTestPages, AscendingAndDescendingPages) {
    const struct {
        Timeline page;
        std::string_view ruler;
        PinOrder order;
    } cases[] = {{buildPinTestAscending(), kAscendingRuler, PinOrder::Ascending},
                 {buildPinTestDescending(), kDescendingRuler, PinOrder::Descending}};
    for (const auto& c : cases) {
        const std::vector<Bytes> docs = c.page.documents();
        ASSERT_EQ(docs.size(), 4u);
        EXPECT_EQ(docs[0], kCommandHead + bytesOf({0xFF, 0x0A, 0x0A, 0x0A}) +
                               toGbk("高速针测试效果\n") + std::string(c.ruler) + "\n");
        for (std::size_t i = 1; i < 4; ++i) {
            EXPECT_EQ(docs[i], hexTextToBytes(buildPinTestLine(90, c.order)));
        }
    }
}

TEST(PinTestPages, RulerLabelsSitAtTheirSpacing) {
    const struct {
        std::string_view ruler;
        bool descending;
        std::vector<int> gaps;  // spaces before each label
    } cases[] = {
        {kAscendingRuler, false, {2, 5, 4, 5, 5, 5, 4, 5, 4, 4, 4, 3, 4, 4, 4, 3}},
        {kDescendingRuler, true, {2, 3, 3, 4, 4, 4, 3, 5, 4, 4, 5, 5, 5, 5, 5, 4}},
        {kHighDensityRuler, false, {3, 7, 6, 6, 7, 6, 7, 7, 6, 6, 6, 6, 6, 5, 5, 4}},
        {kSuperHighDensityRuler,
         false,
         {5, 10, 10, 10, 10, 10, 11, 10, 10, 10, 10, 10, 9, 9, 9, 8}},
    };
    for (const auto& c : cases) {
        std::string expected;
        for (int i = 0; i < 16; ++i) {
            expected +=
                std::string(static_cast<std::size_t>(c.gaps[static_cast<std::size_t>(i)]), ' ') +
                std::to_string(c.descending ? 16 - i : i + 1);
        }
        EXPECT_EQ(c.ruler, expected);
    }
}

TEST(BurnInPage, FiveDocumentsEndingInAForwardAndBackStep) {
    EXPECT_EQ(buildBurnInSample().documents(),
              (std::vector<Bytes>{kCommandHead + bytesOf({0xFF, 0x0A, 0x0A, 0xC0, 0xCF, 0xBB, 0xAF,
                                                          0xD1, 0xF9, 0xD5, 0xC5, 0x0A, 0x0A}),
                                  hexTextToBytes(buildBurnInLine()), "\n",
                                  bytesOf({0x1B, 0x4A, 0x10}), bytesOf({0x1B, 0x6A, 0x10})}));
}

}  // namespace
}  // namespace trevalune

#include "alignment/test_print.h"

#include <gtest/gtest.h>

#include "alignment/sample_row.h"
#include "wire.h"

namespace trevalune {
namespace {

using namespace trevalune::testing;

TEST(AlignmentTest, TitleRowsAroundTheCentreAndEject) {
    const struct {
        const char* text;
        int centre, first;  // first row; 0: title and eject only
        std::size_t documents;
    } cases[] = {
        {"31", 31, 28, 60},   {"5", 5, 2, 60},     {"116", 116, 113, 60},
        {" 31 ", 31, 28, 60}, {"31.5", 32, 0, 60}, {"4", 4, 0, 3},
        {"117", 117, 0, 3},   {"120", 120, 0, 3},  {"0", 0, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Timeline expected;
        expected.text(setValueBytes(0x0A, c.centre, {0x00, 0x0A, 0x0A, 0x0A, 0x0A}));
        expected.text(blanks(30) + "Trevalune-----" + bytesOf({0xB8, 0xDF, 0xCB, 0xD9}) +
                      "Korvel\n");
        // A fractional centre steps on its halves: 28.5, 29.5, ... round to their even neighbours.
        const std::vector<int> halves{28, 30, 30, 32, 32, 34, 34};
        for (int i = 0; i < 7 && c.documents == 60; ++i)
            expected.append(buildTestSample(c.first ? c.first + i : halves[i], c.text));
        if (c.documents == 60) expected.text(standard(0x0A, c.centre));
        expected.text(kEject);
        const Timeline t = buildAlignmentTest(c.text);
        EXPECT_EQ(t, expected);
        EXPECT_EQ(t.documentCount(), c.documents);
    }
}

TEST(AlignmentTest, CentreThatCannotBeSentIsRefused) {
    for (const char* text : {"abc", "", "31abc"})
        EXPECT_EQ(refusal([&] { buildAlignmentTest(text); }),
                  "高速的测试中心值“" + std::string(text) + "”不是数字，没有发送任何内容。");
    for (const char* text : {"256", "255.5", "-1"})
        EXPECT_EQ(
            refusal([&] { buildAlignmentTest(text); }),
            "高速的测试中心值“" + std::string(text) + "”超出 0 到 255 的范围，没有发送任何内容。");
}

}  // namespace
}  // namespace trevalune

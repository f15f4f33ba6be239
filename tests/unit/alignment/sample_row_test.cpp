#include "alignment/sample_row.h"

#include <gtest/gtest.h>

#include "wire.h"

namespace trevalune {
namespace {

using namespace trevalune::testing;

TEST(SampleRow, SetValueCommand) {
    EXPECT_EQ(buildSetValueCommand(16, PrintMode::HighSpeed).documents()[0],
              bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, 0x0A, 0x10, 0xFF, 0x0A, 0x0A,
                       0x0A}));
    EXPECT_EQ(buildSetValueCommand(40, PrintMode::SuperHighDensity).documents()[0],
              standard(0x0C, 0x28));
    EXPECT_EQ(refusal([] { buildSetValueCommand(256, PrintMode::HighDensity); }),
              "高密的值 256 超出 0 到 255 的范围，没有发送任何内容。");
    EXPECT_EQ(refusal([] { buildSuperHighDensitySample(256, "40"); }),
              "超高密的样张值 256 超出 0 到 255 的范围，没有发送任何内容。");
    EXPECT_NE(refusal([] { buildTestSample(-1, "31"); }), "(built)");
}

TEST(SampleRow, LabelDocumentAndFourIdenticalImagePasses) {
    const struct {
        Timeline row;
        int mode, spaces;
        bool marked;
        int v, columns, repeats, groups, firstBar;  // six bar groups from firstBar
    } cases[] = {
        {buildTestSample(31, "31"), 0x0A, 14, true, 31, 2880, 1, 20, 3},
        {buildTestSample(30, "31"), 0x0A, 15, false, 30, 2880, 1, 20, 3},
        {buildHighSpeedSample(16, "16.0"), 0x0A, 25, true, 16, 2880, 2, 18, 7},
        {buildHighSpeedSample(15, "16"), 0x0A, 26, false, 15, 2880, 2, 18, 7},
        {buildHighSpeedSample(0, "abc"), 0x0A, 25, true, 0, 2880, 2, 18, 7},
        {buildHighSpeedSample(16, "abc"), 0x0A, 26, false, 16, 2880, 2, 18, 7},
        {buildHighDensitySample(24, "24"), 0x0B, 34, true, 24, 3744, 2, 18, 7},
        {buildHighDensitySample(255, "24"), 0x0B, 35, false, 255, 3744, 2, 18, 7},
        {buildSuperHighDensitySample(40, "40"), 0x0C, 56, true, 40, 5760, 2, 20, 8},
        {buildSuperHighDensitySample(9, "40"), 0x0C, 58, false, 9, 5760, 2, 20, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v);
        const auto docs = c.row.documents();
        ASSERT_EQ(docs.size(), 8u);
        EXPECT_EQ(docs[0], standard(c.mode, c.v) + blanks(c.spaces) + (c.marked ? "*" : "") +
                               std::to_string(c.v) + "\r");
        const Bytes step = bytesOf({0x1B, 0x4A, 0x10});
        EXPECT_EQ(docs, (std::vector<Bytes>{docs[0], docs[1], step, docs[1], step, docs[1], step,
                                            docs[1]}));
        // Header with the column count, the dots of the bar groups, CR.
        Bytes line = bytesOf({0x1B, 0x2A, 0x01, c.columns & 0xFF, c.columns >> 8});
        line += Bytes(static_cast<std::size_t>(c.columns), '\0') + "\r";
        const int group = c.columns / (c.repeats * c.groups);
        for (int r = 0; r < c.repeats; ++r)
            for (int k = c.firstBar; k < c.firstBar + 6; ++k)
                for (int j = 0; j < 12; j += 2)
                    line[5 + (r * c.groups + k - 1) * group + j] = '\xFF';
        EXPECT_TRUE(docs[1] == line);
    }
}

}  // namespace
}  // namespace trevalune

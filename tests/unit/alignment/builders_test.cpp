// The alignment operations' documents, byte for byte as the printer reads them.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <tuple>

#include "alignment/config_block.h"
#include "alignment/hanzi_sample.h"
#include "alignment/sample_row.h"
#include "alignment/set_all_test_page.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "printer/gbk.h"
#include "printer/hex_text.h"
#include "tests/support/timeline_print.h"

namespace trevalune {
namespace {

/// The set-value command as the printer's manual writes it: ESC 01 '@' "QV627" mode value tail.
const auto setValue = [](int mode, int v, const Bytes& tail) {
    return bytesOf({0x1B, 0x01, 0x40}) + "QV627" + bytesOf({mode, v}) + tail;
};
const auto standard = [](int mode, int v) {
    return setValue(mode, v, bytesOf({0xFF, 10, 10, 10}));
};
const auto shortForm = [](int mode, int v) { return setValue(mode, v, bytesOf({0x00, 10, 10})); };
const auto blanks = [](int n) { return std::string(static_cast<std::size_t>(n), ' '); };
const Bytes kEject = bytesOf({0x1D, 0x56, 0x53});
const Bytes kSave = bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x52});
/// Captions as the window reads them, high speed first.
ModeValues values(std::string_view hs, std::string_view hd, std::string_view shd) {
    return modeValuesOf({hs, hd, shd});
}
const ModeValues kStartup = initialModeValues();

/// The operator's message of a refused build, or "(built)" when nothing was refused.
template <class Build>
std::string refusal(Build build) {
    try {
        build();
    } catch (const Refusal& e) {
        return e.what();
    }
    return "(built)";
}

TEST(ConfigBlock, BothFormsGiveTheSame31Bytes) {
    const Bytes expected =
        bytesOf({0x1B, 0x3A, 0x45, 0x1A, 0x00, 0x12, 0x00, 0x1F, 0xFF, 0x42, 0x00,
                 0x22, 0x00, 0x92, 0x00, 0xFF, 0x00, 0x87, 0x06, 0x00, 0x0B, 0x48,
                 0x09, 0x80, 0x08, 0x10, 0x00, 0x14, 0x00, 0x08, 0x00});
    EXPECT_EQ(buildFactoryBlockHexText().size(), 62u);
    EXPECT_EQ(hexTextToBytes(buildFactoryBlockHexText()), expected);
    std::string unspaced(kFactoryBlockSpaced);
    std::erase(unspaced, ' ');
    EXPECT_EQ(kFactoryBlockSpaced.size(), 92u);
    EXPECT_EQ(hexTextToBytes(unspaced), expected);
}

TEST(SampleRow, LabelDocumentAndFourIdenticalImagePasses) {
    // The row, its mode byte, blanks before the label, marked or not, value, columns, repeats,
    // groups, the first of the six groups with bars.
    const std::tuple<Timeline, int, int, bool, int, int, int, int, int> cases[] = {
        {buildTestSample(31, 31), 0x0A, 14, true, 31, 2880, 1, 20, 3},
        {buildTestSample(30, 31), 0x0A, 15, false, 30, 2880, 1, 20, 3},
        {buildSampleRow(PrintMode::HighSpeed, 16, 16.0), 0x0A, 25, true, 16, 2880, 2, 18, 7},
        {buildSampleRow(PrintMode::HighSpeed, 15, 16), 0x0A, 26, false, 15, 2880, 2, 18, 7},
        {buildSampleRow(PrintMode::HighSpeed, 0, 0), 0x0A, 25, true, 0, 2880, 2, 18, 7},
        {buildSampleRow(PrintMode::HighSpeed, 16, 16.5), 0x0A, 26, false, 16, 2880, 2, 18, 7},
        {buildSampleRow(PrintMode::HighDensity, 24, 24), 0x0B, 34, true, 24, 3744, 2, 18, 7},
        {buildSampleRow(PrintMode::HighDensity, 255, 24), 0x0B, 35, false, 255, 3744, 2, 18, 7},
        {buildSampleRow(PrintMode::SuperHighDensity, 40, 40), 0x0C, 56, true, 40, 5760, 2, 20, 8},
        {buildSampleRow(PrintMode::SuperHighDensity, 9, 40), 0x0C, 58, false, 9, 5760, 2, 20, 8},
    };
    for (const auto& [row, mode, spaces, marked, v, columns, repeats, groups, firstBar] : cases) {
        SCOPED_TRACE(v);
        const auto docs = row.documents();
        ASSERT_EQ(docs.size(), 8u);
        EXPECT_EQ(docs[0], standard(mode, v) + blanks(spaces) + (marked ? "*" : "") +
                               std::to_string(v) + "\r");
        const Bytes step = bytesOf({0x1B, 0x4A, 0x10});
        EXPECT_EQ(docs, (std::vector<Bytes>{docs[0], docs[1], step, docs[1], step, docs[1], step,
                                            docs[1]}));
        // Header with the column count, the dots of the bar groups, CR.
        Bytes line = bytesOf({0x1B, 0x2A, 0x01, columns & 0xFF, columns >> 8});
        line += Bytes(static_cast<std::size_t>(columns), '\0') + "\r";
        const int group = columns / (repeats * groups);
        for (int r = 0; r < repeats; ++r)
            for (int k = firstBar; k < firstBar + 6; ++k)
                for (int j = 0; j < 12; j += 2) line[5 + (r * groups + k - 1) * group + j] = '\xFF';
        EXPECT_TRUE(docs[1] == line);
    }
}

TEST(AlignmentTest, TitleRowsAroundTheCentreAndEject) {
    // The text, the centre, the row marked with a star (-1: none), the sample rows' values
    // (none: the title and the eject alone).
    const std::tuple<const char*, int, int, std::vector<int>> cases[] = {
        {"31", 31, 31, {28, 29, 30, 31, 32, 33, 34}},
        {"5", 5, 5, {2, 3, 4, 5, 6, 7, 8}},
        {" 31 ", 31, 31, {28, 29, 30, 31, 32, 33, 34}},
        {"116", 116, 116, {113, 114, 115, 116, 117, 118, 119}},
        // A fractional centre steps on its halves: 28.5, 29.5, ... round to their even neighbours.
        {"31.5", 32, -1, {28, 30, 30, 32, 32, 34, 34}},
        {"4", 4, -1, {}},
        {"117", 117, -1, {}},
        {"0", 0, -1, {}},
    };
    for (const auto& [text, centre, marked, rows] : cases) {
        SCOPED_TRACE(text);
        const auto docs = buildAlignmentTest(centreValueOf(text)).documents();
        ASSERT_EQ(docs.size(), rows.empty() ? 3u : 60u);
        EXPECT_EQ(docs[0], setValue(0x0A, centre, bytesOf({0x00, 0x0A, 0x0A, 0x0A, 0x0A})));
        EXPECT_EQ(docs[1],
                  blanks(30) + "Trevalune-----" + bytesOf({0xB8, 0xDF, 0xCB, 0xD9}) + "Korvel\n");
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int v = rows[i];
            EXPECT_EQ(docs[2 + 8 * i], standard(0x0A, v) + blanks(v == marked ? 14 : 15) +
                                           (v == marked ? "*" : "") + std::to_string(v) + "\r");
            EXPECT_EQ(docs[3 + 8 * i].size(), 2886u);
        }
        // The printer is left on the centre.
        EXPECT_EQ(docs[docs.size() - 2], rows.empty() ? docs[1] : standard(0x0A, centre));
        EXPECT_EQ(docs.back(), kEject);
    }
    for (const char* text : {"abc", "", "31abc"})
        EXPECT_EQ(refusal([&] { centreValueOf(text); }),
                  "高速的测试中心值“" + std::string(text) + "”不是数字，没有发送任何内容。");
    for (const char* text : {"256", "255.5", "-1"})
        EXPECT_EQ(
            refusal([&] { centreValueOf(text); }),
            "高速的测试中心值“" + std::string(text) + "”超出 0 到 255 的范围，没有发送任何内容。");
}

/// The steps every set operation opens with, up to and including the value document.
Timeline opening(const Bytes& valueDocument, int extraMs) {
    Timeline t;
    t.caption("正在设置...").wait(2500).caption("正在设置....").text(valueDocument);
    t.wait(100).caption("正在设置..").wait(100).caption("正在设置...").wait(100);
    return t.wait(extraMs).caption("正在设置....");
}

const auto banner = [](int indent, const char* word) {
    return blanks(indent) + "Velmorax-----" + toGbk(word) + "Sarnid\n";
};

/// Rows first..last of a mode, then the command that leaves the printer on `value`.
Timeline rows(PrintMode m, int first, int last, int value, int mode) {
    Timeline t;
    for (int v = first; v <= last; ++v) t.append(buildSampleRow(m, v, value));
    return t.text(standard(mode, value));
}

TEST(SetSingleItem, EveryStepPerMode) {
    Timeline hs = opening(shortForm(0x0A, 0x10), 5000).text(banner(30, "高速"));
    hs.append(rows(PrintMode::HighSpeed, 14, 18, 16, 0x0A)).text(kEject);
    EXPECT_EQ(buildSetSingleItem(PrintMode::HighSpeed, kStartup.of(PrintMode::HighSpeed), 5000), hs);

    Timeline shd = opening(shortForm(0x0C, 0x28), 0).text(banner(61, "超高密"));
    shd.append(rows(PrintMode::SuperHighDensity, 37, 43, 40, 0x0C)).text(kEject);
    EXPECT_EQ(buildSetSingleItem(PrintMode::SuperHighDensity, {40, 40}, 0), shd);

    for (const int value : {117, 4}) {
        Timeline closed = opening(shortForm(0x0B, value), 5000).text(banner(38, "高密"));
        EXPECT_EQ(buildSetSingleItem(PrintMode::HighDensity, {double(value), value}, 5000),
                  closed.text(kEject));
    }
}

TEST(SetAllItems, StartupValuesAre147Documents) {
    Timeline all = opening(shortForm(0x0A, 16) + shortForm(0x0B, 24) + shortForm(0x0C, 40), 5000);
    all.text(bytesOf({0x1B, 0x4A, 0x20})).text(banner(56, "高速"));
    all.append(rows(PrintMode::HighSpeed, 14, 18, 16, 0x0A));
    all.text(bytesOf({0x1B, 0x4A, 0x15})).text(banner(30, "高密"));
    all.append(rows(PrintMode::HighDensity, 22, 26, 24, 0x0B));
    all.text(bytesOf({0x1B, 0x4A, 0x15})).text(banner(40, "超高密"));
    all.append(rows(PrintMode::SuperHighDensity, 37, 43, 40, 0x0C)).text(kEject);
    EXPECT_EQ(buildSetAllItems(kStartup, 5000), all);

    // The high-speed value alone opens the rows of all three modes.
    for (const char* hs : {"4", "117"})
        EXPECT_EQ(buildSetAllItems(values(hs, "24", "40"), 0).documents().at(1), kEject) << hs;
    const auto docs = buildSetAllItems(values("116", "120", "40"), 0).documents();
    ASSERT_EQ(docs.size(), 147u);
    EXPECT_EQ(docs[3 + 8 * 4], standard(0x0A, 118) + blanks(26) + "118\r");
    EXPECT_EQ(docs[46], standard(0x0B, 118) + blanks(35) + "118\r");
}

TEST(SetOperations, ValuesThatCannotBeSentAreRefused) {
    const std::pair<std::array<std::string_view, 3>, const char*> cases[] = {
        {{"abc", "24", "40"}, "高速的值“abc”不是数字"},
        {{"16", "", "40"}, "高密的值“”不是数字"},
        {{"16", "24", "256"}, "超高密的值“256”超出 0 到 255 的范围"},
        {{"16", "-1", "40"}, "高密的值“-1”超出 0 到 255 的范围"},
        {{"16", "1", "40"}, "高密的值“1”使样张值 -1 超出 0 到 255 的范围"},
        {{"16", "24", "2"}, "超高密的值“2”使样张值 -1 超出 0 到 255 的范围"},
        {{"16", "24", "254"}, "超高密的值“254”使样张值 256 超出 0 到 255 的范围"},
    };
    for (const auto& [captions, message] : cases)
        EXPECT_EQ(refusal([&] { buildSetAllItems(modeValuesOf(captions), 0); }),
                  std::string(message) + "，没有发送任何内容。");
    // With the gate closed the low values are never sent as rows.
    EXPECT_EQ(buildSetAllItems(values("4", "1", "2"), 0).documentCount(), 2u);
    EXPECT_EQ(refusal([] { modeValueOf(PrintMode::HighSpeed, "16abc"); }),
              "高速的值“16abc”不是数字，没有发送任何内容。");
    EXPECT_EQ(refusal([] { modeValueOf(PrintMode::SuperHighDensity, "300"); }),
              "超高密的值“300”超出 0 到 255 的范围，没有发送任何内容。");
    // clang-format off
    const std::pair<const char*, int> waits[] = {
        {"5000", 5000}, {"0", 0}, {"abc", 0}, {"", 0}, {"-5", 0}, {"2.5", 2}, {"3.5", 4},
        {"5000ms", 5000}, {"60000", 60000}, {"60001", 60000}, {"99999999999999999999", 60000}};
    // clang-format on
    for (const auto& [text, ms] : waits) EXPECT_EQ(extraWaitMs(text), ms) << text;
}

// The sample's first 88 characters in the pieces the three row layouts cut them into.
const std::string A = "啊阿埃挨哎唉哀皑癌蔼矮艾碍爱隘鞍氨安俺按暗岸";                  // 1-22
const std::string B = "胺案肮昂盎凹敖熬";                                              // 23-30
const std::string C = "翱袄傲奥懊澳芭捌扒叭吧笆八";                                    // 31-43
const std::string D = "疤巴";                                                          // 44-45
const std::string E = "拔跋靶把耙坝霸罢爸白柏百摆";                                    // 46-58
const std::string F = "佰败拜稗斑班搬扳般颁板版扮拌伴瓣半办绊邦帮梆榜膀绑棒磅蚌镑傍";  // 59-88

/// Per mode: the title for value x, then the rows first..last cut as head, marker group, tail.
struct Block {
    int mode, x;
    const char* word;
    int first, last;
    std::string head, tail;
};

/// A page from its lines: each a row set-value command, GBK text and LF; the save command last.
Bytes pageOf(const std::vector<Block>& blocks) {
    Bytes page;
    for (const Block& b : blocks) {
        const Bytes row = bytesOf({0xFF, 0x0A, 0x0A});
        page += setValue(b.mode, b.x, row) + toGbk("----------------Velmorax--------------") +
                toGbk(b.word) + toGbk("测试页") + "\n";
        for (int v = b.first; v <= b.last; ++v) {
            const std::string mark = v == b.x ? "*" : "-";
            page += setValue(b.mode, v, row) + toGbk(b.head) + mark + (v < 10 ? "0" : "") +
                    std::to_string(v) + mark + toGbk(b.tail) + "\n";
        }
    }
    return page + kSave;
}

TEST(SetAllWithTestPage, StartupValuesAndCandidatesWithinOneToForty) {
    ASSERT_EQ(kHanziSample.substr(0, 264), A + B + C + D + E + F);
    EXPECT_TRUE(kHanziSample.ends_with("奔苯本笨"));
    EXPECT_EQ(toGbk(kHanziSample).size(), 250u);

    const Block highDensity{11, 24, "标准", 20, 28, A + B, C + D + E};
    const Block superHighDensity{12, 40, "精细", 36, 40, A + B + C + D, E + F};
    const Bytes page = pageOf({{10, 16, "高速", 12, 20, A, B + C}, highDensity, superHighDensity});
    Timeline expected;
    expected.caption("正在设置...").wait(2500).caption("正在设置....");
    expected.text(shortForm(0x0A, 16) + shortForm(0x0B, 24) + shortForm(0x0C, 40) + kSave);
    expected.wait(2000).caption("正在设置..").wait(2500).caption("正在设置...").wait(2500);
    EXPECT_EQ(buildSetAllWithTestPage(kStartup, 5000, kHanziSample),
              expected.wait(5000).caption("正在设置....").text(page));

    // The high-speed value, its first and last candidates (last < first: the title alone).
    const std::array<int, 3> cases[] = {{0, 1, 4},    {3, 1, 7},    {4, 1, 8},
                                        {5, 1, 9},    {10, 6, 14},  {36, 32, 40},
                                        {37, 33, 40}, {44, 40, 40}, {45, 1, 0}};
    const std::string sample = A + B + C + D + E + F;  // the 88 characters a page needs
    EXPECT_THROW(buildSetAllWithTestPage(kStartup, 0, sample.substr(0, sample.size() - 3)),
                 std::invalid_argument);
    for (const auto& [x, first, last] : cases) {
        const ModeValues xValues = values(std::to_string(x), "24", "40");
        EXPECT_TRUE(buildSetAllWithTestPage(xValues, 0, sample).documents()[1] ==
                    pageOf({{10, x, "高速", first, last, A, B + C}, highDensity, superHighDensity}))
            << x;
    }
}

}  // namespace
}  // namespace trevalune

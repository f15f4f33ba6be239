#include "alignment/set_items.h"

#include <gtest/gtest.h>

#include "alignment/sample_row.h"
#include "wire.h"

namespace trevalune {
namespace {

using namespace trevalune::testing;

const ModeValues kStartup{"16", "24", "40"};

/// The steps every set operation opens with, up to and including the value document.
Timeline opening(const Bytes& valueDocument, int extraMs) {
    Timeline t;
    t.caption("正在设置...").wait(2500).caption("正在设置....").text(valueDocument);
    t.wait(100).caption("正在设置..").wait(100).caption("正在设置...").wait(100);
    return t.wait(extraMs).caption("正在设置....");
}

Bytes banner(int indent, const char* word) {
    return blanks(indent) + "Velmorax-----" + toGbk(word) + "Sarnid\n";
}

/// Rows first..last of a mode, then the command that leaves the printer on `value`.
Timeline rows(Timeline (*row)(int, std::string_view), int first, int last, const char* value,
              int mode) {
    Timeline t;
    for (int v = first; v <= last; ++v) t.append(row(v, value));
    return t.text(standard(mode, std::stoi(value)));
}

TEST(SetSingleItem, EveryStepPerMode) {
    Timeline hs = opening(shortForm(0x0A, 0x10), 5000).text(banner(30, "高速"));
    hs.append(rows(buildHighSpeedSample, 14, 18, "16", 0x0A)).text(kEject);
    EXPECT_EQ(buildSetSingleItem(PrintMode::HighSpeed, kStartup, "5000"), hs);

    Timeline shd = opening(shortForm(0x0C, 0x28), 0).text(banner(61, "超高密"));
    shd.append(rows(buildSuperHighDensitySample, 37, 43, "40", 0x0C)).text(kEject);
    EXPECT_EQ(buildSetSingleItem(PrintMode::SuperHighDensity, kStartup, "0"), shd);

    for (const auto& [text, value] : {std::pair{"117", 0x75}, std::pair{"4", 0x04}}) {
        Timeline closed = opening(shortForm(0x0B, value), 5000).text(banner(38, "高密"));
        EXPECT_EQ(buildSetSingleItem(PrintMode::HighDensity, {"16", text, "40"}, "5000"),
                  closed.text(kEject));
    }
}

TEST(SetAllItems, StartupValuesAre147Documents) {
    Timeline all = opening(shortForm(0x0A, 16) + shortForm(0x0B, 24) + shortForm(0x0C, 40), 5000);
    all.text(bytesOf({0x1B, 0x4A, 0x20})).text(banner(56, "高速"));
    all.append(rows(buildHighSpeedSample, 14, 18, "16", 0x0A));
    all.text(bytesOf({0x1B, 0x4A, 0x15})).text(banner(30, "高密"));
    all.append(rows(buildHighDensitySample, 22, 26, "24", 0x0B));
    all.text(bytesOf({0x1B, 0x4A, 0x15})).text(banner(40, "超高密"));
    all.append(rows(buildSuperHighDensitySample, 37, 43, "40", 0x0C)).text(kEject);
    EXPECT_EQ(buildSetAllItems(kStartup, "5000"), all);
}

TEST(SetAllItems, HighSpeedValueAloneOpensTheRowsOfAllThreeModes) {
    for (const char* hs : {"4", "117"}) {
        EXPECT_EQ(buildSetAllItems({hs, "24", "40"}, "0").documents().at(1), kEject) << hs;
    }
    // The last high-speed row, and the first high-density row near the top of the range.
    const auto docs = buildSetAllItems({"116", "120", "40"}, "0").documents();
    ASSERT_EQ(docs.size(), 147u);
    EXPECT_EQ(docs[3 + 8 * 4], standard(0x0A, 118) + blanks(26) + "118\r");
    EXPECT_EQ(docs[46], standard(0x0B, 118) + blanks(35) + "118\r");
}

TEST(SetOperations, ValuesThatCannotBeSentAreRefused) {
    const std::pair<ModeValues, const char*> cases[] = {
        {{"abc", "24", "40"}, "高速的值“abc”不是数字"},
        {{"16", "", "40"}, "高密的值“”不是数字"},
        {{"16", "24", "256"}, "超高密的值“256”超出 0 到 255 的范围"},
        {{"16", "-1", "40"}, "高密的值“-1”超出 0 到 255 的范围"},
        {{"16", "1", "40"}, "高密的值“1”使样张值 -1 超出 0 到 255 的范围"},
        {{"16", "24", "2"}, "超高密的值“2”使样张值 -1 超出 0 到 255 的范围"},
        {{"16", "24", "254"}, "超高密的值“254”使样张值 256 超出 0 到 255 的范围"},
    };
    for (const auto& [values, message] : cases)
        EXPECT_EQ(refusal([&] { buildSetAllItems(values, "0"); }),
                  std::string(message) + "，没有发送任何内容。");
    // With the gate closed the low values are never sent as rows.
    EXPECT_EQ(buildSetAllItems({"4", "1", "2"}, "0").documentCount(), 2u);
    const ModeValues single{"16abc", "", "300"};
    EXPECT_EQ(refusal([&] { buildSetSingleItem(PrintMode::HighSpeed, single, "0"); }),
              "高速的值“16abc”不是数字，没有发送任何内容。");
    EXPECT_EQ(refusal([&] { buildSetSingleItem(PrintMode::SuperHighDensity, single, "0"); }),
              "超高密的值“300”超出 0 到 255 的范围，没有发送任何内容。");
}

TEST(SetOperations, ExtraWaitIsBounded) {
    // clang-format off
    const std::pair<const char*, int> cases[] = {
        {"5000", 5000}, {"0", 0}, {"abc", 0}, {"", 0}, {"-5", 0}, {"2.5", 2}, {"3.5", 4},
        {"5000ms", 5000}, {"60000", 60000}, {"60001", 60000}, {"99999999999999999999", 60000}};
    // clang-format on
    for (const auto& [text, ms] : cases) EXPECT_EQ(extraWaitMs(text), ms) << text;
}

}  // namespace
}  // namespace trevalune

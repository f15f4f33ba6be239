// printer/'s own rules: code page 936, hex text and the two-step job query.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "printer/gbk.h"
#include "printer/hex_text.h"
#include "printer/timeline.h"
#include "printer/windows/job_poll.h"

namespace trevalune {
namespace {

TEST(Gbk, EncodesChineseAsCodePage936AndRefusesWhatItCannotHold) {
    // Hanzi are pinned below, all of them; here ASCII and a full-width sign.
    EXPECT_EQ(toGbk("高 AB："), bytesOf({0xB8, 0xDF, ' ', 'A', 'B', 0xA3, 0xBA}));
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
    const std::string utf8 = fromGbk(gbk);
    std::uint64_t fnv1a = 0xcbf29ce484222325u;
    for (const char c : utf8) fnv1a = (fnv1a ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    EXPECT_EQ(fnv1a, 0x786cc8da9288ba4eu);
    EXPECT_EQ(toGbk(utf8), gbk);
}

TEST(HexText, FieldsAndSizingRule) {
    // Blanks are not separators: "1B 4A 10" is the fields "1B", " 4", "A ", "10".
    // clang-format off
    const std::pair<const char*, Bytes> cases[] = {
        {"A", "\x0A"}, {"1B4", "\x1B"}, {"1B4A1", "\x1B\x4A\x01"}, {"1B4A10F", "\x1B\x4A\x10"},
        {"1b4a1f", "\x1B\x4A\x1F"}, {"1B 4A 10", "\x1B\x04\x0A\x10"}, {"00FF", bytesOf({0x00, 0xFF})},
        {"1B4A1001F", "\x1B\x4A\x10\x01\x0F"}};
    // clang-format on
    for (const auto& [text, expected] : cases) EXPECT_EQ(hexTextToBytes(text), expected) << text;
    // Odd lengths alternate between keeping and dropping the last digit.
    const std::size_t counts[] = {0, 1, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6, 7, 7, 7, 8, 9, 9, 9, 10};
    for (std::size_t len = 0; len <= 20; ++len) EXPECT_EQ(hexByteCount(len), counts[len]) << len;

    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(hexTextToBytes(toHexText(all)), all);
    EXPECT_EQ(toHexText(bytesOf({0x1b, 0x4a, 0x00, 0xff})), "1B4A00FF");
}

TEST(HexText, RefusesWhatIsNotHexNamingThePlaceAndATimelineStopsBuilding) {
    for (const char* bad : {"", "G1", "1G", "  ", "1B  4A", "0x1B", "1B\n4A", "\t1"}) {
        EXPECT_THROW(hexTextToBytes(bad), Refusal) << '"' << bad << '"';
    }
    EXPECT_THAT([] { hexTextToBytes("1B4G"); },
                ::testing::ThrowsMessage<Refusal>(::testing::StrEq(
                    "The hex text has a field that is not hexadecimal at character 3: \"4G\".")));
    Timeline t;
    t.hex("0A");
    EXPECT_THROW(t.hex("ZZ"), Refusal);
    EXPECT_EQ(t.documentCount(), 1u);
}

// Every refusal has both texts, fills every word it is given, and the window shows the
// language its table says; a word not given stays visible rather than vanishing.
TEST(Refusals, EveryCodeSaysItsWordsInBothLanguages) {
    for (int c = 0; c <= static_cast<int>(RefusalCode::TextNotConvertible); ++c) {
        const auto code = static_cast<RefusalCode>(c);
        const Refusal r(code, {"<1>", "<2>"});
        EXPECT_EQ(r.inChinese().find('{'), std::string::npos) << c;
        EXPECT_EQ(r.inEnglish().find('{'), std::string::npos) << c;
        EXPECT_NE(r.inChinese(), r.inEnglish()) << c;
        const bool english = windowLanguage(code) == Language::English;
        EXPECT_EQ(r.what(), english ? r.inEnglish() : r.inChinese()) << c;
    }
    EXPECT_EQ(refusalText(RefusalCode::FileEmpty, Language::English, {}),
              "the file {1} is empty; nothing was sent.");
}

TEST(JobPoll, AsksForTheSizeFirstThenReadsIntoABufferOfThatSize) {
    const struct {
        const char* what;
        std::vector<EnumJobsAnswer> answers;  // the spooler's, in turn
        JobQuery expected;
        std::vector<std::uint32_t> sizesAsked;
    } cases[] = {
        {"empty queue: one query only", {{true, 0, 0}}, {false, 0}, {0}},
        {"empty queue reported as a failed sizing call", {{false, 0, 0}}, {false, 0}, {0}},
        {"two jobs", {{false, 240, 0}, {true, 240, 2}}, {true, 2}, {0, 240}},
        {"the job left between the queries", {{false, 120, 0}, {true, 0, 0}}, {true, 0}, {0, 120}},
        {"failing second query", {{false, 120, 0}, {false, 0, 7}}, {true, 0}, {0, 120}},
        {"one more arrived: asked again",
         {{false, 120, 0}, {false, 240, 0}, {true, 240, 2}},
         {true, 2},
         {0, 120, 240}},
        {"keeps growing: given up after three attempts",
         {{false, 100, 0}, {false, 200, 0}, {false, 300, 0}, {false, 400, 0}, {true, 400, 4}},
         {true, 0},
         {0, 100, 200, 300}},
        {"at most 99 records", {{false, 9000, 0}, {true, 9000, 150}}, {true, 99}, {0, 9000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint32_t> sizes;
        std::vector<bool> buffers;
        const JobQuery got = pollJobsTwoStep([&](unsigned char* buffer, std::uint32_t size) {
            sizes.push_back(size);
            buffers.push_back(buffer != nullptr);
            return sizes.size() > c.answers.size() ? EnumJobsAnswer{} : c.answers[sizes.size() - 1];
        });
        EXPECT_EQ(got.anyJobs, c.expected.anyJobs);
        EXPECT_EQ(got.delivered, c.expected.delivered);
        EXPECT_EQ(sizes, c.sizesAsked);
        ASSERT_FALSE(buffers.empty());
        EXPECT_FALSE(buffers[0]);  // only the sizing query goes without a buffer
        EXPECT_EQ(std::count(buffers.begin(), buffers.end(), false), 1);
    }
}

}  // namespace
}  // namespace trevalune

#include <gtest/gtest.h>

#include "form/reading_view.h"

namespace trevalune {
namespace {

using rowreader::Doubt;
using rowreader::ModeReading;

TEST(ReadingView, EachBlockSaysItsVerdictAndOffersOnlyAValueReadOffThePage) {
    const auto reading = [](PrintMode mode, std::optional<int> straight, Doubt doubt,
                            bool relative = false, bool testPrint = false) {
        ModeReading r;
        r.mode = mode;
        r.rows = {{18, true, false, -1.0, 0.1}, {19, true, false, 0.0, 0.1}};
        r.straight = straight;
        r.doubt = doubt;
        r.confidence = 0.876;
        r.valuesRelative = relative;
        r.testPrint = testPrint;
        return r;
    };
    struct Case {
        ModeReading reading;
        const char* text;
        std::optional<TakeValue> take;
        const char* caption;
    };
    const Case cases[] = {
        {reading(PrintMode::HighDensity, 19, Doubt::None), "高密：19 行是直的（可信度 0.88）",
         TakeValue{PrintMode::HighDensity, 19}, "选择高密，参数填 19"},
        {reading(PrintMode::HighSpeed, 31, Doubt::None, false, true),
         "Korvel：31 行是直的（可信度 0.88）", TakeValue{std::nullopt, 31}, "Korvel参数填 31"},
        // counted from the middle row: no value to send
        {reading(PrintMode::SuperHighDensity, -1, Doubt::None, true),
         "超高密：中间一行上面第 1 行是直的（可信度 0.88）", std::nullopt, ""},
        // a straight row with a doubt is no verdict
        {reading(PrintMode::HighSpeed, 19, Doubt::TooClose),
         "高速：无法判断：有两行都在测量误差之内接近直线：以它们为中心再打印，或者用眼睛判断",
         std::nullopt, ""},
        {reading(PrintMode::HighSpeed, std::nullopt, Doubt::NoneStraight),
         "高速：无法判断：没有直的行；最佳值在19 行之外：以它为中心再打印", std::nullopt, ""},
    };
    std::vector<ModeReading> readings;
    for (const Case& c : cases) readings.push_back(c.reading);
    const ReadingView view = buildReadingView("扫描 1.png", readings, {2, 1, {1, 2, 3, 4, 5, 6}});
    EXPECT_EQ(view.title, "样张行读取 - 扫描 1.png");
    EXPECT_EQ(view.picture.width, 2);
    ASSERT_EQ(view.verdicts.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(view.verdicts[i].text, cases[i].text);
        EXPECT_EQ(view.verdicts[i].take, cases[i].take);
        EXPECT_EQ(view.verdicts[i].takeCaption, cases[i].caption);
    }
    const ReadingView none = buildReadingView("a.png", {}, {});
    ASSERT_EQ(none.verdicts.size(), 1u);
    EXPECT_EQ(none.verdicts[0].text, "图片上没有找到样张行");
    EXPECT_FALSE(none.verdicts[0].take);
}

}  // namespace
}  // namespace trevalune

#include <gtest/gtest.h>

#include "form/reading_view.h"

namespace trevalune {
namespace {

TEST(ReadingView, EachBlockSaysItsVerdictAndOffersOnlyAValueReadOffThePage) {
    const auto block = [](PrintMode mode, int straight, bool relative = false, bool test = false,
                          rowreader::Doubt doubt = rowreader::Doubt::None) {
        return rowreader::ModeReading{mode, {}, straight, doubt, 0.876, relative, {}, test};
    };
    using enum PrintMode;
    const std::vector<rowreader::ModeReading> readings = {
        block(HighDensity, 19), block(HighSpeed, 31, false, true),
        block(SuperHighDensity, -1, true),
        block(HighSpeed, 19, false, false, rowreader::Doubt::TooClose)};
    const ModeVerdict expected[] = {
        {"高密：19 行是直的（可信度 0.88）", TakeValue{HighDensity, 19}, "选择高密，参数填 19"},
        {"Korvel：31 行是直的（可信度 0.88）", TakeValue{std::nullopt, 31}, "Korvel参数填 31"},
        {"超高密：中间一行上面第 1 行是直的（可信度 0.88）", {}, ""},  // no value to send
        {"高速：无法判断：有两行都在测量误差之内接近直线：以它们为中心再打印，或者用眼睛判断",
         {},
         ""}};
    const ReadingView view = buildReadingView("扫描 1.png", readings, {1, 1, {1, 2, 3}});
    EXPECT_EQ(view.title, "样张行读取 - 扫描 1.png");
    EXPECT_EQ(view.picture.pixels.size(), 3u);
    ASSERT_EQ(view.verdicts.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(view.verdicts[i].text, expected[i].text);
        EXPECT_EQ(view.verdicts[i].take, expected[i].take) << i;
        EXPECT_EQ(view.verdicts[i].takeCaption, expected[i].takeCaption);
    }
    const ReadingView none = buildReadingView("a.tif", {}, {}, 2);
    ASSERT_EQ(none.verdicts.size(), 2u);
    EXPECT_EQ(none.verdicts[0].text, "图片上没有找到样张行");
    EXPECT_EQ(none.verdicts[1].text, "图片共有 2 页，只读取了第 1 页。");
}

}  // namespace
}  // namespace trevalune

// A scanned page opened in the window: its verdict, the value taken as a click on the mode and
// typing would put it, what 设置单项 then sends; a file that cannot be read changes nothing.
#include <gmock/gmock.h>

#include <fstream>

#include "printer/bytes.h"
#include "tests/behaviour/form_fixture.h"

namespace trevalune::testing {
namespace {

class ReadingTest : public FormTest {
protected:
    /// Every control's state, to see that nothing changed.
    std::string controls() const {
        std::string all;
        for (const ControlSpec& c : controlTable()) {
            const ControlState& s = form->control(c.id);
            all += s.text + (s.enabled ? "|on|" : "|off|") + (s.checked ? "x|" : "|") +
                   std::to_string(s.currentIndex) + "\n";
        }
        return all;
    }
    const ModeVerdict& open(const char* page) {
        form->pictureOpened(std::filesystem::path(TREVALUNE_READING_PAGES) / page);
        return face.readings.at(0).verdicts.at(0);
    }
};

TEST_F(ReadingTest, APageReadIsTakenAsClickingItsModeAndTypingThenSetSingleItemSendsIt) {
    click(Control::highDensityOption);
    const std::string before = controls();
    const ModeVerdict& verdict = open("high-speed-straight-19.png");
    EXPECT_EQ(face.readings[0].title, "样张行读取 - high-speed-straight-19.png");
    EXPECT_THAT(verdict.text, ::testing::StartsWith("高速：19 行是直的（可信度 0."));
    EXPECT_EQ(controls(), before);  // nothing changes, is sent or said before the button
    EXPECT_EQ(log, Names{});
    form->valueTaken(verdict.take.value());
    EXPECT_TRUE(form->control(Control::highSpeedOption).checked);
    EXPECT_EQ((Names{text(Control::valueBox), text(Control::highSpeedValue),
                     text(Control::highDensityValue)}),
              (Names{"19", "19", "24"}));
    expectFaceShowsForm();
    click(Control::setSingleItem);  // the set-value command first: high speed (0A), 19 (13)
    EXPECT_EQ(toHexText(spooler.documents.at(0).data), "1B014051563632370A13000A0A");
    form->valueTaken({PrintMode::HighDensity, 150});  // capped as when typed
    EXPECT_EQ(text(Control::highDensityValue), "119");
}

TEST_F(ReadingTest, ATestPrintPageGoesToTheCentreListOnlyAsOneOfItsItems) {
    const ModeVerdict& verdict = open("korvel-straight-31.png");
    EXPECT_THAT(verdict.text, ::testing::StartsWith("Korvel：31 行是直的"));
    form->valueTaken(verdict.take.value());
    EXPECT_EQ(form->control(Control::centreList).currentIndex, 26);  // "31": the items start at 5
    EXPECT_EQ(text(Control::valueBox), "16");
    const std::string before = controls();
    for (int value : {4, 121}) form->valueTaken({std::nullopt, value});
    EXPECT_EQ(log, (Names{"msg Korvel参数的列表中没有 4，没有改动任何内容。",
                          "msg Korvel参数的列表中没有 121，没有改动任何内容。"}));
    EXPECT_EQ(controls(), before);
}

TEST_F(ReadingTest, AFileThatCannotBeReadGivesOneMessageNamingItAndChangesNothing) {
    const std::filesystem::path dir = folder.path() / u8"扫描 图片";
    std::filesystem::create_directories(dir / u8"文件夹.png");
    std::ofstream(dir / u8"空.png").close();
    std::ofstream(dir / u8"文本.png") << "not a picture";
    // Binary: a text stream on Windows would turn the signature's line ends into others.
    std::ofstream(dir / u8"坏.png", std::ios::binary) << "\x89PNG\r\n\x1a\n broken";
    ticks(1);
    const std::string before = controls();
    for (const auto& [name, said] :
         {std::pair{u8"缺少.png", "无法读取 "},
          {u8"文件夹.png", "无法读取 "},
          {u8"空.png", ".png 是空文件，不是 PNG、JPEG 或 TIFF 图片"},
          {u8"文本.png", ".png 不是 PNG、JPEG 或 TIFF 图片"},
          {u8"坏.png", ".png 不是可以读取的图片（PNG、JPEG 或 TIFF）："}}) {
        forget();
        form->pictureOpened(dir / name);
        ASSERT_EQ(face.messages.size(), 1u) << said;
        EXPECT_THAT(face.messages[0].text, ::testing::HasSubstr(said));
        EXPECT_THAT(face.messages[0].text,
                    ::testing::HasSubstr(reinterpret_cast<const char*>(name)));
        EXPECT_EQ(face.messages[0].title, "Trevalune");
    }
    EXPECT_TRUE(face.readings.empty());
    EXPECT_EQ(controls(), before);
}

}  // namespace
}  // namespace trevalune::testing

// A scanned page opened in the window: the reading window's verdict, the value taken as a click
// on the mode and typing would put it, and what 设置单项 then sends.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "printer/bytes.h"
#include "tests/behaviour/form_fixture.h"

namespace trevalune::testing {
namespace {

const std::filesystem::path kPages = TREVALUNE_READING_PAGES;

class ReadingTest : public FormTest {
protected:
    /// Every control's state in one line each, to see that nothing changed.
    std::string controls() const {
        std::string all;
        for (const ControlSpec& c : controlTable()) {
            const ControlState& s = form->control(c.id);
            all += s.text + (s.enabled ? "|on|" : "|off|") + (s.checked ? "x|" : "|") +
                   std::to_string(s.currentIndex) + "\n";
        }
        return all;
    }
};

TEST_F(ReadingTest, APageReadIsTakenAsClickingTheModeAndTypingThenSetSingleItemSendsIt) {
    click(Control::highDensityOption);
    const std::string before = controls();
    form->pictureOpened(kPages / "high-speed-straight-19.png");
    ASSERT_EQ(face.readings.size(), 1u);
    const ReadingView& view = face.readings[0];
    EXPECT_EQ(view.title, "样张行读取 - high-speed-straight-19.png");
    ASSERT_EQ(view.verdicts.size(), 1u);
    EXPECT_THAT(view.verdicts[0].text, ::testing::StartsWith("高速：19 行是直的（可信度 0."));
    EXPECT_EQ(view.verdicts[0].take, (TakeValue{PrintMode::HighSpeed, 19}));
    EXPECT_EQ(view.picture.pixels.size(), 3u * view.picture.width * view.picture.height);
    EXPECT_EQ(controls(), before);  // nothing changes in the window, nothing is sent or said
    EXPECT_EQ(log, Names{});

    form->valueTaken(*view.verdicts[0].take);
    EXPECT_TRUE(form->control(Control::highSpeedOption).checked);
    EXPECT_FALSE(form->control(Control::highDensityOption).checked);
    EXPECT_EQ(text(Control::valueBox), "19");
    EXPECT_EQ(text(Control::highSpeedValue), "19");
    EXPECT_EQ(text(Control::highDensityValue), "24");
    EXPECT_EQ(log, Names{});
    expectFaceShowsForm();

    click(Control::setSingleItem);  // the set-value command first: high speed (0A), 19 (13)
    ASSERT_FALSE(spooler.documents.empty());
    EXPECT_EQ(toHexText(spooler.documents[0].data), "1B014051563632370A13000A0A");

    // The box's cap holds as when typed.
    form->valueTaken({PrintMode::HighDensity, 150});
    EXPECT_EQ(text(Control::valueBox), "119");
    EXPECT_EQ(text(Control::highDensityValue), "119");
}

TEST_F(ReadingTest, ATestPrintPageGoesToTheCentreListAsPickingItsItem) {
    form->pictureOpened(kPages / "korvel-straight-31.png");
    ASSERT_EQ(face.readings.size(), 1u);
    const ModeVerdict& verdict = face.readings[0].verdicts.at(0);
    EXPECT_THAT(verdict.text, ::testing::StartsWith("Korvel：31 行是直的"));
    EXPECT_EQ(verdict.take, (TakeValue{std::nullopt, 31}));
    const std::string mode = text(Control::valueBox);
    form->valueTaken(*verdict.take);
    EXPECT_EQ(text(Control::centreList), "31");
    EXPECT_EQ(form->control(Control::centreList).currentIndex, 26);  // items from 5
    EXPECT_EQ(text(Control::valueBox), mode);
    expectFaceShowsForm();

    // A value the list does not hold: one message, nothing changes.
    const std::string before = controls();
    for (int value : {4, 121}) form->valueTaken({std::nullopt, value});
    EXPECT_EQ(log, (Names{"msg Korvel参数的列表中没有 4，没有改动任何内容。",
                          "msg Korvel参数的列表中没有 121，没有改动任何内容。"}));
    EXPECT_EQ(controls(), before);
}

TEST_F(ReadingTest, AFileThatCannotBeReadGivesOneMessageAndChangesNothing) {
    const std::filesystem::path dir = folder.path() / "扫描 图片";
    std::filesystem::create_directories(dir / "文件夹.png");
    std::ofstream(dir / "空.png").close();
    std::ofstream(dir / "文本.png") << "not a picture";
    std::ofstream(dir / "坏.png") << "\x89PNG\r\n\x1a\n broken";
    struct Case {
        const char* name;
        const char* message;  ///< after the path
    };
    const Case cases[] = {
        {"缺少.png", "无法读取 "},
        {"文件夹.png", "无法读取 "},
        {"空.png", " 是空文件，不是 PNG、JPEG 或 TIFF 图片"},
        {"文本.png", " 不是 PNG、JPEG 或 TIFF 图片"},
        {"坏.png", " 不是可以读取的图片（PNG、JPEG 或 TIFF）："},
    };
    ticks(1);
    const std::string before = controls();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        forget();
        const std::filesystem::path file =
            dir / std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(c.name)));
        form->pictureOpened(file);
        ASSERT_EQ(face.messages.size(), 1u);
        EXPECT_THAT(face.messages[0].text, ::testing::HasSubstr(c.message));
        EXPECT_THAT(face.messages[0].text, ::testing::HasSubstr(c.name));
        EXPECT_EQ(face.messages[0].title, "Trevalune");
    }
    EXPECT_TRUE(face.readings.empty());
    EXPECT_EQ(controls(), before);
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing

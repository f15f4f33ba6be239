#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "alignment/config_block.h"
#include "printer/printer_link.h"
#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

using Names = std::vector<std::string>;

const std::string kHexMessage = "msg 请输入的数据是16进制的范围";
const std::string kSave = "doc 1B3A000052";
const std::string kBlock = "doc " + factoryBlockHexText();

class PanelTest : public StartedFormTest {
protected:
    QPlainTextEdit* box() { return get<QPlainTextEdit>("Text2"); }
    QCheckBox* tick() { return get<QCheckBox>("Check1"); }
    bool enabled(const char* name) { return get(name)->isEnabled(); }
};

TEST_F(PanelTest, FixedButtonsSendTheirBytesAsOneDocumentEach) {
    const std::vector<std::pair<const char*, std::string>> buttons = {
        {"Command5", "0A"},      {"Command12", "1D5653"},    {"Command10", "1B4A03"},
        {"Command11", "1B6A03"}, {"Command1", "1B3A000050"}, {"Command4", "1B3A000052"}};
    for (const auto& [button, hex] : buttons) {
        forget();
        click(button);
        EXPECT_EQ(log, Names{"doc " + hex}) << button;
    }
}

TEST_F(PanelTest, SendsTheTypedBytesAndClearsTheBox) {
    QTest::keyClicks(box(), QStringLiteral("1b 4A 10"));
    EXPECT_TRUE(messages.messages.empty());
    click("Command6");
    EXPECT_EQ(log, Names{"doc 1B4A10"});
    EXPECT_EQ(text("Text2"), "");
}

TEST_F(PanelTest, TickedSendBracketsTheDataWithSaveCommandsLikeRestoreFactory) {
    click("Check1");
    EXPECT_TRUE(enabled("Command9"));
    QTest::keyClicks(box(), QStringLiteral("AB"));
    click("Command9");  // replaces the text; the input check accepts it silently
    EXPECT_EQ(text("Text2"), std::string(kFactoryBlockSpaced));
    EXPECT_TRUE(log.empty());

    click("Command6");
    const Names expected = {kSave, "wait 2500", kBlock, "wait 1000", kSave};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(tick()->isChecked());
    EXPECT_FALSE(enabled("Command9"));
    EXPECT_EQ(text("Text2"), "");

    forget();
    click("Command7");
    EXPECT_EQ(log, expected);
    click("Check1");
    click("Check1");
    EXPECT_FALSE(enabled("Command9"));
}

TEST_F(PanelTest, AnEmptyBoxSendsNothingEvenWhenTicked) {
    click("Check1");
    click("Command6");
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(tick()->isChecked());
    EXPECT_TRUE(enabled("Command9"));
}

TEST_F(PanelTest, OddOrMissingDigitsAreRefusedAndNothingIsSent) {
    for (const bool ticked : {false, true}) {
        for (const char* typed : {"1B4A1", "1B 4A 1 ", "  "}) {
            tick()->setChecked(ticked);
            box()->setPlainText(QString::fromLatin1(typed));
            forget();
            click("Command6");
            ASSERT_EQ(log.size(), 1u) << typed;
            EXPECT_EQ(log[0].rfind("msg ", 0), 0u) << log[0];
            EXPECT_NE(log[0].find("未发送"), std::string::npos) << log[0];
            EXPECT_EQ(text("Text2"), typed);
            EXPECT_EQ(tick()->isChecked(), ticked);
        }
    }
}

TEST_F(PanelTest, MissingPrinterCostsAMessagePerDocumentAndTheBoxIsStillCleared) {
    start({"Office1"});  // listed, not selected
    click("Check1");
    QTest::keyClicks(box(), QStringLiteral("0A"));
    click("Command6");
    const std::string missing = "msg " + std::string(kPrinterNotFoundMessage);
    EXPECT_EQ(log, (Names{missing, "wait 2500", missing, "wait 1000", missing}));
    EXPECT_FALSE(tick()->isChecked());
    EXPECT_FALSE(enabled("Command9"));
    EXPECT_EQ(text("Text2"), "");
}

TEST_F(PanelTest, InputCheckRemovesEachDisallowedCharacterWithOneMessage) {
    QTest::keyClicks(box(), QStringLiteral("1G"));
    EXPECT_EQ(log, Names{kHexMessage});
    EXPECT_EQ(text("Text2"), "1");

    box()->clear();
    forget();
    box()->insertPlainText(QStringLiteral("1GxG"));  // pasted at once: G, then x
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text("Text2"), "1");

    box()->clear();
    forget();
    QTest::keyClicks(box(), QStringLiteral("1B"));
    QTest::keyClick(box(), Qt::Key_Return);  // a line break is not hex either
    QTest::keyClicks(box(), QStringLiteral("4A"));
    EXPECT_EQ(log, Names{kHexMessage});
    EXPECT_EQ(text("Text2"), "1B4A");

    // A correction in the middle leaves the caret where the operator was typing.
    QTextCursor c = box()->textCursor();
    c.setPosition(2);
    box()->setTextCursor(c);
    forget();
    box()->insertPlainText(QStringLiteral("zé"));
    QTest::keyClicks(box(), QStringLiteral("0"));
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text("Text2"), "1B04A");
}

}  // namespace
}  // namespace trevalune::testing

#include "alignment/config_block.h"
#include "printer/printer_link.h"
#include "tests/form/form_fixture.h"

namespace trevalune::testing {
namespace {

const std::string kHexMessage = "msg 请输入的数据是16进制的范围";
const std::string kSave = "doc 1B3A000052";

using PanelTest = StartedFormTest;

TEST_F(PanelTest, FixedButtonsSendTheirBytesAsOneDocumentEach) {
    const std::pair<const char*, std::string> buttons[] = {
        {"Command5", "0A"},      {"Command12", "1D5653"},    {"Command10", "1B4A03"},
        {"Command11", "1B6A03"}, {"Command1", "1B3A000050"}, {"Command4", "1B3A000052"}};
    for (const auto& [button, hex] : buttons) {
        forget();
        click(button);
        EXPECT_EQ(log, Names{"doc " + hex}) << button;
    }
}

TEST_F(PanelTest, SendsTheTypedBytesAndClearsTheBox) {
    type("Text2", "1b 4A 10");
    EXPECT_TRUE(log.empty());
    click("Command6");
    EXPECT_EQ(log, Names{"doc 1B4A10"});
    EXPECT_EQ(text("Text2"), "");
    expectFaceShowsForm();
}

TEST_F(PanelTest, TickedSendBracketsTheDataWithSaveCommandsLikeRestoreFactory) {
    click("Check1");
    EXPECT_TRUE(enabled("Command9"));
    type("Text2", "AB");
    click("Command9");
    click("Command6");
    const Names expected = {kSave, "wait 2500", "doc " + factoryBlockHexText(), "wait 1000", kSave};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(form->control("Check1").checked);
    EXPECT_FALSE(enabled("Command9"));
    EXPECT_EQ(text("Text2"), "");
    expectFaceShowsForm();

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
    EXPECT_TRUE(form->control("Check1").checked);
    EXPECT_TRUE(enabled("Command9"));
}

TEST_F(PanelTest, OddOrMissingDigitsAreRefusedAndNothingIsSent) {
    for (const bool ticked : {false, true}) {
        for (const char* typed : {"1B4A1", "1B 4A 1 ", "  "}) {
            SCOPED_TRACE(typed);
            if (form->control("Check1").checked != ticked) click("Check1");
            replace("Text2", typed);
            forget();
            click("Command6");
            ASSERT_EQ(log.size(), 1u);
            EXPECT_TRUE(log[0].starts_with("msg ")) << log[0];
            EXPECT_NE(log[0].find("未发送"), std::string::npos) << log[0];
            EXPECT_EQ(text("Text2"), typed);
            EXPECT_EQ(form->control("Check1").checked, ticked);
        }
    }
}

TEST_F(PanelTest, MissingPrinterCostsAMessagePerDocumentAndTheBoxIsStillCleared) {
    start({"Office1"});  // listed, not selected
    click("Check1");
    type("Text2", "0A");
    click("Command6");
    const std::string missing = "msg " + std::string(kPrinterNotFoundMessage);
    EXPECT_EQ(log, (Names{missing, "wait 2500", missing, "wait 1000", missing}));
    EXPECT_FALSE(form->control("Check1").checked);
    EXPECT_FALSE(enabled("Command9"));
    EXPECT_EQ(text("Text2"), "");
}

TEST_F(PanelTest, InputCheckRemovesEachDisallowedCharacterWithOneMessage) {
    type("Text2", "1G");
    EXPECT_EQ(log, Names{kHexMessage});
    EXPECT_EQ(text("Text2"), "1");

    forget();
    replace("Text2", "1GxG");  // pasted at once: G, then x
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text("Text2"), "1");

    replace("Text2", "");
    forget();
    type("Text2", "1B\n4A");  // a line break is not hex either
    EXPECT_EQ(log, Names{kHexMessage});
    EXPECT_EQ(text("Text2"), "1B4A");

    // A correction in the middle leaves the caret where the operator was typing; a
    // character outside the BMP goes as one.
    placeCaret(face, "Text2", 2);
    forget();
    type("Text2", "z😀");
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text("Text2"), "1B4A");
    EXPECT_EQ(form->control("Text2").caret, 2u);
    type("Text2", "0");
    EXPECT_EQ(text("Text2"), "1B04A");
    expectFaceShowsForm();
}

}  // namespace
}  // namespace trevalune::testing

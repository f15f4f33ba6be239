// The buttons that send at once: paper, configuration, the command box, the pin tests and the
// driver file.
#include <filesystem>
#include <fstream>

#include "alignment/config_block.h"
#include "operations/driver_file.h"
#include "pintest/pin_pages.h"
#include "pintest/pin_test_runs.h"
#include "printer/printer_link.h"
#include "tests/behaviour/form_fixture.h"

namespace trevalune::testing {
namespace {

const std::string kHexMessage = "msg 请输入的数据是16进制的范围";
const std::string kSave = "doc 1B3A000052";

using PanelTest = FormTest;

TEST_F(PanelTest, EachButtonSendsItsBytesAsOneDocumentAndTheBoxIsCleared) {
    type(Control::Text2, "1b 4A 10");
    const std::pair<Control, std::string> buttons[] = {
        {Control::Command5, "0A"},         {Control::Command12, "1D5653"},
        {Control::Command10, "1B4A03"},    {Control::Command11, "1B6A03"},
        {Control::Command1, "1B3A000050"}, {Control::Command4, "1B3A000052"},
        {Control::Command6, "1B4A10"}};
    for (const auto& [button, hex] : buttons) {
        forget();
        click(button);
        EXPECT_EQ(log, Names{"doc " + hex}) << button;
    }
    EXPECT_EQ(text(Control::Text2), "");
    expectFaceShowsForm();
}

TEST_F(PanelTest, TickedSendBracketsTheDataWithSaveCommandsLikeRestoreFactory) {
    click(Control::Check1);
    EXPECT_TRUE(enabled(Control::Command9));
    type(Control::Text2, "AB");
    click(Control::Command9);
    click(Control::Command6);
    const Names expected = {kSave, "wait 2500", "doc " + buildFactoryBlockHexText(), "wait 1000",
                            kSave};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(form->control(Control::Check1).checked);
    EXPECT_FALSE(enabled(Control::Command9));
    EXPECT_EQ(text(Control::Text2), "");
    expectFaceShowsForm();

    forget();
    click(Control::Command7);
    EXPECT_EQ(log, expected);
    click(Control::Check1);
    click(Control::Check1);
    EXPECT_FALSE(enabled(Control::Command9));
}

TEST_F(PanelTest, EmptyOddOrMissingDigitsSendNothingAndKeepTheBoxAndTheTick) {
    for (const bool ticked : {false, true}) {
        for (const char* typed : {"", "1B4A1", "1B 4A 1 ", "  "}) {
            SCOPED_TRACE(typed);
            if (form->control(Control::Check1).checked != ticked) click(Control::Check1);
            replace(Control::Text2, typed);
            forget();
            click(Control::Command6);
            // An empty box says nothing; the others say why nothing was sent.
            EXPECT_EQ(log.size(), *typed ? 1u : 0u);
            for (const std::string& line : log)
                EXPECT_TRUE(line.starts_with("msg ") && line.ends_with("未发送。")) << line;
            EXPECT_EQ(text(Control::Text2), typed);
            EXPECT_EQ(form->control(Control::Check1).checked, ticked);
            EXPECT_EQ(enabled(Control::Command9), ticked);
        }
    }
}

TEST_F(PanelTest, MissingPrinterCostsAMessagePerDocumentAndTheBoxIsStillCleared) {
    start({"Office1"});  // listed, not selected
    click(Control::Check1);
    type(Control::Text2, "0A");
    click(Control::Command6);
    const std::string missing = "msg " + std::string(kPrinterNotFoundMessage);
    EXPECT_EQ(log, (Names{missing, "wait 2500", missing, "wait 1000", missing}));
    EXPECT_FALSE(form->control(Control::Check1).checked);
    EXPECT_FALSE(enabled(Control::Command9));
    EXPECT_EQ(text(Control::Text2), "");
}

TEST_F(PanelTest, InputCheckRemovesEachDisallowedCharacterWithOneMessage) {
    type(Control::Text2, "1G");
    EXPECT_EQ(log, Names{kHexMessage});
    EXPECT_EQ(text(Control::Text2), "1");

    forget();
    replace(Control::Text2, "1GxG");  // pasted at once: G, then x
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text(Control::Text2), "1");

    // A correction in the middle leaves the caret where the operator was typing; a
    // character outside the BMP goes as one.
    replace(Control::Text2, "1B4A");
    face.carets[Control::Text2] = 2;  // a click into the box
    forget();
    type(Control::Text2, "z😀");
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text(Control::Text2), "1B4A");
    EXPECT_EQ(form->control(Control::Text2).caret, 2u);
    type(Control::Text2, "0");
    EXPECT_EQ(text(Control::Text2), "1B04A");
    expectFaceShowsForm();
}

TEST_F(PanelTest, PinTestsSendTheirPagesWithTheClockTimeInTheHeader) {
    clock.current = {2027, 3, 14, 15, 9, 26};
    click(Control::Command17);
    ASSERT_EQ(spooler.payloads().size(), 17u);
    EXPECT_NE(spooler.payloads()[0].find("2027-03-14    15:09:26"), std::string::npos);
    EXPECT_EQ(log.size(), 17u);  // documents only: no message, no wait, no caption

    // The three-density test ignores the selected mode.
    click(Control::Optcgm);
    forget();
    click(Control::Command13);
    EXPECT_EQ(spooler.payloads(), buildThreeDensityPinTest().documents());
    EXPECT_EQ(log.size(), 7u);
}

// A file that goes out whole and is read again at every press: the load test (e2e/window)
// sends a hundred different ones through this button.
TEST_F(PanelTest, AMissingOrEmptyDriverFileIsReportedWithItsPathAndNothingIsSent) {
    const std::filesystem::path file = folder.path() / "file.prn";
    click(Control::Command14);
    ASSERT_EQ(face.messages.size(), 1u);
    EXPECT_NE(face.messages[0].text.find(pathText(file)), std::string::npos)
        << face.messages[0].text;
    EXPECT_EQ(face.messages[0].title, "Trevalune");
    EXPECT_FALSE(std::filesystem::exists(file));  // looking never creates it

    std::ofstream{file};
    click(Control::Command14);
    ASSERT_EQ(face.messages.size(), 2u);
    EXPECT_NE(face.messages[1].text.find("空"), std::string::npos) << face.messages[1].text;
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing

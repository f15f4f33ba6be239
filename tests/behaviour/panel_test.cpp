// The buttons that send at once: paper, configuration, the command box, the pin tests and the
// driver file.
#include <filesystem>
#include <fstream>

#include "alignment/config_block.h"
#include "operations/driver_file.h"
#include "pintest/pin_pages.h"
#include "pintest/pin_test_runs.h"
#include "printer/link_messages.h"
#include "tests/behaviour/form_fixture.h"

namespace trevalune::testing {
namespace {

const std::string kHexMessage = "msg 请输入的数据是16进制的范围";
const std::string kSave = "doc 1B3A000052";

using PanelTest = FormTest;

TEST_F(PanelTest, EachButtonSendsItsBytesAsOneDocumentAndTheBoxIsCleared) {
    type(Control::commandText, "1b 4A 10");
    const std::pair<Control, std::string> buttons[] = {{Control::lineFeed, "0A"},
                                                       {Control::pageEject, "1D5653"},
                                                       {Control::microFeedForward, "1B4A03"},
                                                       {Control::microFeedBack, "1B6A03"},
                                                       {Control::selfTest, "1B3A000050"},
                                                       {Control::save, "1B3A000052"},
                                                       {Control::sendCommand, "1B4A10"}};
    for (const auto& [button, hex] : buttons) {
        forget();
        click(button);
        EXPECT_EQ(log, Names{"doc " + hex}) << button;
    }
    EXPECT_EQ(text(Control::commandText), "");
    expectFaceShowsForm();
}

TEST_F(PanelTest, TickedSendBracketsTheDataWithSaveCommandsLikeRestoreFactory) {
    click(Control::saveBracket);
    EXPECT_TRUE(enabled(Control::factoryBlock));
    type(Control::commandText, "AB");
    click(Control::factoryBlock);
    click(Control::sendCommand);
    const Names expected = {kSave, "wait 2500", "doc " + buildFactoryBlockHexText(), "wait 1000",
                            kSave};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(form->control(Control::saveBracket).checked);
    EXPECT_FALSE(enabled(Control::factoryBlock));
    EXPECT_EQ(text(Control::commandText), "");
    expectFaceShowsForm();

    forget();
    click(Control::factoryReset);
    EXPECT_EQ(log, expected);
    click(Control::saveBracket);
    click(Control::saveBracket);
    EXPECT_FALSE(enabled(Control::factoryBlock));
}

TEST_F(PanelTest, EmptyOddOrMissingDigitsSendNothingAndKeepTheBoxAndTheTick) {
    for (const bool ticked : {false, true}) {
        for (const char* typed : {"", "1B4A1", "1B 4A 1 ", "  "}) {
            SCOPED_TRACE(typed);
            if (form->control(Control::saveBracket).checked != ticked) click(Control::saveBracket);
            replace(Control::commandText, typed);
            forget();
            click(Control::sendCommand);
            // An empty box says nothing; the others say why nothing was sent.
            EXPECT_EQ(log.size(), *typed ? 1u : 0u);
            for (const std::string& line : log)
                EXPECT_TRUE(line.starts_with("msg ") && line.ends_with("未发送。")) << line;
            EXPECT_EQ(text(Control::commandText), typed);
            EXPECT_EQ(form->control(Control::saveBracket).checked, ticked);
            EXPECT_EQ(enabled(Control::factoryBlock), ticked);
        }
    }
}

TEST_F(PanelTest, MissingPrinterCostsAMessagePerDocumentAndTheBoxIsStillCleared) {
    start({"Office1"});  // listed, not selected
    click(Control::saveBracket);
    type(Control::commandText, "0A");
    click(Control::sendCommand);
    const std::string missing = "msg " + std::string(kPrinterNotFoundMessage);
    EXPECT_EQ(log, (Names{missing, "wait 2500", missing, "wait 1000", missing}));
    EXPECT_FALSE(form->control(Control::saveBracket).checked);
    EXPECT_FALSE(enabled(Control::factoryBlock));
    EXPECT_EQ(text(Control::commandText), "");
}

TEST_F(PanelTest, InputCheckRemovesEachDisallowedCharacterWithOneMessage) {
    replace(Control::commandText, "1GxG");  // pasted at once: G, then x
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text(Control::commandText), "1");

    // A correction in the middle leaves the caret where the operator was typing; a
    // character outside the BMP goes as one.
    replace(Control::commandText, "1B4A");
    face.carets[Control::commandText] = 2;  // a click into the box
    forget();
    type(Control::commandText, "z😀");
    EXPECT_EQ(log, (Names{kHexMessage, kHexMessage}));
    EXPECT_EQ(text(Control::commandText), "1B4A");
    EXPECT_EQ(form->control(Control::commandText).caret, 2u);
    type(Control::commandText, "0");
    EXPECT_EQ(text(Control::commandText), "1B04A");
    expectFaceShowsForm();
}

TEST_F(PanelTest, PinTestsSendTheirPagesWithTheClockTimeInTheHeader) {
    clock.current = {2027, 3, 14, 15, 9, 26};
    click(Control::pinTest);
    ASSERT_EQ(spooler.payloads().size(), 17u);
    EXPECT_NE(spooler.payloads()[0].find("2027-03-14    15:09:26"), std::string::npos);
    EXPECT_EQ(log.size(), 17u);  // documents only: no message, no wait, no caption

    // The three-density test ignores the selected mode.
    click(Control::superHighDensityOption);
    forget();
    click(Control::pinTestDensities);
    EXPECT_EQ(spooler.payloads(), buildThreeDensityPinTest().documents());
    EXPECT_EQ(log.size(), 7u);
}

// A file that goes out whole and is read again at every press: the load test (e2e/window)
// sends a hundred different ones through this button.
TEST_F(PanelTest, AMissingOrEmptyDriverFileIsReportedWithItsPathAndNothingIsSent) {
    const std::filesystem::path file = folder.path() / "file.prn";
    click(Control::driverFile);
    ASSERT_EQ(face.messages.size(), 1u);
    EXPECT_NE(face.messages[0].text.find(pathText(file)), std::string::npos)
        << face.messages[0].text;
    EXPECT_EQ(face.messages[0].title, "Trevalune");
    EXPECT_FALSE(std::filesystem::exists(file));  // looking never creates it

    std::ofstream{file};
    click(Control::driverFile);
    ASSERT_EQ(face.messages.size(), 2u);
    EXPECT_NE(face.messages[1].text.find("空"), std::string::npos) << face.messages[1].text;
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing

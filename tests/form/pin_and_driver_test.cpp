// The pin test buttons and the driver file button.
#include <filesystem>
#include <fstream>

#include "form/driver_file.h"
#include "pintest/pin_pages.h"
#include "pintest/pin_test_runs.h"
#include "printer/printer_link.h"
#include "tests/form/form_fixture.h"

namespace trevalune::testing {
namespace {

std::vector<Bytes> documentsOf(const std::vector<PinTestPage>& pages) {
    std::vector<Bytes> all;
    for (const PinTestPage& page : pages) {
        for (const Bytes& d : page.timeline.documents()) all.push_back(d);
    }
    return all;
}

using PinTestButtons = StartedFormTest;

TEST_F(PinTestButtons, PinTestSendsItsFourPagesWithTheClockTimeInTheHeader) {
    clock.current = {2027, 3, 14, 15, 9, 26};
    click("Command17");
    const std::vector<Bytes> expected = documentsOf(buildPinTestSequence(clock.current));
    ASSERT_EQ(expected.size(), 17u);
    EXPECT_EQ(spooler.payloads(), expected);
    EXPECT_EQ(log.size(), 17u);  // documents only: no message, no wait, no caption
    EXPECT_EQ(text("Label8"), "完成.....");
}

TEST_F(PinTestButtons, ThreeDensityTestIgnoresTheSelectedMode) {
    for (const char* mode : {"Optgs", "Optcgs", "Optcgm"}) {
        click(mode);
        forget();
        click("Command13");
        EXPECT_EQ(spooler.payloads(), buildThreeDensityPinTest().documents()) << mode;
        EXPECT_EQ(log.size(), 7u);
    }
    EXPECT_EQ(form->busy.settingMode, 0);
}

TEST_F(PinTestButtons, AnUnknownPrinterCostsOneMessagePerDocumentAndBothRunsGoOn) {
    spooler.printers = {"Office1"};  // the selected RZ7-virtual was removed after start-up
    click("Command17");
    EXPECT_EQ(face.messages, std::vector<RecordingFace::Message>(
                                 17, {std::string(kPrinterNotFoundMessage), "Trevalune"}));
    forget();
    click("Command13");
    EXPECT_EQ(log, Names(7, "msg " + std::string(kPrinterNotFoundMessage)));
}

class DriverTest : public StartedFormTest {
protected:
    void write(const Bytes& content) { std::ofstream(file, std::ios::binary) << content; }
    const std::filesystem::path file = folder.path() / "file.prn";
};

TEST_F(DriverTest, TheFileGoesOutWholeAndIsReadAgainAtEveryPress) {
    Bytes content;
    for (int i = 0; i < 1000; ++i) content += static_cast<char>(i % 256);
    write(content);
    click("Command14");
    write("\x1b@changed");
    click("Command14");
    EXPECT_EQ(spooler.payloads(), (std::vector<std::string>{content, "\x1b@changed"}));
    EXPECT_EQ(form->fileBytes, "\x1b@changed");
    EXPECT_TRUE(face.messages.empty());
}

TEST_F(DriverTest, AMissingOrEmptyFileIsReportedWithItsPathAndNothingIsSent) {
    click("Command14");
    ASSERT_EQ(face.messages.size(), 1u);
    EXPECT_NE(face.messages[0].text.find(pathText(file)), std::string::npos)
        << face.messages[0].text;
    EXPECT_EQ(face.messages[0].title, "Trevalune");
    EXPECT_FALSE(std::filesystem::exists(file));  // looking never creates it

    write("");
    click("Command14");
    ASSERT_EQ(face.messages.size(), 2u);
    EXPECT_NE(face.messages[1].text.find("空"), std::string::npos) << face.messages[1].text;
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing

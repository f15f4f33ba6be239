#include <QRadioButton>

#include "pintest/pin_pages.h"
#include "pintest/pin_test_runs.h"
#include "printer/printer_link.h"
#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

using PinTestButtons = StartedFormTest;

TEST_F(PinTestButtons, PinTestSendsItsFourPagesWithTheClockTimeInTheHeader) {
    clock.current = {2027, 3, 14, 15, 9, 26};
    click("Command17");
    std::vector<Bytes> expected;
    for (const Timeline& page : {PrintPinTestHeader(clock.current), PrintPinTestAscending(),
                                 PrintPinTestDescending(), PrintBurnInSample()}) {
        for (const Bytes& d : page.documents()) expected.push_back(d);
    }
    ASSERT_EQ(expected.size(), 17u);
    EXPECT_EQ(spooler.payloads(), expected);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_EQ(text("Label8"), "完成.....");  // nothing shown while it runs
}

TEST_F(PinTestButtons, ThreeDensityTestIgnoresTheSelectedMode) {
    const std::vector<Bytes> expected = buildThreeDensityPinTest().documents();
    for (const char* mode : {"Optgs", "Optcgs", "Optcgm"}) {
        get<QRadioButton>(mode)->setChecked(true);
        forget();
        click("Command13");
        EXPECT_EQ(spooler.payloads(), expected) << mode;
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(form->busy.settingMode, 0);
}

TEST_F(PinTestButtons, AnUnknownPrinterCostsOneMessagePerDocumentAndBothRunsGoOn) {
    spooler.printers = {"Office1"};  // the selected RZ7-virtual was removed after start-up
    click("Command17");
    EXPECT_EQ(messages.messages,
              std::vector<RecordingMessages::Message>(
                  17, {"The Printer Name you typed wasn't recognized.", "Trevalune"}));
    forget();
    click("Command13");
    EXPECT_EQ(log, std::vector<std::string>(7, "msg " + std::string(kPrinterNotFoundMessage)));
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing

#include <QRadioButton>

#include "pintest/pin_pages.h"
#include "pintest/pin_test_runs.h"
#include "printer/printer_link.h"
#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

using Sizes = std::vector<std::size_t>;

Sizes sizes(const std::vector<Bytes>& docs) {
    Sizes out;
    for (const Bytes& d : docs) out.push_back(d.size());
    return out;
}

class PinTestButtons : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        start();
    }
};

TEST_F(PinTestButtons, PinTestSendsItsSeventeenDocumentsWithTheClockTimeInTheHeader) {
    clock.current = {2027, 3, 14, 15, 9, 26};
    click("Command17");
    const std::vector<Bytes> docs = spooler.payloads();
    EXPECT_EQ(sizes(docs), (Sizes{206, 2887, 2887, 2887, 118, 2887, 2887, 2887, 118, 2887, 2887,
                                  2887, 23, 2886, 1, 3, 3}));
    ASSERT_EQ(docs.size(), 17u);
    EXPECT_EQ(docs[0], PrintPinTestHeader(clock.current).documents()[0]);
    EXPECT_EQ(docs[4], PrintPinTestAscending().documents()[0]);
    EXPECT_EQ(docs[8], PrintPinTestDescending().documents()[0]);
    EXPECT_EQ(docs[12], PrintBurnInSample().documents()[0]);
    for (const auto& d : spooler.documents) EXPECT_EQ(d.printer, "RZ7-virtual");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_EQ(text("Label8"), "完成.....");  // nothing shown while it runs
}

TEST_F(PinTestButtons, ThreeDensityTestIgnoresTheSelectedModeAndEndsWithAFeed) {
    const std::vector<Bytes> expected = buildThreeDensityPinTest().documents();
    ASSERT_EQ(sizes(expected), (Sizes{118, 2887, 146, 3751, 206, 5767, 3}));
    for (const char* mode : {"Optgs", "Optcgs", "Optcgm"}) {
        get<QRadioButton>(mode)->setChecked(true);
        forget();
        click("Command13");
        EXPECT_EQ(spooler.payloads(), expected) << mode;
        EXPECT_EQ(spooler.payloads().back(), bytesOf({0x1B, 0x4A, 0x50})) << mode;
        EXPECT_TRUE(messages.messages.empty()) << mode;
    }
    EXPECT_EQ(form->busy.settingMode, 0);
}

TEST_F(PinTestButtons, AnUnknownPrinterCostsOneMessagePerDocumentAndBothRunsGoOn) {
    spooler.printers = {"Office1"};  // the selected RZ7-virtual was removed after start-up
    click("Command17");
    EXPECT_EQ(messages.messages, std::vector<RecordingMessages::Message>(
                                     17, {std::string(kPrinterNotFoundMessage), "Trevalune"}));
    forget();
    click("Command13");
    EXPECT_EQ(log, std::vector<std::string>(7, "msg " + std::string(kPrinterNotFoundMessage)));
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing

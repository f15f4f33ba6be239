// The real window with the real CUPS spooler: what its buttons deliver to the virtual
// printer, the default printer it sets, and its busy state against a stopped queue.
#include <QComboBox>

#include <gtest/gtest.h>

#include "alignment/set_items.h"
#include "pintest/pin_test_runs.h"
#include "tests/e2e/window/form1_e2e_fixture.h"

namespace trevalune::e2e {
namespace {

TEST_F(Form1E2eTest, PinTestDeliversItsSeventeenDocumentsInOrder) {
    ASSERT_EQ(form->printerName(), server.virtualQueue);  // preselected among two printers
    clock.current = {2027, 3, 14, 15, 9, 26};
    std::vector<std::string> expected;
    for (const PinTestPage& page : buildPinTestSequence(clock.current)) {
        for (const Bytes& d : page.timeline.documents()) expected.push_back(d);
    }
    ASSERT_EQ(expected.size(), 17u);
    click("Command17");
    expectDelivered(expected);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Form1E2eTest, PageEjectDeliversExactlyItsThreeBytes) {
    click("Command12");
    expectDelivered({bytesOf({0x1D, 0x56, 0x53})});
}

TEST_F(Form1E2eTest, ChoosingAPrinterMakesItTheUsersDefault) {
    // The main() of these tests keeps lpoptions in a folder of their own.
    const auto lpstatDefault = [] { return runCommand("lpstat -d 2>&1"); };
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");  // start-up
    auto* combo = get<QComboBox>("Combo1");
    combo->setCurrentIndex(combo->findText(QString::fromStdString(server.fileQueue)));
    EXPECT_EQ(lpstatDefault(), "system default destination: Office1\n");
    combo->setCurrentIndex(combo->findText(QString::fromStdString(server.virtualQueue)));
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");
    spooler.setDefaultPrinter("NoSuchPrinter");  // silently leaves the default as it was
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");
}

TEST_F(Form1E2eTest, SetSingleItemEndsEarlyWhileItsJobsAreHeld) {
    stopQueue(server.virtualQueue);
    QueueRestart restart{server.virtualQueue};

    click("Command16");
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    ticks(1);
    EXPECT_EQ(form->jobs.jobLatch[1], 1);  // the poll saw the held jobs
    ticks(3);
    EXPECT_TRUE(buttonsOff());
    ticks(1);  // the early end: buttons back, the dots stay
    EXPECT_FALSE(buttonsOff());
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(status(), "正在设置....");
    const std::vector<JobRecord> held = jobsAfter(server.virtualQueue, jobsBefore);
    EXPECT_EQ(held.size(), 44u);
    for (const JobRecord& job : held) EXPECT_EQ(job.state, "pending");
    EXPECT_TRUE(printer.documents().empty()) << "a stopped queue let a document through";

    startQueue(server.virtualQueue);
    expectDelivered(
        buildSetSingleItem(PrintMode::HighSpeed, {"16", "24", "40"}, "5000").documents());
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace trevalune::e2e

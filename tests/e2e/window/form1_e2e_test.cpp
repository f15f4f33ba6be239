// The window with the real CUPS spooler: the default printer it sets, what a set operation
// delivers to the virtual printer, and its busy state against a drained and a stopped queue.
// (What each button sends is pinned by the form's and the builders' tests; the load test
// sends through all three senders.)
#include <gtest/gtest.h>

#include <algorithm>

#include "alignment/set_items.h"
#include "tests/e2e/window/form1_e2e_fixture.h"
#include "tests/support/form_operator.h"

namespace trevalune::e2e {
namespace {

TEST_F(Form1E2eTest, ChoosingAPrinterMakesItTheUsersDefault) {
    // The main() of these tests keeps lpoptions in a folder of their own.
    const auto lpstatDefault = [] { return runCommand("lpstat -d 2>&1"); };
    const auto choose = [this](const std::string& queue) {
        const auto& items = form->control("Combo1").items;
        const auto at = std::find(items.begin(), items.end(), queue);
        ASSERT_NE(at, items.end()) << queue;
        testing::pick(*form, face, "Combo1", static_cast<int>(at - items.begin()));
    };
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");  // start-up
    choose(server.fileQueue);
    EXPECT_EQ(lpstatDefault(), "system default destination: Office1\n");
    choose(server.virtualQueue);
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");
    spooler.setDefaultPrinter("NoSuchPrinter");  // silently leaves the default as it was
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");
}

TEST_F(Form1E2eTest, SetAllItemsDeliversItsDocumentsAndTheTimerEndsTheBusyState) {
    ASSERT_EQ(form->printerName(), server.virtualQueue);  // preselected among two printers
    click("Command3");
    expectDelivered(buildSetAllItems(form->modeValues(), "5000").documents());
    EXPECT_TRUE(face.messages.empty());

    // The queue has drained, so no job is seen at the early tick: the state runs to the 27th.
    ticks(26);
    EXPECT_TRUE(buttonsOff());
    EXPECT_EQ(form->jobs.jobLatch[1], 0);
    ticks(1);
    EXPECT_FALSE(buttonsOff());
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(status(), "完成...");
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
    const auto page =
        buildSetSingleItem(PrintMode::HighSpeed, form->modeValues(), "5000").documents();
    const std::vector<JobRecord> held = jobsAfter(server.virtualQueue, jobsBefore);
    EXPECT_EQ(held.size(), page.size());
    for (const JobRecord& job : held) EXPECT_EQ(job.state, "pending");
    EXPECT_TRUE(printer.documents().empty()) << "a stopped queue let a document through";

    startQueue(server.virtualQueue);
    expectDelivered(page);
    EXPECT_TRUE(face.messages.empty());
}

}  // namespace
}  // namespace trevalune::e2e

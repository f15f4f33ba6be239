// The alignment buttons of the real window through the real CUPS spooler to the virtual
// printer: every document arrives whole and in order, and the busy state then ends by the
// timer's rules against the real queue.
#include <gtest/gtest.h>

#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "tests/e2e/window/form1_e2e_fixture.h"

namespace trevalune::e2e {
namespace {

using AlignmentE2eTest = Form1E2eTest;

TEST_F(AlignmentE2eTest, KorvelDeliversTheSixtyDocumentsOfCentre31) {
    click("Command18");
    expectDelivered(buildAlignmentTest("31").documents());
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(AlignmentE2eTest, SetAllItemsDeliversItsDocumentsAndTheTimerEndsTheBusyState) {
    click("Command3");
    expectDelivered(buildSetAllItems({"16", "24", "40"}, "5000").documents());
    EXPECT_EQ(clock.waits, (std::vector<int>{2500, 100, 100, 100, 5000}));
    EXPECT_TRUE(messages.messages.empty());

    // The queue has drained, so no job is seen at the early tick: the state runs to the 27th.
    ticks(26);
    EXPECT_TRUE(buttonsOff());
    EXPECT_EQ(form->jobs.jobLatch[1], 0);
    ticks(1);
    EXPECT_FALSE(buttonsOff());
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(status(), "完成...");
}

}  // namespace
}  // namespace trevalune::e2e

#include "tests/form/form_fixture.h"

namespace trevalune::testing {
namespace {

class BusyTest : public StartedFormTest {
protected:
    const Names allButtons{Form1::commandButtons().begin(), Form1::commandButtons().end()};
};

TEST_F(BusyTest, EachTickShowsTheFacesClockTextAndIdleTicksCountNothing) {
    clock.current = {2027, 1, 2, 23, 4, 5};
    ticks(3);
    EXPECT_EQ(text("Labtime"), "2027/1/2 23:04:05");
    EXPECT_EQ(form->busy.waitTicks, 0);
    EXPECT_EQ(text("Label8"), "完成.....");
    EXPECT_TRUE(log.empty());
}

TEST_F(BusyTest, OnlyAJobOfTheSelectedPrinterAtTheEarlyTickEndsItEarly) {
    spooler.queues["Office1"] = {true, 2};  // another printer's queue does not count
    form->jobs.jobState[1] = 99;
    form->enterBusyState(kBusySetItems, "正在设置");
    EXPECT_EQ(form->jobs.jobState[1], 0);
    EXPECT_EQ(log, Names{"caption 正在设置"});
    EXPECT_EQ(disabledButtons(), allButtons);
    ticks(3);
    EXPECT_EQ(text("Label8"), "正在设置...");
    ticks(23);
    EXPECT_EQ(disabledButtons(), allButtons);
    ticks(1);
    EXPECT_EQ(disabledButtons(), Names{});  // Command9 too, although Check1 is not ticked
    EXPECT_EQ(log.back(), "caption 完成...");
    EXPECT_EQ(form->busy.settingMode, 0);

    spooler.queues["RZ7-virtual"] = {true, 1};
    form->enterBusyState(kBusySetAllWithPage, "正在设置");
    ticks(9);
    EXPECT_EQ(disabledButtons(), allButtons);
    forget();
    ticks(1);
    EXPECT_EQ(disabledButtons(), Names{});
    // The early end repaints the dots it keeps.
    EXPECT_EQ(log, (Names{"caption 正在设置....", "caption 正在设置...."}));
    EXPECT_EQ(form->jobs.jobLatch[1], 1);
    EXPECT_TRUE(spooler.documents.empty());
    expectFaceShowsForm();
}

TEST_F(BusyTest, DisableAndEnableSwitchTheThirteenButtonsInTheirOrder) {
    face.enabledChanges.clear();
    form->DisableCommands();
    form->EnableCommands();
    Names expected;
    for (const std::string& b : allButtons) expected.push_back(b + " off");
    for (const std::string& b : allButtons) expected.push_back(b + " on");
    EXPECT_EQ(face.enabledChanges, expected);
}

TEST_F(BusyTest, RestEndsTheBusyStateAtOnceAndWorksWhileIdle) {
    click("Command15");  // idle: Command9 comes on as well
    EXPECT_EQ(disabledButtons(), Names{});
    EXPECT_EQ(log, Names{"caption 完成..."});

    form->enterBusyState(kBusySetItems, "正在设置");
    form->jobs.jobState[1] = 99;
    ticks(3);
    click("Command15");
    EXPECT_EQ(disabledButtons(), Names{});
    EXPECT_EQ(text("Label8"), "完成...");
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(form->busy.waitTicks, 0);
    EXPECT_EQ(form->busy.dotStep, 0);
    EXPECT_EQ(form->jobs.jobLatch[1], 1);  // the tables are the next operation's to clear
    expectFaceShowsForm();
}

}  // namespace
}  // namespace trevalune::testing

#include <QEvent>
#include <QPushButton>

#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

using Names = std::vector<std::string>;
using BusyTest = StartedFormTest;

TEST_F(BusyTest, ClockShowsTheShortDateAndLongTimeOfTheLocale) {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    clock.current = {2026, 12, 5, 9, 5, 3};
    form->Timer1_Timer();
    EXPECT_EQ(text("Labtime"), "2026/12/5 09:05:03");
    EXPECT_EQ(form->busy.waitTicks, 0);
    EXPECT_EQ(text("Label8"), "完成.....");
}

TEST_F(BusyTest, OnlyAJobOfTheSelectedPrinterAtTheEarlyTickEndsItEarly) {
    spooler.queues["Office1"] = {true, 2};  // another printer's queue does not count
    form->jobs.jobState[1] = 99;
    form->enterBusyState(kBusySetItems, "正在设置");
    EXPECT_EQ(form->jobs.jobState[1], 0);
    EXPECT_EQ(text("Label8"), "正在设置");
    EXPECT_EQ(disabledButtons(), kAllCommandButtons);
    ticks(3);
    EXPECT_EQ(text("Label8"), "正在设置...");
    ticks(23);
    EXPECT_EQ(disabledButtons(), kAllCommandButtons);
    ticks(1);
    EXPECT_EQ(disabledButtons(), Names{});  // Command9 too, although Check1 is not ticked
    EXPECT_EQ(text("Label8"), "完成...");
    EXPECT_EQ(form->busy.settingMode, 0);

    spooler.queues["RZ7-virtual"] = {true, 1};
    form->enterBusyState(kBusySetAllWithPage, "正在设置");
    ticks(9);
    EXPECT_EQ(disabledButtons(), kAllCommandButtons);
    ticks(1);
    EXPECT_EQ(disabledButtons(), Names{});
    EXPECT_EQ(text("Label8"), "正在设置....");
    EXPECT_EQ(form->jobs.jobLatch[1], 1);
    EXPECT_TRUE(spooler.documents.empty());
}

TEST_F(BusyTest, DisableAndEnableSwitchTheThirteenButtonsInTheirOrder) {
    struct Recorder : QObject {
        Names order;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::EnabledChange) order.push_back(o->objectName().toStdString());
            return false;
        }
    } recorder;
    for (QPushButton* b : form->findChildren<QPushButton*>()) b->installEventFilter(&recorder);
    get("Command9")->setEnabled(true);
    recorder.order.clear();
    form->DisableCommands();
    EXPECT_EQ(recorder.order, kAllCommandButtons);
    recorder.order.clear();
    form->EnableCommands();
    EXPECT_EQ(recorder.order, kAllCommandButtons);
}

TEST_F(BusyTest, RestEndsTheBusyStateAtOnceAndWorksWhileIdle) {
    click("Command15");  // idle: Command9 comes on as well
    EXPECT_EQ(disabledButtons(), Names{});
    EXPECT_EQ(text("Label8"), "完成...");

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
}

}  // namespace
}  // namespace trevalune::testing

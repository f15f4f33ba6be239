// The alignment buttons: the builders' tests pin their bytes, so these check that the window
// hands the builders what it shows and runs the result: counts, waits, captions with their
// repaints, busy code and buttons.
#include "alignment/hanzi_sample.h"
#include "alignment/set_all_test_page.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "tests/behaviour/form_fixture.h"

namespace trevalune::testing {
namespace {

class AlignmentTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        countDocuments = true;
    }

    /// A set operation's log: captions, waits and the value document, then the other `docs`.
    static Names opening(const char* docs) {
        return Names({"caption 正在设置..", "caption 正在设置...", "wait 2500",
                      "caption 正在设置....", "1 docs", "wait 100", "caption 正在设置..",
                      "wait 100", "caption 正在设置...", "wait 100", "wait 5000",
                      "caption 正在设置....", docs});
    }
    void expectBusy(BusyCode code) {
        EXPECT_EQ(form->busyState().settingMode, code);
        EXPECT_EQ(disabledButtons(), Form1::commandButtons());
        EXPECT_TRUE(enabled(Control::setSingleItem));  // the set buttons and Rest stay on
        EXPECT_TRUE(enabled(Control::rest));
    }
};

TEST_F(AlignmentTest, KorvelPrintsTheCentreValuePageWithoutBusyStateOrWaits) {
    replace(Control::centreList, "4");  // typed, not one of the list's items
    click(Control::alignmentTest);
    EXPECT_EQ(spooler.payloads(), buildAlignmentTest(centreValueOf("4")).documents());
    EXPECT_EQ(log, Names{"3 docs"});  // no caption, no wait
    EXPECT_EQ(disabledButtons(), Controls{Control::factoryBlock});

    forget();
    replace(Control::centreList, "300");
    click(Control::alignmentTest);
    EXPECT_EQ(log, Names{"msg 高速的测试中心值“300”超出 0 到 255 的范围，没有发送任何内容。"});
}

TEST_F(AlignmentTest, SetSingleItemRunsTheWholeTimelineAndLeavesTheButtonsOff) {
    click(Control::setSingleItem);
    EXPECT_EQ(log, opening("43 docs"));
    EXPECT_EQ(spooler.payloads(),
              buildSetSingleItem(PrintMode::HighSpeed, {16, 16}, 5000).documents());
    expectBusy(BusyCode::SetItems);
    expectFaceShowsForm();

    click(Control::rest);
    forget();
    click(Control::superHighDensityOption);
    replace(Control::extraWait, "300");
    click(Control::setSingleItem);
    EXPECT_EQ(
        spooler.payloads(),
        buildSetSingleItem(PrintMode::SuperHighDensity, {40, 40}, 300).documents());
    EXPECT_EQ(clock.waits, (std::vector<int>{2500, 100, 100, 100, 300}));
}

TEST_F(AlignmentTest, SetAllItemsAndSetAllWithTestPageSendWhatTheValuesMake) {
    click(Control::highDensityOption);  // a value for a mode: option button, then the value box
    replace(Control::valueBox, "30");
    click(Control::setAllItems);
    EXPECT_EQ(log, opening("146 docs"));
    EXPECT_EQ(spooler.payloads(), buildSetAllItems(modeValuesOf({"16", "30", "40"}), 5000).documents());
    expectBusy(BusyCode::SetItems);

    click(Control::rest);
    forget();
    click(Control::setAllWithTestPage);
    EXPECT_EQ(spooler.payloads(),
              buildSetAllWithTestPage(modeValuesOf({"16", "30", "40"}), 5000, kHanziSample).documents());
    expectBusy(BusyCode::SetAllWithPage);
}

TEST_F(AlignmentTest, ARefusedValueIsNamedAndNothingIsSentNorIsTheWindowBusy) {
    click(Control::superHighDensityOption);
    replace(Control::valueBox, "-5");
    forget();
    click(Control::setAllWithTestPage);
    EXPECT_EQ(log, Names{"msg 超高密的值“-5”超出 0 到 255 的范围，没有发送任何内容。"});
    EXPECT_EQ(form->busyState().settingMode, BusyCode::Idle);
    EXPECT_EQ(text(Control::statusLabel), "完成.....");
    EXPECT_EQ(disabledButtons(), Controls{Control::factoryBlock});
    // Only what reads that caption refuses: the high-speed value is sent as ever.
    click(Control::highSpeedOption);
    click(Control::setSingleItem);
    EXPECT_EQ(spooler.payloads(),
              buildSetSingleItem(PrintMode::HighSpeed, {16, 16}, 5000).documents());
}

}  // namespace
}  // namespace trevalune::testing

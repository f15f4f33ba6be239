#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTest>

#include <functional>

#include "alignment/hanzi_sample.h"
#include "alignment/set_all_test_page.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

using Names = std::vector<std::string>;

/// The alignment buttons through the real window. The log gets a "caption" entry each time
/// Label8 is painted, so a caption that is set but not repainted at once never shows up.
class AlignmentOpsTest : public FormTest {
protected:
    struct PaintRecorder : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) onPaint();
            return false;
        }
    } painter;

    void SetUp() override {
        FormTest::SetUp();
        start();
        // Label8 lies below the design size; repaint() paints only what is on screen, so the
        // window is opened wide enough to show every control.
        form->resize(form->childrenRect().united(form->rect()).size());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        painter.onPaint = [this] { log.push_back("caption " + text("Label8")); };
        get("Label8")->installEventFilter(&painter);
    }

    /// The log with each run of documents folded into one "N docs" entry.
    Names steps() const {
        Names out;
        int docs = 0;
        for (const std::string& entry : log) {
            if (entry.starts_with("doc ")) {
                ++docs;
                continue;
            }
            if (docs) out.push_back(std::to_string(docs) + " docs");
            docs = 0;
            out.push_back(entry);
        }
        if (docs) out.push_back(std::to_string(docs) + " docs");
        return out;
    }

    /// Types a value for a mode the way the operator does: option button, then the value box.
    void typeValue(const char* option, const char* value) {
        click(option);
        get<QComboBox>("cmbsz")->setEditText(QString::fromUtf8(value));
    }
    void setText1(const char* value) { get<QLineEdit>("Text1")->setText(QString::fromUtf8(value)); }
    void setCentre(const char* value) {
        get<QComboBox>("Combo2")->setEditText(QString::fromUtf8(value));
    }

    Names disabledButtons() const {
        Names off;
        for (const char* name : kCommandButtons) {
            if (!get(name)->isEnabled()) off.push_back(name);
        }
        return off;
    }
    Names sentDocuments() const { return spooler.payloads(); }

    const Names all13{kCommandButtons, kCommandButtons + 13};
    const Names idleButtons{"Command9"};  // off from start-up until Check1 is ticked
};

TEST_F(AlignmentOpsTest, KorvelPrintsTheCentreValuePageWithoutBusyStateOrWaits) {
    struct Case {
        const char* centre;
        std::size_t documents;
    };
    for (const Case c : {Case{"31", 60}, Case{"4", 3}, Case{"117", 3}, Case{"120", 3}}) {
        forget();
        setCentre(c.centre);
        click("Command18");
        EXPECT_EQ(spooler.documents.size(), c.documents) << c.centre;
        EXPECT_EQ(sentDocuments(), buildAlignmentTest(c.centre).documents()) << c.centre;
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_TRUE(clock.waits.empty());
        EXPECT_EQ(text("Label8"), "完成.....");
        EXPECT_EQ(form->busy.settingMode, 0);
        EXPECT_EQ(disabledButtons(), idleButtons);
    }
    setCentre("31");
    forget();
    click("Command18");
    ASSERT_EQ(spooler.documents.size(), 60u);
    EXPECT_EQ(toHexText(spooler.documents.front().data), "1B014051563632370A1F000A0A0A0A");
    EXPECT_EQ(toHexText(spooler.documents.back().data), "1D5653");
    EXPECT_EQ(spooler.documents.back().printer, "RZ7-virtual");
}

TEST_F(AlignmentOpsTest, KorvelRefusesACentreThatIsNotAByteValue) {
    for (const char* centre : {"3l", "300"}) {
        forget();
        setCentre(centre);
        click("Command18");
        EXPECT_TRUE(spooler.documents.empty()) << centre;
        ASSERT_EQ(messages.messages.size(), 1u) << centre;
        EXPECT_NE(messages.texts()[0].find(std::string("“") + centre + "”"), std::string::npos);
    }
    EXPECT_EQ(messages.texts()[0], "高速的测试中心值“300”超出 0 到 255 的范围，没有发送任何内容。");
}

TEST_F(AlignmentOpsTest, SetSingleItemRunsTheWholeTimelineAndTheTimerEndsIt) {
    setText1("5000");
    click("Command16");
    EXPECT_EQ(steps(), (Names{"caption 正在设置..", "caption 正在设置...", "wait 2500",
                              "caption 正在设置....", "1 docs", "wait 100", "caption 正在设置..",
                              "wait 100", "caption 正在设置...", "wait 100", "wait 5000",
                              "caption 正在设置....", "43 docs"}));
    EXPECT_EQ(spooler.documents.size(), 44u);
    EXPECT_EQ(toHexText(spooler.documents.front().data), "1B014051563632370A10000A0A");
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    EXPECT_EQ(disabledButtons(), all13);
    EXPECT_TRUE(get("Command16")->isEnabled());
    EXPECT_TRUE(get("Command15")->isEnabled());

    // Nothing is queued in the recording spooler: the busy state lasts to the normal end.
    forget();
    for (int i = 0; i < 26; ++i) form->Timer1_Timer();
    EXPECT_EQ(disabledButtons(), all13);
    form->Timer1_Timer();
    EXPECT_EQ(text("Label8"), "完成...");
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(disabledButtons(), Names{});
    EXPECT_TRUE(spooler.documents.empty());
}

TEST_F(AlignmentOpsTest, SetSingleItemInSuperHighDensityEndsOnTheModeValue) {
    click("Optcgm");
    click("Command16");
    ASSERT_EQ(spooler.documents.size(), 60u);
    EXPECT_EQ(toHexText(spooler.documents.front().data), "1B014051563632370C28000A0A");
    EXPECT_EQ(toHexText(spooler.documents[58].data), "1B014051563632370C28FF0A0A0A");
}

TEST_F(AlignmentOpsTest, SetAllItemsSendsAllThreeValuesThenTheSamplesWhenHighSpeedIsInRange) {
    click("Command3");
    EXPECT_EQ(steps(), (Names{"caption 正在设置..", "caption 正在设置...", "wait 2500",
                              "caption 正在设置....", "1 docs", "wait 100", "caption 正在设置..",
                              "wait 100", "caption 正在设置...", "wait 100", "wait 5000",
                              "caption 正在设置....", "146 docs"}));
    ASSERT_EQ(spooler.documents.size(), 147u);
    EXPECT_EQ(spooler.documents.front().data.size(), 39u);
    EXPECT_EQ(sentDocuments(), buildSetAllItems({"16", "24", "40"}, "5000").documents());
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    EXPECT_EQ(disabledButtons(), all13);

    click("Command15");
    forget();
    typeValue("Optgs", "4");
    click("Command3");
    EXPECT_EQ(spooler.documents.size(), 2u);
    EXPECT_EQ(toHexText(spooler.documents.back().data), "1D5653");
}

TEST_F(AlignmentOpsTest, SetAllWithTestPageSendsTwoDocumentsUnderBusyCode99) {
    click("Command8");
    EXPECT_EQ(clock.waits, (std::vector<int>{2500, 2000, 2500, 2500, 5000}));
    ASSERT_EQ(spooler.documents.size(), 2u);
    EXPECT_EQ(spooler.documents[0].data.size(), 44u);
    EXPECT_EQ(spooler.documents[1].data.size(), 3303u);
    EXPECT_EQ(sentDocuments(),
              buildSetAllWithTestPage({"16", "24", "40"}, "5000", kHanziSample).documents());
    EXPECT_EQ(text("Label8"), "正在设置....");
    EXPECT_EQ(form->busy.settingMode, kBusySetAllWithPage);
    EXPECT_EQ(disabledButtons(), all13);
}

TEST_F(AlignmentOpsTest, ARefusedValueIsNamedAndNothingIsSentNorIsTheWindowBusy) {
    struct Case {
        const char* option;
        const char* value;
        const char* button;
        std::string message;
    };
    const Case cases[] = {
        {"Optcgs", "abc", "Command16", "高密的值“abc”不是数字，没有发送任何内容。"},
        {"Optcgs", "1", "Command3",
         "高密的值“1”使样张值 -1 超出 0 到 255 的范围，没有发送任何内容。"},
        {"Optcgm", "-5", "Command8", "超高密的值“-5”超出 0 到 255 的范围，没有发送任何内容。"},
    };
    for (const Case& c : cases) {
        start();
        get("Label8")->installEventFilter(&painter);
        typeValue(c.option, c.value);
        forget();
        click(c.button);
        EXPECT_EQ(log, Names{"msg " + c.message}) << c.button;
        EXPECT_EQ(form->busy.settingMode, 0);
        EXPECT_EQ(text("Label8"), "完成.....");
        EXPECT_EQ(disabledButtons(), idleButtons);
    }
}

TEST_F(AlignmentOpsTest, AnExtraWaitBeyondAMinuteIsHeldAtOneMinute) {
    setText1("99999999");
    typeValue("Optgs", "4");
    forget();
    click("Command3");
    EXPECT_EQ(clock.waits, (std::vector<int>{2500, 100, 100, 100, 60000}));
    EXPECT_EQ(spooler.documents.size(), 2u);
}

}  // namespace
}  // namespace trevalune::testing

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTest>

#include <functional>

#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

using Names = std::vector<std::string>;

/// The alignment buttons through the real window; the builders' tests pin their bytes, so
/// these check counts, first and last documents, waits, captions, busy code and buttons.
/// The log gets a "caption" entry each time Label8 is painted, so a caption that is set but
/// not repainted at once never shows up.
class AlignmentOpsTest : public StartedFormTest {
protected:
    struct PaintRecorder : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) onPaint();
            return false;
        }
    } painter;

    void SetUp() override {
        StartedFormTest::SetUp();
        // Label8 lies below the design size; repaint() paints only what is on screen, so the
        // window is opened wide enough to show every control.
        form->resize(form->childrenRect().united(form->rect()).size());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        painter.onPaint = [this] { log.push_back("caption " + text("Label8")); };
        get("Label8")->installEventFilter(&painter);
        // Each run of documents is one "N docs" entry.
        spooler.onDocument = [this](const RecordingSpooler::Document&) {
            if (log.empty() || !log.back().ends_with(" docs")) log.push_back("0 docs");
            log.back() = std::to_string(std::stoi(log.back()) + 1) + " docs";
        };
    }

    /// Types a value for a mode the way the operator does: option button, then the value box.
    void typeValue(const char* option, const char* value) {
        click(option);
        get<QComboBox>("cmbsz")->setEditText(QString::fromUtf8(value));
    }
    void setText1(const char* value) { get<QLineEdit>("Text1")->setText(QString::fromUtf8(value)); }
    std::string hexOf(std::size_t document) const {
        return toHexText(spooler.documents.at(document).data);
    }
    /// A set operation's log: captions, waits and the value document, then the other `docs`.
    static Names opening(const char* docs) {
        return Names({"caption 正在设置..", "caption 正在设置...", "wait 2500",
                      "caption 正在设置....", "1 docs", "wait 100", "caption 正在设置..",
                      "wait 100", "caption 正在设置...", "wait 100", "wait 5000",
                      "caption 正在设置....", docs});
    }
    const Names idleButtons{"Command9"};  // off from start-up until Check1 is ticked
};

TEST_F(AlignmentOpsTest, KorvelPrintsTheCentreValuePageWithoutBusyStateOrWaits) {
    const struct {
        const char* centre;
        const char* valueHex;
        std::size_t documents;
    } cases[] = {{"31", "1F", 60}, {"4", "04", 3}, {"117", "75", 3}, {"120", "78", 3}};
    for (const auto& c : cases) {
        forget();
        get<QComboBox>("Combo2")->setEditText(QString::fromUtf8(c.centre));
        click("Command18");
        ASSERT_EQ(spooler.documents.size(), c.documents) << c.centre;
        EXPECT_EQ(hexOf(0), "1B014051563632370A" + std::string(c.valueHex) + "000A0A0A0A");
        EXPECT_EQ(hexOf(c.documents - 1), "1D5653");
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_TRUE(clock.waits.empty());
        EXPECT_EQ(text("Label8"), "完成.....");
        EXPECT_EQ(form->busy.settingMode, 0);
        EXPECT_EQ(disabledButtons(), idleButtons);
    }
    forget();
    get<QComboBox>("Combo2")->setEditText(QStringLiteral("300"));
    click("Command18");
    EXPECT_EQ(log, Names{"msg 高速的测试中心值“300”超出 0 到 255 的范围，没有发送任何内容。"});
}

TEST_F(AlignmentOpsTest, SetSingleItemRunsTheWholeTimelineAndLeavesTheButtonsOff) {
    setText1("5000");
    click("Command16");
    EXPECT_EQ(log, opening("43 docs"));
    EXPECT_EQ(hexOf(0), "1B014051563632370A10000A0A");
    EXPECT_EQ(hexOf(43), "1D5653");
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    EXPECT_EQ(disabledButtons(), kAllCommandButtons);  // Command16 and Rest stay on

    click("Command15");
    forget();
    click("Optcgm");
    click("Command16");
    ASSERT_EQ(spooler.documents.size(), 60u);
    EXPECT_EQ(hexOf(0), "1B014051563632370C28000A0A");
    EXPECT_EQ(hexOf(58), "1B014051563632370C28FF0A0A0A");
}

TEST_F(AlignmentOpsTest, SetAllItemsSendsAllThreeValuesThenTheSamplesWhenHighSpeedIsInRange) {
    click("Command3");
    EXPECT_EQ(log, opening("146 docs"));
    EXPECT_EQ(hexOf(0),
              "1B014051563632370A10000A0A1B014051563632370B18000A0A"
              "1B014051563632370C28000A0A");
    EXPECT_EQ(hexOf(146), "1D5653");
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    EXPECT_EQ(disabledButtons(), kAllCommandButtons);

    click("Command15");
    forget();
    typeValue("Optgs", "4");
    click("Command3");
    ASSERT_EQ(spooler.documents.size(), 2u);
    EXPECT_EQ(hexOf(1), "1D5653");
}

TEST_F(AlignmentOpsTest, SetAllWithTestPageSendsTwoDocumentsUnderBusyCode99) {
    click("Command8");
    EXPECT_EQ(log, (Names{"caption 正在设置..", "caption 正在设置...", "wait 2500",
                          "caption 正在设置....", "1 docs", "wait 2000", "caption 正在设置..",
                          "wait 2500", "caption 正在设置...", "wait 2500", "wait 5000",
                          "caption 正在设置....", "1 docs"}));
    ASSERT_EQ(spooler.documents.size(), 2u);
    EXPECT_EQ(spooler.documents[0].data.size(), 44u);
    EXPECT_EQ(spooler.documents[1].data.size(), 3303u);
    EXPECT_EQ(text("Label8"), "正在设置....");
    EXPECT_EQ(form->busy.settingMode, kBusySetAllWithPage);
    EXPECT_EQ(disabledButtons(), kAllCommandButtons);
}

TEST_F(AlignmentOpsTest, ARefusedValueIsNamedAndNothingIsSentNorIsTheWindowBusy) {
    const struct {
        const char* option;
        const char* value;
        const char* button;
        std::string message;
    } cases[] = {
        {"Optcgs", "abc", "Command16", "高密的值“abc”不是数字，没有发送任何内容。"},
        {"Optcgs", "1", "Command3",
         "高密的值“1”使样张值 -1 超出 0 到 255 的范围，没有发送任何内容。"},
        {"Optcgm", "-5", "Command8", "超高密的值“-5”超出 0 到 255 的范围，没有发送任何内容。"},
    };
    for (const auto& c : cases) {
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

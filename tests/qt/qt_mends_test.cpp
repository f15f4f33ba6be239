// What the Qt window used to get wrong, each through the operator's own keys and clicks:
// completion changed typed values, re-picking the shown printer was lost, Tab walked into
// controls outside the window, and message boxes are real and modal.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "form/control_table.h"
#include "tests/qt/qt_face_fixture.h"

namespace trevalune::testing {
namespace {

TEST_F(QtFaceTest, TypedValuesAreTakenAsTyped) {
    // Qt's inline completion once made "4" into "40": a page around 40 instead of 4.
    type("Combo2", QStringLiteral("4"));
    EXPECT_EQ(get<QComboBox>("Combo2")->currentText(), QStringLiteral("4"));
    click("Command18");
    ASSERT_EQ(spooler.documents.size(), 3u);  // a centre of 4 leaves out the sample rows
    const std::string& first = spooler.documents.front().data;
    ASSERT_GE(first.size(), 6u);
    EXPECT_EQ(first.substr(first.size() - 6), std::string("\x04\x00\x0a\x0a\x0a\x0a", 6));
    EXPECT_EQ(get<QComboBox>("Combo2")->currentText(), QStringLiteral("4"));

    type("cmbsz", QStringLiteral("4"));
    EXPECT_EQ(get<QComboBox>("cmbsz")->currentText(), QStringLiteral("4"));
    EXPECT_EQ(get<QLabel>("Labgs")->text(), QStringLiteral("4"));
    QTest::keyClicks(get<QComboBox>("cmbsz")->lineEdit(), QStringLiteral("7"));
    EXPECT_EQ(get<QLabel>("Labgs")->text(), QStringLiteral("47"));
}

TEST_F(QtFaceTest, RepickingTheShownPrinterMakesItTheDefaultAgain) {
    ASSERT_EQ(spooler.defaultChanges, (std::vector<std::string>{"Office1", "RZ7-virtual"}));
    spooler.defaultChanges.clear();

    pick("Combo1", 1);  // F4, Return on the printer already shown
    EXPECT_EQ(spooler.defaultChanges, std::vector<std::string>{"RZ7-virtual"});
    pick("Combo1", 0);
    pick("Combo1", 0);
    EXPECT_EQ(spooler.defaultChanges,
              (std::vector<std::string>{"RZ7-virtual", "Office1", "Office1"}));
    EXPECT_EQ(get<QComboBox>("Combo1")->currentText(), QStringLiteral("Office1"));
}

class TabTest : public QtFaceTest {
protected:
    /// Presses Tab `count` times and names the control that has the focus after each.
    std::vector<std::string> tabs(int count) {
        std::vector<std::string> visited;
        for (int i = 0; i < count; ++i) {
            if (QApplication::focusWidget() == nullptr) {
                ADD_FAILURE() << "nothing has the focus";
                break;
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(focused());
            const QWidget* w = QApplication::focusWidget();
            if (w != nullptr) {
                const QRect inWindow(w->mapTo(&window(), QPoint(0, 0)), w->size());
                EXPECT_TRUE(window().rect().contains(inWindow)) << visited.back();
            }
        }
        return visited;
    }

    static std::vector<std::string> twice(const std::vector<std::string>& cycle) {
        std::vector<std::string> out(cycle.begin() + 1, cycle.end());
        out.insert(out.end(), cycle.begin(), cycle.end());
        out.push_back(cycle.front());
        return out;
    }
};

TEST_F(TabTest, AtTheDesignSizeTabVisitsOnlyTheVisibleControlsInVisualOrder) {
    const std::vector<std::string> visible = {"Combo1",    "Combo2",   "Command18",
                                              "Command12", "Command5", "Command10",
                                              "Command11", "Command1", "Command17"};
    EXPECT_EQ(focused(), "Combo1");
    EXPECT_EQ(tabs(2 * static_cast<int>(visible.size())), twice(visible));
}

TEST_F(TabTest, TabAndSpaceNeverPressAHiddenButton) {
    // Once Tab, Space pressed the hidden 设置全部 and sent 44 documents.
    Twin twin(programFolder());
    MessageBoxAnswerer boxes;
    std::vector<std::string> pressed;
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        if (button == nullptr) continue;
        pressed.push_back(focused());
        QTest::keyClick(button, Qt::Key_Space);
    }
    const std::set<std::string> row = {"Command18", "Command12", "Command5", "Command10",
                                       "Command11", "Command1",  "Command17"};
    EXPECT_EQ(std::set<std::string>(pressed.begin(), pressed.end()), row);
    for (const std::string& name : pressed) twin.form.clicked(name);
    EXPECT_EQ(spooler.payloads(), twin.spooler.payloads());
    EXPECT_FALSE(form->busy.busy());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TabTest, EnlargingTheWindowLetsTheRevealedControlsJoinTheTabChain) {
    resizeWindow(490, 770);
    std::vector<std::string> all;
    for (std::string_view name : focusOrder(490 * 15, 770 * 15)) {
        if (get(name)->isEnabled()) all.emplace_back(name);  // Command9 waits for Check1
    }
    ASSERT_TRUE(std::find(all.begin(), all.end(), "Command8") != all.end());
    ASSERT_TRUE(std::find(all.begin(), all.end(), "Text2") != all.end());
    EXPECT_EQ(tabs(2 * static_cast<int>(all.size())), twice(all));

    // Back at the design size, a focus that was left on a lower control comes back up.
    for (int i = 0; i < 40 && focused() != "Command8"; ++i) tabs(1);
    ASSERT_EQ(focused(), "Command8");
    resizeWindow(454, 169);
    EXPECT_EQ(focused(), "Combo1");
    EXPECT_EQ(get("Command8")->focusPolicy(), Qt::NoFocus);
}

TEST_F(QtFaceTest, RefusedInputShowsARealMessageBoxDuringWhichNoTickIsHandled) {
    click("Command3");  // set all items: busy, the timer counts
    ASSERT_TRUE(form->busy.busy());
    tick();
    const int ticksBefore = form->busy.waitTicks;
    const QString clockBefore = get<QLabel>("Labtime")->text();
    clock.current.second += 7;  // a handled tick would show the new time

    // While the box is open the timer fires into its modal loop, three times.
    int timeouts = 0;
    QObject::connect(timer(), &QTimer::timeout, &window(), [&] { ++timeouts; });
    std::vector<ShownBox> shown;
    std::function<void()> answer = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || timeouts < 3) {
            if (box != nullptr && !timer()->isActive()) timer()->start(0);
            QTimer::singleShot(0, &window(), answer);
            return;
        }
        timer()->stop();
        shown.push_back({utf8(box->windowTitle()), utf8(box->text()), box->icon(),
                         static_cast<int>(box->buttons().size())});
        EXPECT_EQ(box->parentWidget(), &window());
        box->accept();
    };
    QTimer::singleShot(0, &window(), answer);
    auto* text2 = get<QPlainTextEdit>("Text2");
    text2->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(text2, QStringLiteral("1G"));

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Trevalune");
    EXPECT_EQ(shown[0].text, "请输入的数据是16进制的范围");
    EXPECT_EQ(shown[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(shown[0].buttons, 1);
    EXPECT_EQ(text2->toPlainText(), QStringLiteral("1"));
    EXPECT_EQ(text2->textCursor().position(), 1);
    EXPECT_GE(timeouts, 3);
    EXPECT_EQ(form->busy.waitTicks, ticksBefore);
    EXPECT_EQ(get<QLabel>("Labtime")->text(), clockBefore);

    tick();  // once the box is closed, ticks count again
    EXPECT_EQ(form->busy.waitTicks, ticksBefore + 1);
    EXPECT_NE(get<QLabel>("Labtime")->text(), clockBefore);
}

}  // namespace
}  // namespace trevalune::testing

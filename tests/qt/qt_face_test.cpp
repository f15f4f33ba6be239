// The Qt face: the controls it builds from the control table, that it forwards every kind of
// operator action to the form and shows what the form changed, and what the Qt window once
// got wrong, each through the operator's own keys and clicks: completion changed typed values,
// re-picking the shown printer was lost, Tab walked into hidden controls, message boxes must be
// real and modal. The form's behaviour itself is tested once, against a recording face
// (tests/form).
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "form/control_table.h"
#include "tests/qt/qt_face_fixture.h"

namespace trevalune::testing {
namespace {

/// The Qt class of each ControlKind, in the enum's order.
const char* const kClassOfKind[] = {"QPushButton",    "QGroupBox", "QComboBox", "QComboBox",
                                    "QRadioButton",   "QCheckBox", "QLabel",    "QLineEdit",
                                    "QPlainTextEdit", "QTimer"};

/// The text a widget shows: caption, box text or a list's text.
std::string shownText(const QObject* o) {
    if (auto* b = qobject_cast<const QAbstractButton*>(o)) return utf8(b->text());
    if (auto* l = qobject_cast<const QLabel*>(o)) return utf8(l->text());
    if (auto* g = qobject_cast<const QGroupBox*>(o)) return utf8(g->title());
    if (auto* e = qobject_cast<const QLineEdit*>(o)) return utf8(e->text());
    if (auto* p = qobject_cast<const QPlainTextEdit*>(o)) return utf8(p->toPlainText());
    if (auto* c = qobject_cast<const QComboBox*>(o)) return utf8(c->currentText());
    return {};
}

class QtWindowTest : public QtFaceTest {
protected:
    /// Fails where a widget shows other text, enabled or checked state than its form holds.
    void expectWindowShowsForm() const {
        for (const ControlSpec& spec : controlTable()) {
            if (spec.kind == ControlKind::Timer) continue;
            const ControlState& state = form->control(spec.id);
            QWidget* w = get(spec.id);
            EXPECT_EQ(shownText(w), state.text) << spec.id;
            EXPECT_EQ(w->isEnabled(), state.enabled) << spec.id;
            if (auto* b = qobject_cast<QAbstractButton*>(w); b != nullptr && b->isCheckable()) {
                EXPECT_EQ(b->isChecked(), state.checked) << spec.id;
            }
        }
    }

    /// Presses Tab `count` times and names the control that has the focus after each.
    std::vector<std::optional<Control>> tabs(int count) {
        std::vector<std::optional<Control>> visited;
        for (int i = 0; i < count && QApplication::focusWidget() != nullptr; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(focused());
        }
        return visited;
    }

    /// Two rounds of the cycle, from the control after the first.
    static std::vector<std::optional<Control>> twice(
        const std::vector<std::optional<Control>>& cycle) {
        std::vector<std::optional<Control>> out(cycle.begin() + 1, cycle.end());
        out.insert(out.end(), cycle.begin(), cycle.end());
        out.push_back(cycle.front());
        return out;
    }
};

TEST_F(QtWindowTest, BuildsEveryControlOfTheTableWithItsDesignNameKindPlaceAndFont) {
    EXPECT_EQ(window().objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Trevalune"));
    EXPECT_EQ(window().size(), QSize(454, 169));
    EXPECT_EQ(window().palette().color(QPalette::Window), QColor(255, 255, 255));

    for (const ControlSpec& spec : controlTable()) {
        SCOPED_TRACE(std::string(controlName(spec.id)));
        QObject* o = &face->control(spec.id);
        EXPECT_EQ(utf8(o->objectName()), controlName(spec.id));
        EXPECT_TRUE(o->inherits(kClassOfKind[static_cast<int>(spec.kind)]))
            << o->metaObject()->className();
        if (spec.kind == ControlKind::Timer) {
            EXPECT_TRUE(timerStartedByForm);
            EXPECT_EQ(timer()->interval(), 1000);
            continue;
        }
        auto* w = qobject_cast<QWidget*>(o);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(utf8(w->parentWidget()->objectName()), controlName(spec.container));
        const Twips& g = spec.geometry;
        EXPECT_EQ(w->geometry(), QRect(twipsToPixels(g.left, 96), twipsToPixels(g.top, 96),
                                       twipsToPixels(g.width, 96), twipsToPixels(g.height, 96)));
        // Where none is designed, the platform's dialog font at its own size, not a frame's.
        const QFont dialog = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        EXPECT_EQ(w->font().family(),
                  spec.fontPoints > 0 ? QStringLiteral("宋体") : dialog.family());
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(),
                         spec.fontPoints > 0 ? spec.fontPoints : dialog.pointSizeF());
        if (spec.kind == ControlKind::Frame || spec.whiteBackground) {
            EXPECT_TRUE(w->autoFillBackground());
            EXPECT_EQ(w->palette().color(QPalette::Window),
                      spec.whiteBackground ? QColor(255, 255, 255) : QColor(240, 240, 240));
        }
        if (auto* option = qobject_cast<QRadioButton*>(w)) {
            EXPECT_FALSE(option->autoExclusive());
        }
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            EXPECT_EQ(combo->isEditable(), spec.kind == ControlKind::ComboEditable);
            if (combo->isEditable()) {
                EXPECT_EQ(combo->completer(), nullptr);
                EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
            }
        }
    }
    expectWindowShowsForm();  // the table's captions, or what Form_Load made of them
    // What Form_Load showed in the lists.
    EXPECT_EQ(get<QComboBox>(Control::Combo1)->count(), 2);
    EXPECT_EQ(get<QComboBox>(Control::Combo2)->itemText(115), QStringLiteral("120"));
}

TEST_F(QtWindowTest, WhereSongtiIsMissingTheCaptionsUseASongFaceFirst) {
    if (QFontDatabase::hasFamily(QStringLiteral("宋体")) ||
        !QFontDatabase::hasFamily(QStringLiteral("AR PL UMing CN"))) {
        GTEST_SKIP() << "needs AR PL UMing CN (fonts-arphic-uming) and no 宋体";
    }
    EXPECT_EQ(QFontInfo(get(Control::Label1)->font()).family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(QFontInfo(get(Control::Frame1)->font()).family(), QStringLiteral("AR PL UMing CN"));
}

TEST_F(QtWindowTest, ClockShowsTheShortDateAndLongTimeWithoutTimeZone) {
    const struct {
        QLocale locale;
        const char* expected;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/5/26 9:05:03 AM"},
        {QLocale(QLocale::German, QLocale::Germany), "05.12.26 09:05:03"},
    };
    for (const auto& c : cases) {
        QLocale::setDefault(c.locale);
        tick();
        EXPECT_EQ(utf8(get<QLabel>(Control::Labtime)->text()), c.expected) << utf8(c.locale.name());
    }
}

TEST_F(QtWindowTest, ForwardsEveryKindOfOperatorActionAndShowsWhatTheFormChanged) {
    resizeWindow(490, 770);  // every control within reach of the mouse
    type(Control::Text1, QStringLiteral("300"));
    pick(Control::Combo2, 10);
    EXPECT_EQ(form->control(Control::Combo2).text, "15");
    click(Control::Optcgm);
    click(Control::Check1);
    EXPECT_TRUE(form->control(Control::Command9).enabled);
    expectWindowShowsForm();
    click(Control::Command16);
    EXPECT_EQ(clock.waits.back(), 300);
    EXPECT_TRUE(form->busy.busy());
    expectWindowShowsForm();
    click(Control::Command2);
    EXPECT_FALSE(window().isVisible());
}

TEST_F(QtWindowTest, TypedValuesAreTakenAsTyped) {
    // Qt's inline completion once made "4" into "40" (both editable lists share the code).
    type(Control::cmbsz, QStringLiteral("4"));
    EXPECT_EQ(get<QLabel>(Control::Labgs)->text(), QStringLiteral("4"));
    QTest::keyClicks(get<QComboBox>(Control::cmbsz)->lineEdit(), QStringLiteral("7"));
    EXPECT_EQ(get<QLabel>(Control::Labgs)->text(), QStringLiteral("47"));
}

TEST_F(QtWindowTest, RepickingTheShownPrinterMakesItTheDefaultAgain) {
    spooler.defaultChanges.clear();
    pick(Control::Combo1, 1);  // F4, Return on the printer already shown
    pick(Control::Combo1, 0);
    pick(Control::Combo1, 0);
    EXPECT_EQ(spooler.defaultChanges,
              (std::vector<std::string>{"RZ7-virtual", "Office1", "Office1"}));
}

TEST_F(QtWindowTest, TabReachesOnlyTheVisibleControlsAtEitherSize) {
    // Once Tab reached the hidden 设置全部 at the design size, where a stray Space pressed it.
    // The order itself is the control table's (ControlTable tests).
    EXPECT_EQ(focused(), Control::Combo1);
    for (const auto& [width, height] : {std::pair{454, 169}, {490, 770}}) {
        resizeWindow(width, height);
        std::vector<std::optional<Control>> reachable;
        for (Control name : focusOrder(pixelsToTwips(width, kQtLogicalDpi),
                                       pixelsToTwips(height, kQtLogicalDpi))) {
            if (get(name)->isEnabled()) reachable.emplace_back(name);  // Command9 waits for Check1
        }
        EXPECT_EQ(tabs(2 * static_cast<int>(reachable.size())), twice(reachable)) << width;
    }
    ASSERT_NE(focusOrder(454 * 15, 169 * 15).size(), focusOrder(490 * 15, 770 * 15).size());

    // Back at the design size, a focus that was left on a lower control comes back up.
    for (int i = 0; i < 40 && focused() != Control::Command8; ++i) tabs(1);
    ASSERT_EQ(focused(), Control::Command8);
    resizeWindow(454, 169);
    EXPECT_EQ(focused(), Control::Combo1);
    EXPECT_EQ(get(Control::Command8)->focusPolicy(), Qt::NoFocus);
}

TEST_F(QtWindowTest, EnterPressesTheFocusedButtonAndArrowKeysSelectTheNextMode) {
    resizeWindow(490, 770);
    // As on Windows: Enter and the keypad's Enter press the focused button; Space still does.
    auto* feed = get(Control::Command12);
    feed->setFocus(Qt::TabFocusReason);
    QTest::keyClick(feed, Qt::Key_Return);
    QTest::keyClick(feed, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(feed, Qt::Key_Space);
    ASSERT_EQ(spooler.documents.size(), 3u);
    for (const auto& d : spooler.documents) EXPECT_EQ(d.data, "\x1D\x56\x53") << "换页";

    // In 功能选择 an arrow key selects the next mode, round at either end, as a click would.
    get(Control::Optgs)->setFocus(Qt::TabFocusReason);
    const struct {
        Qt::Key key;
        Control mode;
        const char* value;
    } steps[] = {{Qt::Key_Right, Control::Optcgs, "24"},
                 {Qt::Key_Down, Control::Optcgm, "40"},
                 {Qt::Key_Down, Control::Optgs, "16"},
                 {Qt::Key_Up, Control::Optcgm, "40"},
                 {Qt::Key_Left, Control::Optcgs, "24"}};
    for (const auto& step : steps) {
        QTest::keyClick(QApplication::focusWidget(), step.key);
        EXPECT_EQ(focused(), step.mode);
        for (Control option : {Control::Optgs, Control::Optcgs, Control::Optcgm}) {
            EXPECT_EQ(get<QAbstractButton>(option)->isChecked(), option == step.mode)
                << option << " after " << step.mode;
        }
        EXPECT_EQ(get<QComboBox>(Control::cmbsz)->currentText(), QString::fromUtf8(step.value));
    }
}

// That no tick is handled while the box is open is the form's rule (EventRules tests).
TEST_F(QtWindowTest, RefusedInputShowsARealModalMessageBox) {
    MessageBoxAnswerer boxes;
    boxes.whileOpen = [&](QMessageBox& box) { EXPECT_EQ(box.parentWidget(), &window()); };
    auto* text2 = get<QPlainTextEdit>(Control::Text2);
    text2->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(text2, QStringLiteral("1G"));

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Trevalune");
    EXPECT_EQ(boxes.shown[0].text, "请输入的数据是16进制的范围");
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes.shown[0].buttons, 1);
    EXPECT_EQ(text2->toPlainText(), QStringLiteral("1"));
    EXPECT_EQ(text2->textCursor().position(), 1);
}

TEST_F(QtWindowTest, AnExceptionInAClickIsOneBoxAndALineOnStandardErrorAndTheWindowGoesOn) {
    spooler.onDocument = [](const RecordingSpooler::Document&) {
        throw std::runtime_error("spooler broke");
    };
    MessageBoxAnswerer boxes;
    ::testing::internal::CaptureStderr();
    click(Control::Command12);  // out of Qt's event handling, into the form and back
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Trevalune");
    EXPECT_EQ(boxes.shown[0].text, "spooler broke");
    EXPECT_THAT(said, ::testing::StartsWith("trevalune: unexpected error: spooler broke\n"));

    spooler.onDocument = nullptr;
    click(Control::Command5);
    EXPECT_EQ(spooler.payloads().back(), "\n");
}

// Run by ctest as qt.laptop_screen, on a 1366 x 768 screen at 125 %: the form is taller than
// the screen's work area.
TEST_F(QtWindowTest, OnALaptopScreenTheEnlargedWindowScrollsAndTabReachesTheBottomRow) {
    const QRect work = window().screen()->availableGeometry();
    if (work.height() >= 769) {
        ASSERT_TRUE(qEnvironmentVariableIsEmpty("TREVALUNE_LAPTOP_SCREEN")) << "screen too tall";
        GTEST_SKIP() << "needs a screen shorter than the whole form";
    }
    std::ofstream(std::filesystem::path(folder.path().toStdU16String()) / "file.prn") << "PRN";
    window().resize(2000, 2000);  // maximised: as large as the work area allows
    QApplication::processEvents();
    ASSERT_EQ(window().frameGeometry().size(), work.size()) << "the frame included";
    QScrollBar* bar = nullptr;
    for (auto* b : window().findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly)) {
        if (b->orientation() == Qt::Vertical) bar = b;
    }
    ASSERT_TRUE(bar != nullptr && bar->isVisible());

    // The wheel scrolls the client area.
    QWheelEvent down(QPointF(100, 100), window().mapToGlobal(QPointF(100, 100)), {}, {0, -120},
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window(), &down);
    EXPECT_GT(bar->value(), 0);
    bar->setValue(0);

    // By Tab alone to the Windows button, which comes into view, and Enter presses it.
    for (int i = 0; i < 40 && focused() != Control::Command14; ++i) tabs(1);
    ASSERT_EQ(focused(), Control::Command14);
    const auto inView = [&](Control name) {
        const QWidget* w = get(name);
        const QRect r(w->mapTo(&window(), QPoint(0, 0)), w->size());
        return r.top() >= 0 && r.bottom() < window().height();
    };
    EXPECT_TRUE(inView(Control::Command14));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(spooler.documents.size(), 1u);
    EXPECT_EQ(spooler.documents[0].data, "PRN");
    // Back to the second 设置全部, and Enter: values and the Chinese test page.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(focused(), Control::Command8);
    EXPECT_TRUE(inView(Control::Command8));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_GT(spooler.documents.size(), 1u);
    EXPECT_TRUE(form->busy.busy()) << "设置全部 ran";
}

}  // namespace
}  // namespace trevalune::testing

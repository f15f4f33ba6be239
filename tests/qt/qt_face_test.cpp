// The Qt face on its own: the controls it builds from the control table, and that it forwards
// every kind of operator action to the form and shows what the form changed. The form's
// behaviour itself is tested once, against a recording face (tests/form).
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "form/control_table.h"
#include "form/utf16.h"
#include "tests/qt/qt_face_fixture.h"

namespace trevalune::testing {
namespace {

const char* kindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return "QPushButton";
        case ControlKind::Frame:
            return "QGroupBox";
        case ControlKind::ComboEditable:
        case ControlKind::ComboList:
            return "QComboBox";
        case ControlKind::Option:
            return "QRadioButton";
        case ControlKind::CheckBox:
            return "QCheckBox";
        case ControlKind::Label:
            return "QLabel";
        case ControlKind::TextBox:
            return "QLineEdit";
        case ControlKind::TextBoxMultiline:
            return "QPlainTextEdit";
        case ControlKind::Timer:
            return "QTimer";
    }
    return "";
}

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

TEST_F(QtFaceTest, BuildsEveryControlOfTheTableWithItsDesignNameKindPlaceAndFont) {
    EXPECT_EQ(window().objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Trevalune"));
    EXPECT_EQ(window().size(), QSize(454, 169));
    EXPECT_EQ(window().palette().color(QPalette::Window), QColor(255, 255, 255));

    for (const ControlSpec& spec : controlTable()) {
        SCOPED_TRACE(std::string(spec.name));
        QObject* o = face->control(spec.name);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(utf8(o->objectName()), spec.name);
        EXPECT_TRUE(o->inherits(kindName(spec.kind))) << o->metaObject()->className();
        if (spec.kind == ControlKind::Timer) {
            EXPECT_TRUE(timerStartedByForm);
            EXPECT_EQ(timer()->interval(), 1000);
            continue;
        }
        auto* w = qobject_cast<QWidget*>(o);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(utf8(w->parentWidget()->objectName()), spec.container);
        const Twips& g = spec.geometry;
        EXPECT_EQ(w->geometry(), QRect(twipsToPixels(g.left, 96), twipsToPixels(g.top, 96),
                                       twipsToPixels(g.width, 96), twipsToPixels(g.height, 96)));
        EXPECT_EQ(w->font().family(), QStringLiteral("宋体"));
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), spec.fontPoints > 0 ? spec.fontPoints : 9.0);
        // The table's caption, or what Form_Load made of it.
        EXPECT_EQ(shownText(w), form->control(spec.name).text);
        EXPECT_EQ(w->isEnabled(), form->control(spec.name).enabled);
        if (auto* b = qobject_cast<QAbstractButton*>(w); b != nullptr && b->isCheckable()) {
            EXPECT_EQ(b->isChecked(), form->control(spec.name).checked);
        }
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
    // A few places spelled out: pixels are twips / 15 at 96 DPI, inside the frame.
    EXPECT_EQ(get("Combo1")->geometry(), QRect(8, 24, 281, 27));
    EXPECT_EQ(get("Labcgs")->geometry(), QRect(177, 33, 17, 17));
    EXPECT_EQ(get("Label8")->geometry(), QRect(248, 104, 145, 25));
    EXPECT_EQ(get<QGroupBox>("Frame4")->title(), QString());

    // What Form_Load showed: the printers with the "RZ7" one chosen, the value lists.
    auto* printers = get<QComboBox>("Combo1");
    ASSERT_EQ(printers->count(), 2);
    EXPECT_EQ(printers->currentText(), QStringLiteral("RZ7-virtual"));
    auto* values = get<QComboBox>("Combo2");
    ASSERT_EQ(values->count(), 116);
    EXPECT_EQ(values->itemText(0), QStringLiteral("5"));
    EXPECT_EQ(values->itemText(115), QStringLiteral("120"));
    EXPECT_EQ(values->currentText(), QStringLiteral("31"));
}

TEST_F(QtFaceTest, WhereSongtiIsMissingTheCaptionsUseASongFaceFirst) {
    if (QFontDatabase::hasFamily(QStringLiteral("宋体")) ||
        !QFontDatabase::hasFamily(QStringLiteral("AR PL UMing CN"))) {
        GTEST_SKIP() << "needs AR PL UMing CN (fonts-arphic-uming) and no 宋体";
    }
    EXPECT_EQ(QFontInfo(get("Label1")->font()).family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(QFontInfo(get("Frame1")->font()).family(), QStringLiteral("AR PL UMing CN"));
}

TEST_F(QtFaceTest, ClockShowsTheShortDateAndLongTimeWithoutTimeZone) {
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
        EXPECT_EQ(utf8(get<QLabel>("Labtime")->text()), c.expected) << utf8(c.locale.name());
    }
}

/// Every kind of operator action through real clicks, keys and timer ticks on the Qt face,
/// and the same actions sent straight to a twin form: after each, the same documents, default
/// printer changes, waits and messages, and the window shows what its form holds.
TEST_F(QtFaceTest, ForwardsEveryOperatorActionAndShowsWhatTheFormChanged) {
    QFile driver(folder.filePath(QStringLiteral("file.prn")));
    ASSERT_TRUE(driver.open(QIODevice::WriteOnly));
    driver.write("\x1b@driver\n\f", 11);
    driver.close();
    Twin twin(programFolder());
    resizeWindow(490, 770);  // every control within reach of the mouse
    MessageBoxAnswerer boxes;

    enum Kind { Click, Type, Pick, TicksWhileBusy };
    struct Action {
        Kind kind;
        const char* control = "";
        const char* text = "";
        int index = 0;
    };
    const Action actions[] = {
        {Type, "Text1", "300"},   {Pick, "Combo1", "", 0},
        {Pick, "Combo1", "", 1},  {Pick, "Combo1", "", 1},  // the printer already shown
        {Pick, "Combo2", "", 10}, {Type, "Combo2", "27"},
        {Click, "Optcgs"},        {Click, "Optcgm"},
        {Click, "Optcgm"},  // already on: stays on
        {Type, "cmbsz", "18"},    {Click, "Optgs"},
        {Type, "cmbsz", "130"},  // capped by the form while typing
        {Click, "Command18"},     {Click, "Command5"},
        {Click, "Command12"},     {Click, "Command10"},
        {Click, "Command11"},     {Click, "Command1"},
        {Click, "Command14"},     {Click, "Command4"},
        {Click, "Command7"},      {Click, "Command17"},
        {Click, "Command13"},     {Click, "Command16"},
        {Click, "Command18"},  // not switched off while busy
        {TicksWhileBusy},         {Click, "Command3"},
        {Click, "Command15"},     {Click, "Command8"},
        {TicksWhileBusy},         {Type, "Text2", "1b 4G0"},  // the G is refused with a message
        {Click, "Command6"},      {Click, "Check1"},
        {Click, "Check1"},        {Click, "Check1"},
        {Click, "Command9"},      {Click, "Command6"},
        {Click, "Command2"},
    };

    const auto apply = [&](const Action& a) {
        const QString text = QString::fromUtf8(a.text);
        switch (a.kind) {
            case Click:
                click(a.control);
                twin.form.clicked(a.control);
                break;
            case Type: {
                type(a.control, text);
                // Select all, then each key goes in at the caret the form left.
                std::u16string typed;
                std::size_t caret = 0;
                for (QChar key : text) {
                    typed.insert(caret, 1, key.unicode());
                    twin.form.textEdited(a.control, toUtf8(typed), ++caret);
                    typed = toUtf16(twin.form.control(a.control).text);
                    caret = twin.form.control(a.control).caret;
                }
                break;
            }
            case Pick:
                pick(a.control, a.index);
                twin.form.selected(a.control, a.index);
                break;
            case TicksWhileBusy:
                for (int i = 0; i < 100 && twin.form.busy.busy(); ++i) {
                    tick();
                    twin.form.timerTick();
                }
                EXPECT_FALSE(form->busy.busy());
                break;
        }
    };

    for (const Action& a : actions) {
        SCOPED_TRACE(std::string(a.control) + " " + a.text + " " + std::to_string(a.index));
        apply(a);
        ASSERT_EQ(spooler.documents.size(), twin.spooler.documents.size());
        for (std::size_t i = 0; i < spooler.documents.size(); ++i) {
            EXPECT_EQ(spooler.documents[i].printer, twin.spooler.documents[i].printer);
            EXPECT_EQ(spooler.documents[i].name, twin.spooler.documents[i].name);
            ASSERT_EQ(spooler.documents[i].data, twin.spooler.documents[i].data) << i;
        }
        EXPECT_EQ(spooler.defaultChanges, twin.spooler.defaultChanges);
        EXPECT_EQ(clock.waits, twin.clock.waits);
        EXPECT_EQ(boxes.texts(), twin.face.messageTexts());
        EXPECT_EQ(form->busy.waitTicks, twin.form.busy.waitTicks);
        for (const ControlSpec& spec : controlTable()) {
            if (spec.kind == ControlKind::Timer) continue;
            const ControlState& twinState = twin.form.control(spec.name);
            const ControlState& state = form->control(spec.name);
            // The clock is in each face's own format.
            if (spec.name != "Labtime") {
                EXPECT_EQ(state.text, twinState.text) << spec.name;
            }
            EXPECT_EQ(state.enabled, twinState.enabled) << spec.name;
            EXPECT_EQ(state.checked, twinState.checked) << spec.name;
            QWidget* w = get(spec.name);
            EXPECT_EQ(shownText(w), state.text) << spec.name;
            EXPECT_EQ(w->isEnabled(), state.enabled) << spec.name;
            if (auto* b = qobject_cast<QAbstractButton*>(w); b != nullptr && b->isCheckable()) {
                EXPECT_EQ(b->isChecked(), state.checked) << spec.name;
            }
        }
    }
    EXPECT_GT(spooler.documents.size(), 100u);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"请输入的数据是16进制的范围"});
    EXPECT_EQ(utf8(get<QPlainTextEdit>("Text2")->toPlainText()), "");
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(twin.face.closed);
}

}  // namespace
}  // namespace trevalune::testing

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "alignment/hanzi_sample.h"
#include "printer/printer_link.h"
#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

using Names = std::vector<std::string>;

TEST_F(FormTest, StartsInTheDesignState) {
    start({});
    EXPECT_EQ(form->windowTitle().toStdString(), "Trevalune");
    EXPECT_EQ(form->size(), QSize(454, 169));

    auto* combo2 = get<QComboBox>("Combo2");
    ASSERT_EQ(combo2->count(), 116);
    EXPECT_EQ(combo2->itemText(0).toStdString(), "5");
    EXPECT_EQ(combo2->itemText(115).toStdString(), "120");
    EXPECT_EQ(text("Combo2"), "31");
    EXPECT_EQ(text("Labgs"), "16");
    EXPECT_EQ(text("Labcgs"), "24");
    EXPECT_EQ(text("Labcgm"), "40");
    EXPECT_EQ(text("cmbsz"), "16");
    EXPECT_EQ(text("Label8"), "完成.....");
    EXPECT_EQ(text("Label1"), "Korvel  V20170609 V1.0");
    EXPECT_EQ(text("Text1"), "5000");
    EXPECT_EQ(text("Labtime"), "");
    EXPECT_TRUE(get<QRadioButton>("Optgs")->isChecked());
    EXPECT_FALSE(get<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(form->hanziSample, kHanziSample);
    EXPECT_TRUE(timerStarted);
    EXPECT_EQ(get<QTimer>("Timer1")->interval(), 1000);

    EXPECT_EQ(disabledButtons(), Names{"Command9"});
    // No printer: nothing listed, nothing selected, the default left alone.
    EXPECT_EQ(get<QComboBox>("Combo1")->count(), 0);
    EXPECT_EQ(get<QComboBox>("Combo1")->currentIndex(), -1);
    EXPECT_TRUE(spooler.defaultChanges.empty());
}

TEST_F(FormTest, PreselectsTheFirstRz7PrinterMakingEachVisitedOneTheDefault) {
    struct Case {
        Names printers;
        Names defaults;
        std::string selected;
    };
    const std::vector<Case> cases = {
        {{"Office1"}, {}, ""},
        {{"A", "B", "C"}, {"A", "B", "C"}, "C"},
        {{"A", "RZ7-1", "RZ7-2"}, {"A", "RZ7-1"}, "RZ7-1"},
        {{"rz7x", "B"}, {"rz7x", "B"}, "B"},
        {{" RZ7", "B"}, {" RZ7", "B"}, "B"},
        {{"RZ", "RZ7"}, {"RZ", "RZ7"}, "RZ7"},
        {{"RZ7", "B"}, {"RZ7"}, "RZ7"},
        {{"打印机", "RZ7 办公室"}, {"打印机", "RZ7 办公室"}, "RZ7 办公室"},
    };
    for (const Case& c : cases) {
        start(c.printers);
        EXPECT_EQ(get<QComboBox>("Combo1")->count(), static_cast<int>(c.printers.size()));
        EXPECT_EQ(spooler.defaultChanges, c.defaults) << c.printers.front();
        EXPECT_EQ(text("Combo1"), c.selected) << c.printers.front();
    }
}

TEST_F(FormTest, ASinglePrinterIsChosenOnlyByTheOperator) {
    start({"Office1"});
    click("Command5");  // nothing selected: no printer opens
    EXPECT_EQ(log, Names{"msg " + std::string(kPrinterNotFoundMessage)});
    EXPECT_TRUE(spooler.documents.empty());

    get<QComboBox>("Combo1")->setCurrentIndex(0);
    EXPECT_EQ(spooler.defaultChanges, Names{"Office1"});
    click("Command5");
    ASSERT_EQ(spooler.documents.size(), 1u);
    EXPECT_EQ(spooler.documents[0].printer, "Office1");
    EXPECT_EQ(spooler.documents[0].name, "AAAAAA");
}

TEST_F(FormTest, OnlyTheTopPartIsVisibleAtTheDesignSize) {
    start();
    Names visible;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_")) continue;
        // Seen only where the widget and every container up to the window overlap.
        QRect seen = w->rect();
        for (QWidget* p = w; p != form.get(); p = p->parentWidget()) {
            seen = seen.translated(p->pos()).intersected(p->parentWidget()->rect());
        }
        if (!seen.isEmpty()) visible.push_back(w->objectName().toStdString());
    }
    EXPECT_EQ(visible, (Names{"Command18", "Frame7", "Combo2", "Command17", "Command12",
                              "Command11", "Command10", "Command1", "Command5", "Frame4", "Labtime",
                              "Label1", "Frame1", "Combo1"}));
}

TEST_F(FormTest, ExitClosesTheWindowAndSendsNothing) {
    start();
    form->enterBusyState(kBusySetItems, "正在设置");
    click("Command2");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing

// The event rules every face relies on, pinned once for all of them.
#include "alignment/config_block.h"
#include "alignment/set_items.h"
#include "printer/printer_link.h"
#include "tests/form/form_fixture.h"

namespace trevalune::testing {
namespace {

using EventRules = StartedFormTest;

TEST_F(EventRules, NoTimerTickIsHandledWhileAHandlerRunsMessageBoxesIncluded) {
    spooler.printers = {"Office1"};  // the selected RZ7-virtual went away after start-up
    // A toolkit's modal loop keeps its timers running: every box and every wait gets ticks.
    int offered = 0;
    const auto tickMany = [&] {
        for (int i = 0; i < 30; ++i, ++offered) form->timerTick();
    };
    face.onMessage = [&](const RecordingFace::Message&) { tickMany(); };
    clock.onWait = [&](int) { tickMany(); };

    click("Command16");

    const std::size_t documents =
        buildSetSingleItem(PrintMode::HighSpeed, form->modeValues(), "5000").documentCount();
    EXPECT_EQ(face.messages, std::vector<RecordingFace::Message>(
                                 documents, {std::string(kPrinterNotFoundMessage), "Trevalune"}));
    EXPECT_GT(offered, 27 * 30);  // enough to end the busy state many times over
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    EXPECT_EQ(form->busy.waitTicks, 0);
    EXPECT_EQ(form->busy.dotStep, 0);
    EXPECT_EQ(text("Labtime"), "");
    EXPECT_EQ(text("Label8"), "正在设置....");
    EXPECT_EQ(disabledButtons(),
              Names(Form1::commandButtons().begin(), Form1::commandButtons().end()));
    expectFaceShowsForm();

    // Once the handler has returned, the next tick counts.
    face.onMessage = nullptr;
    form->timerTick();
    EXPECT_EQ(form->busy.waitTicks, 1);
    EXPECT_EQ(text("Labtime"), "2026/12/5 09:05:03");
    EXPECT_EQ(text("Label8"), "正在设置.");
}

TEST_F(EventRules, EverySelectionInCombo1MakesThatPrinterTheDefaultAgainIncluded) {
    EXPECT_EQ(spooler.defaultChanges, (Names{"Office1", "RZ7-virtual"}));  // start-up
    choose("Combo1", 1);                                                   // the one already shown
    choose("Combo1", 0);
    choose("Combo1", 0);
    EXPECT_EQ(spooler.defaultChanges,
              (Names{"Office1", "RZ7-virtual", "RZ7-virtual", "Office1", "Office1"}));
    EXPECT_EQ(form->printerName(), "Office1");
    form->selected("Combo1", 2);  // no such item
    form->selected("Combo1", -1);
    EXPECT_EQ(spooler.defaultChanges.size(), 5u);
    expectFaceShowsForm();
}

TEST_F(EventRules, TextSetByCodeIsAChange) {
    // cmbsz: the cap writes 119 back into the box, and that change copies it into the label
    // of the selected mode.
    type("cmbsz", "125");
    EXPECT_EQ(text("cmbsz"), "119");
    EXPECT_EQ(text("Labgs"), "119");
    // An option copies its label into the box, and the box's change handler runs on it.
    click("Optcgm");
    EXPECT_EQ(text("cmbsz"), "40");
    EXPECT_EQ(text("Labgs"), "119");

    // Command9 replaces Text2 by code; the input check runs on it and accepts it silently.
    click("Check1");
    type("Text2", "AB");
    click("Command9");
    EXPECT_EQ(text("Text2"), std::string(kFactoryBlockSpaced));
    EXPECT_TRUE(face.messages.empty());
    expectFaceShowsForm();
}

TEST_F(EventRules, ADisabledControlTakesNoEvent) {
    click("Command9");  // off until Check1 is ticked
    EXPECT_EQ(text("Text2"), "");

    type("Text2", "0A");
    form->enterBusyState(kBusySetItems, "正在设置");
    forget();
    for (std::string_view button : Form1::commandButtons()) form->clicked(button);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(text("Text2"), "0A");
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
}

}  // namespace
}  // namespace trevalune::testing

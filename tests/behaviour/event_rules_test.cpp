// The event rules every face relies on, the busy state and the value box, pinned once for
// all faces.
#include <gmock/gmock.h>

#include <map>
#include <stdexcept>

#include "alignment/set_items.h"
#include "printer/link_messages.h"
#include "tests/behaviour/form_fixture.h"

namespace trevalune::testing {
namespace {

using EventRules = FormTest;

TEST_F(EventRules, NoTimerTickIsHandledWhileAHandlerRunsMessageBoxesIncluded) {
    spooler.printers = {"Office1"};  // the selected RZ7-virtual went away after start-up
    // A toolkit's modal loop keeps its timers running: every box and every wait gets ticks.
    int offered = 0;
    const auto tickMany = [&] {
        for (int i = 0; i < 30; ++i, ++offered) form->timerTick();
    };
    face.onMessage = [&](const RecordingFace::Message&) { tickMany(); };
    clock.onWait = [&](int) { tickMany(); };

    click(Control::setSingleItem);

    const std::size_t documents =
        buildSetSingleItem(PrintMode::HighSpeed, {16, 16}, 5000).documentCount();
    EXPECT_EQ(face.messages, std::vector<RecordingFace::Message>(
                                 documents, {std::string(kPrinterNotFoundMessage), "Trevalune"}));
    EXPECT_GT(offered, 27 * 30);  // enough to end the busy state many times over
    EXPECT_EQ(form->busyState().settingMode, BusyCode::SetItems);
    EXPECT_EQ(form->busyState().waitTicks, 0);
    EXPECT_EQ(text(Control::clock), "");  // not even the clock

    // Once the handler has returned, the next tick counts.
    face.onMessage = nullptr;
    form->timerTick();
    EXPECT_EQ(form->busyState().waitTicks, 1);
    EXPECT_EQ(text(Control::clock), "2026/12/5 09:05:03");
}

TEST_F(EventRules, ADisabledControlTakesNoEvent) {
    click(Control::factoryBlock);  // off until Check1 is ticked
    EXPECT_EQ(text(Control::commandText), "");

    type(Control::commandText, "0A");
    form->enterBusyState(BusyCode::SetItems, "正在设置");
    forget();
    for (Control button : Form1::commandButtons()) form->clicked(button);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(text(Control::commandText), "0A");
    EXPECT_EQ(form->busyState().settingMode, BusyCode::SetItems);
}

TEST_F(EventRules, OnlyAJobOfTheSelectedPrinterAtTheEarlyTickEndsTheBusyStateEarly) {
    clock.current = {2027, 1, 2, 23, 4, 5};
    ticks(3);  // idle ticks show the time and count nothing
    EXPECT_EQ(text(Control::clock), "2027/1/2 23:04:05");
    EXPECT_TRUE(log.empty());

    // A previous busy state saw two jobs: the next set operation starts from a clear slot.
    spooler.queues["RZ7-virtual"] = {true, 2};
    form->enterBusyState(BusyCode::SetItems, "正在设置");
    ticks(1);
    EXPECT_EQ(form->watchedJobs(), (JobSlot{JobsSeen::OtherCount, true}));
    click(Control::rest);
    spooler.queues.erase("RZ7-virtual");
    spooler.queues["Office1"] = {true, 2};  // another printer's queue does not count
    forget();
    form->enterBusyState(BusyCode::SetItems, "正在设置");
    EXPECT_EQ(form->watchedJobs(), JobSlot{});
    EXPECT_EQ(log, Names{"caption 正在设置"});
    ticks(26);  // the dots and the ticks' count are BusyState's own tests
    EXPECT_EQ(disabledButtons(), Form1::commandButtons());
    ticks(1);
    EXPECT_EQ(disabledButtons(), Controls{});  // Command9 too, although Check1 is not ticked
    EXPECT_EQ(log.back(), "caption 完成...");

    spooler.queues["RZ7-virtual"] = {true, 1};
    form->enterBusyState(BusyCode::SetAllWithPage, "正在设置");
    ticks(9);
    EXPECT_EQ(disabledButtons(), Form1::commandButtons());
    forget();
    ticks(1);
    EXPECT_EQ(disabledButtons(), Controls{});
    // The early end repaints the dots it keeps.
    EXPECT_EQ(log, (Names{"caption 正在设置....", "caption 正在设置...."}));
    EXPECT_TRUE(spooler.documents.empty());
    expectFaceShowsForm();
}

TEST_F(EventRules, RestEndsTheBusyStateAtOnceAndWorksWhileIdle) {
    click(Control::rest);  // idle: Command9 comes on as well
    EXPECT_EQ(disabledButtons(), Controls{});
    EXPECT_EQ(log, Names{"caption 完成..."});

    spooler.queues["RZ7-virtual"] = {true, 2};
    form->enterBusyState(BusyCode::SetItems, "正在设置");
    ticks(3);
    click(Control::rest);
    EXPECT_EQ(disabledButtons(), Controls{});
    EXPECT_EQ(text(Control::statusLabel), "完成...");
    EXPECT_EQ(form->busyState().settingMode, BusyCode::Idle);
    EXPECT_EQ(form->busyState().waitTicks, 0);
    // The slot is the next operation's to clear.
    EXPECT_EQ(form->watchedJobs(), (JobSlot{JobsSeen::OtherCount, true}));
    expectFaceShowsForm();
}

// A page without its first documents prints rows for values the printer never got: the
// first document not taken (or of unknown fate) ends the operation with one box.
TEST_F(EventRules, ADocumentNotTakenOrOfUnknownFateEndsItsOperationWithOneMessage) {
    countDocuments = true;
    const auto record = spooler.onDocument;
    // The log, then the diagnostic lines. Refused or unknown from the second document on (an
    // unknown document is recorded: it may have printed).
    const auto failing = [&](Control button, std::map<std::string, std::string>& fault) {
        spooler.refusing.clear();
        spooler.unconfirmed.clear();
        forget();
        spooler.onDocument = [&](const RecordingSpooler::Document& d) {
            record(d);
            fault["RZ7-virtual"] = "went wrong";
        };
        click(button);
        log.insert(log.end(), face.diagnostics.begin(), face.diagnostics.end());
        return log;
    };
    EXPECT_EQ(failing(Control::alignmentTest, spooler.refusing),
              (Names{"1 docs",
                     "msg The printer \"RZ7-virtual\" did not take document 2 of 60: went wrong\n"
                     "The remaining 58 documents were not sent.",
                     "printer \"RZ7-virtual\", document 2: not taken: went wrong"}));
    EXPECT_EQ(failing(Control::alignmentTest, spooler.unconfirmed),
              (Names{"2 docs",
                     "msg The print server went away before it confirmed document 2 of 60 for the "
                     "printer \"RZ7-virtual\" (went wrong); its queue may hold it.\n"
                     "The remaining 58 documents were not sent.",
                     "printer \"RZ7-virtual\", document 2: unknown: went wrong"}));
    EXPECT_EQ(failing(Control::pinTest, spooler.refusing),  // the pin test's pages too
              (Names{"1 docs",
                     "msg The printer \"RZ7-virtual\" did not take document 2 of 17: went wrong\n"
                     "The remaining 15 documents were not sent.",
                     "printer \"RZ7-virtual\", document 2: not taken: went wrong"}));
    replace(Control::commandText, "0A");
    click(Control::saveBracket);
    EXPECT_THAT(failing(Control::sendCommand, spooler.refusing),
                ::testing::Contains(
                    "msg The printer \"RZ7-virtual\" did not take document 2 of 3: went wrong\n"
                    "The remaining document was not sent."));
}

TEST_F(EventRules, SetAllOnAQueueThatTakesNothingEndsTheBusyStateAsRestDoes) {
    spooler.refusing["RZ7-virtual"] = "Destination \"RZ7-virtual\" is not accepting jobs.";
    click(Control::setAllItems);
    ticks(30);  // the timer finds nothing left to end
    EXPECT_EQ(log, (Names{"caption 正在设置..", "caption 正在设置...", "wait 2500",
                          "caption 正在设置....",
                          "msg The printer \"RZ7-virtual\" did not take document 1 of 147: "
                          "Destination \"RZ7-virtual\" is not accepting jobs.\nThe remaining 146 "
                          "documents were not sent.",
                          "caption 完成..."}));
    EXPECT_FALSE(form->busyState().busy());
    EXPECT_EQ(disabledButtons(), Controls{});
    expectFaceShowsForm();
}

// Documents sent to a stopped queue wait there: said once per operation, before its first
// document, and the operation goes on. (A printer not found: the designed message per
// document, pinned by the timer-tick and panel tests.)
TEST_F(EventRules, APrinterThatNeedsAttentionIsSaidOnceBeforeTheFirstDocument) {
    countDocuments = true;
    spooler.states["RZ7-virtual"] = {true, PrinterState::State::Stopped, true, {"paused"}, "Paused",
                                     3};
    click(Control::pageEject);
    click(Control::alignmentTest);
    const std::string said =
        "msg The printer \"RZ7-virtual\" is not ready to print; the spooler says: stopped: Paused";
    EXPECT_EQ(log, (Names{said, "1 docs", said, "60 docs"}));
    // A queue that only refuses jobs is left to the first document's own message.
    spooler.states["RZ7-virtual"] = {true, PrinterState::State::Idle, false, {}, "Rejecting", 0};
    forget();
    click(Control::pageEject);
    EXPECT_EQ(log, (Names{"1 docs"}));
}

TEST_F(EventRules, AnExceptionInAHandlerIsShownOnceEndsTheBusyStateAndTheWindowGoesOn) {
    int sent = 0;
    spooler.onDocument = [&](const RecordingSpooler::Document&) {
        if (++sent == 3) throw std::runtime_error("spooler broke");
    };
    click(Control::setAllItems);  // a set operation: the busy state is on when it breaks
    EXPECT_EQ(face.messages, (std::vector<RecordingFace::Message>{{"spooler broke", "Trevalune"}}));
    EXPECT_EQ(face.diagnostics, Names{"unexpected error: spooler broke"});
    EXPECT_FALSE(form->busyState().busy());
    EXPECT_EQ(disabledButtons(), Controls{});
    EXPECT_EQ(text(Control::statusLabel), "完成...");

    // A pin test's "错误提示" box is for what a page refused, not for a fault of the program.
    sent = 0;
    forget();
    click(Control::pinTest);
    EXPECT_EQ(face.messages, (std::vector<RecordingFace::Message>{{"spooler broke", "Trevalune"}}));
    EXPECT_EQ(spooler.documents.size(), 3u);
    EXPECT_EQ(text(Control::statusLabel), "完成...");  // idle: nothing to end, no caption changed

    spooler.onDocument = nullptr;
    click(Control::pageEject);
    EXPECT_EQ(spooler.payloads().back(), bytesOf({0x1D, 0x56, 0x53}));
    EXPECT_EQ(face.messages.size(), 1u);
    expectFaceShowsForm();
}

TEST_F(EventRules, TypedValuesAboveOneHundredTwentyBecome119AndEachModeKeepsItsOwn) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "1"},     {"12", "12"},   {"125", "119"}, {"120", "120"}, {"120.5", "119"},
        {"121", "119"}, {"016", "016"}, {"-7", "-7"},   {"abc", "abc"}, {"", ""}};
    for (const auto& [typed, stored] : cases) {
        replace(Control::valueBox, "");
        type(Control::valueBox, typed);
        EXPECT_EQ(text(Control::valueBox), stored) << typed;
        EXPECT_EQ(text(Control::highSpeedValue), stored) << typed;
    }
    click(Control::highDensityOption);
    EXPECT_EQ(text(Control::valueBox), "24");
    replace(Control::valueBox, "30");
    click(Control::superHighDensityOption);
    EXPECT_EQ(text(Control::valueBox), "40");
    replace(Control::valueBox, "999");
    click(Control::highDensityOption);
    EXPECT_EQ(text(Control::valueBox), "30");
    EXPECT_FALSE(form->control(Control::superHighDensityOption).checked);
    EXPECT_EQ(text(Control::superHighDensityValue), "119");
    EXPECT_EQ(form->selectedMode(), PrintMode::HighDensity);
    EXPECT_TRUE(log.empty());
    expectFaceShowsForm();
}

}  // namespace
}  // namespace trevalune::testing

// Faults in the middle of a page, through the window and the real CUPS spooler to the
// virtual printer. Each test has a print server of its own, since most of them break it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "form/form1.h"
#include "operations/command_panel.h"
#include "printer/cups/cups_spooler.h"
#include "printer/link_messages.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_face.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {
namespace {

using Strings = std::vector<std::string>;
using SteadyClock = std::chrono::steady_clock;

/// Connecting and each request give up after this long.
constexpr int kTimeoutMs = 1000;

/// The real spooler, with a fault injected right after the n-th document was handed over.
class FaultAfter final : public Spooler {
public:
    int after = 0;
    std::function<void()> fault;

    PrinterList listPrinters() override { return real_.listPrinters(); }
    SendResult sendRawDocument(const std::string& printer, const std::string& name,
                               std::string_view data) override {
        SendResult result = real_.sendRawDocument(printer, name, data);
        if (++sent_ == after && fault) fault();
        return result;
    }
    JobQuery queryActiveJobs(const std::string& p) override { return real_.queryActiveJobs(p); }
    PrinterState printerState(const std::string& p) override { return real_.printerState(p); }
    JobState jobState(const std::string& p, int job) override { return real_.jobState(p, job); }
    void setDefaultPrinter(const std::string& p) override { real_.setDefaultPrinter(p); }

private:
    CupsSpooler real_{kTimeoutMs};
    int sent_ = 0;
};

class FaultE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<Form1>(face, spooler, clock, folder.path());
        ASSERT_EQ(form->printerName(), queue);
    }

    /// Injects `fault` after `after` documents, once those have reached the printer (a queue
    /// that goes away takes its unprinted jobs with it: that is the server's business).
    void faultAfter(int after, std::function<void()> fault) {
        spooler.after = after;
        spooler.fault = [this, fault = std::move(fault)] {
            EXPECT_TRUE(waitUntilIdle(queue, std::chrono::seconds(30)));
            fault();
        };
    }

    /// Clicks a button; returns how many seconds its handler took.
    double click(Control name) {
        const auto start = SteadyClock::now();
        form->clicked(name);
        return std::chrono::duration<double>(SteadyClock::now() - start).count();
    }

    void tick(int count) {
        for (int i = 0; i < count; ++i) form->timerTick();
    }
    Strings messages() const { return face.messageTexts(); }
    static Strings notFound(std::size_t n) {
        return Strings(n, std::string(kPrinterNotFoundMessage));
    }
    static std::vector<Bytes> firstOf(const std::vector<Bytes>& page, long n) {
        return {page.begin(), page.begin() + n};
    }

    PrivatePrintServer ps;
    const std::string queue = ps.server().virtualQueue;
    VirtualPrinter printer{ps.server().printerOutput};
    FaultAfter spooler;
    testing::RecordingFace face;
    testing::FakeClock clock;
    testing::TempFolder folder;
    std::unique_ptr<Form1> form;
};

TEST_F(FaultE2eTest, ServerStoppedMidPageCostsOneQuickMessagePerDocumentAndTheWindowGoesOn) {
    const auto page = buildAlignmentTest(centreValueOf("31")).documents();
    faultAfter(20, [this] { ps.stopCupsd(); });
    const double seconds = click(Control::alignmentTest);

    EXPECT_EQ(messages(), notFound(page.size() - 20));
    EXPECT_LT(seconds, 10.0);  // a refused connection costs nothing like the timeout
    EXPECT_EQ(printer.documents(), firstOf(page, 20));
}

TEST_F(FaultE2eTest, AQueueThatRejectsJobsMidPageCostsOneMessageAndGetsNothingMore) {
    faultAfter(1, [this] { EXPECT_EQ(runCommand("cupsreject " + queue + " 2>&1"), ""); });
    click(Control::alignmentTest);

    EXPECT_EQ(messages(), Strings{"The printer \"RZ7-virtual\" did not take document 2 of 60: "
                                  "Destination \"RZ7-virtual\" is not accepting jobs.\n"
                                  "The remaining 58 documents were not sent."});
    EXPECT_EQ(jobs(queue).size(), 1u);  // no job was even made for the rest
    EXPECT_EQ(printer.documents(), firstOf(buildAlignmentTest(centreValueOf("31")).documents(), 1));
}

// Stopped once the operation is under way, the queue goes unsaid (the state is asked before
// the first document); the next operation is told before its first document, which waits.
TEST_F(FaultE2eTest, QueueStoppedDuringSetAllItemsEndsTheBusyStateEarlyAndIsSaidNextTime) {
    auto page = buildSetAllItems(initialModeValues(), 5000).documents();
    faultAfter(1, [this] { EXPECT_EQ(runCommand("cupsdisable " + queue + " 2>&1"), ""); });

    click(Control::setAllItems);
    EXPECT_TRUE(face.messages.empty());
    tick(4);
    EXPECT_TRUE(form->busyState().busy());
    EXPECT_FALSE(form->control(Control::setAllItems).enabled);
    tick(1);
    EXPECT_FALSE(form->busyState().busy());
    EXPECT_TRUE(form->control(Control::setAllItems).enabled);
    EXPECT_EQ(form->control(Control::statusLabel).text,
              "正在设置....");  // the early end keeps the dots

    std::size_t queuedAtMessage = 0;
    face.onMessage = [&](const auto&) { queuedAtMessage = jobs(queue).size(); };
    click(Control::pageEject);
    EXPECT_EQ(messages(), Strings{"The printer \"RZ7-virtual\" is not ready to print; the "
                                  "spooler says: stopped: Paused"});
    EXPECT_EQ(jobs(queue).size(), queuedAtMessage + 1);
    EXPECT_EQ(printer.documents(), firstOf(page, 1));
    startQueue(queue);
    page.push_back(buildPageEject().documents().front());
    EXPECT_EQ(printer.waitForDocuments(page.size(), std::chrono::seconds(30)), page);
}

TEST_F(FaultE2eTest, PrinterNotListeningKeepsTheDocumentsQueuedWhereTheJobMonitorSeesThem) {
    const auto page =
        buildSetSingleItem(PrintMode::HighSpeed, {16, 16}, 5000).documents();
    ps.stopVirtualPrinter();

    click(Control::setSingleItem);
    EXPECT_TRUE(face.messages.empty());  // the server took them all
    const auto queued = jobs(queue);
    ASSERT_EQ(queued.size(), page.size());
    for (const auto& job : queued) EXPECT_NE(job.state, "completed") << job.id;
    tick(5);  // a job is pending at the early tick
    EXPECT_FALSE(form->busyState().busy());
    EXPECT_EQ(form->watchedJobs().seen, JobsSeen::OtherCount);

    ps.restartVirtualPrinter();
    EXPECT_EQ(printer.waitForDocuments(page.size(), std::chrono::seconds(60)), page);
}

}  // namespace
}  // namespace trevalune::e2e

// The alignment buttons of the real window through the real CUPS spooler to the virtual
// printer: every document arrives whole and in order, and the busy state then ends by the
// timer's rules against the real queue.
#include <QAbstractButton>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "app/form1.h"
#include "printer/cups/cups_spooler.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"

namespace trevalune::e2e {
namespace {

using Clock = std::chrono::steady_clock;

class AlignmentE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.useCupsServer();
        printer.clear();
        jobsBefore = lastJobId();
        form = std::make_unique<Form1>(spooler, messages, clock,
                                       std::filesystem::path(folder.path().toStdU16String()));
        // Ticks come from the test alone.
        form->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
        ASSERT_EQ(form->printerName(), server.virtualQueue);
    }

    /// Clicks a button and returns how long the handler took: with the waits recorded
    /// instead of slept, that is the time spent handing the documents to the spooler.
    double clickTimed(const char* button) {
        auto* b = form->findChild<QAbstractButton*>(QString::fromLatin1(button));
        const auto start = Clock::now();
        b->click();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    /// Waits for `expected` at the virtual printer, returning the seconds since `since`,
    /// then checks that exactly these documents arrived, in order, each as its own job.
    double expectDelivered(const std::vector<Bytes>& expected, Clock::time_point since) {
        const auto got = printer.waitForDocuments(expected.size(), std::chrono::seconds(30));
        const double seconds = std::chrono::duration<double>(Clock::now() - since).count();
        EXPECT_TRUE(waitUntilIdle(server.virtualQueue, std::chrono::seconds(30)));
        const auto all = printer.documents();
        EXPECT_EQ(all.size(), expected.size());
        for (std::size_t i = 0; i < std::min(all.size(), expected.size()); ++i) {
            if (all[i] != expected[i]) {
                ADD_FAILURE() << "document " << i + 1 << " differs: " << all[i].size()
                              << " bytes arrived, " << expected[i].size() << " were built";
                break;
            }
        }
        EXPECT_EQ(jobTitlesAfter(server.virtualQueue, jobsBefore),
                  std::vector<std::string>(expected.size(), "AAAAAA"));
        EXPECT_TRUE(messages.messages.empty());
        return seconds;
    }

    void report(const std::string& key, double seconds) {
        RecordProperty(key, std::to_string(seconds));
        std::cout << "[ timing ] " << key << ": " << seconds << " s\n";
    }

    std::string label8() const {
        return form->findChild<QLabel*>(QStringLiteral("Label8"))->text().toStdString();
    }

    const PrintServer server = PrintServer::load();
    VirtualPrinter printer{server.printerOutput};
    int jobsBefore = 0;
    CupsSpooler spooler;
    testing::RecordingMessages messages;
    testing::FakeClock clock;
    QTemporaryDir folder;
    std::unique_ptr<Form1> form;
};

TEST_F(AlignmentE2eTest, KorvelDeliversTheSixtyDocumentsOfCentre31) {
    const auto start = Clock::now();
    const double sending = clickTimed("Command18");
    const double delivered = expectDelivered(buildAlignmentTest("31").documents(), start);
    EXPECT_TRUE(clock.waits.empty());
    report("korvel_60_documents_spooled_s", sending);
    report("korvel_60_documents_at_printer_s", delivered);
}

TEST_F(AlignmentE2eTest, SetAllItemsDeliversItsDocumentsAndTheTimerEndsTheBusyState) {
    const auto start = Clock::now();
    const double sending = clickTimed("Command3");
    const double delivered =
        expectDelivered(buildSetAllItems({"16", "24", "40"}, "5000").documents(), start);
    EXPECT_EQ(clock.waits, (std::vector<int>{2500, 100, 100, 100, 5000}));
    report("set_all_items_147_documents_spooled_s", sending);
    report("set_all_items_147_documents_at_printer_s", delivered);

    // The queue has drained, so no job is seen at the early tick: the state runs to the 27th.
    for (int tick = 1; tick <= 26; ++tick) form->Timer1_Timer();
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    EXPECT_EQ(form->jobs.jobLatch[1], 0);
    form->Timer1_Timer();
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(label8(), "完成...");
    for (const char* name : {"Command3", "Command8", "Command6"}) {
        EXPECT_TRUE(form->findChild<QWidget*>(QString::fromLatin1(name))->isEnabled()) << name;
    }
}

}  // namespace
}  // namespace trevalune::e2e

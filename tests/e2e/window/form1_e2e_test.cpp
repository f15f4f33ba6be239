// The real window with the real CUPS spooler: what its buttons deliver to the virtual
// printer, the default printer it sets, and its busy state against a real queue.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "alignment/set_items.h"
#include "app/busy_state.h"
#include "app/form1.h"
#include "pintest/pin_test_runs.h"
#include "printer/cups/cups_spooler.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"

namespace trevalune::e2e {
namespace {

using Strings = std::vector<std::string>;

/// Generous, since the machine may be busy: the waits end as soon as the documents are there.
constexpr std::chrono::seconds kLimit{30};

/// Lets a stopped queue go again however the test ends, so later tests find it running.
struct QueueRestart {
    std::string queue;
    ~QueueRestart() {
        try {
            startQueue(queue);
        } catch (...) {
        }
    }
};

class Form1E2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.useCupsServer();
        printer.clear();
        jobsBefore = lastJobId();
        form = std::make_unique<Form1>(spooler, messages, clock,
                                       std::filesystem::path(folder.path().toStdU16String()));
        form->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();  // ticks come from the test
    }

    template <class W = QWidget>
    W* get(const char* name) const {
        W* w = form->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string status() const { return get<QLabel>("Label8")->text().toStdString(); }
    bool buttonsOff() const { return !get("Command12")->isEnabled(); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) form->Timer1_Timer();
    }
    /// Everything sent so far has left the queue; then the complete list can be compared.
    Strings delivered() {
        EXPECT_TRUE(waitUntilIdle(server.virtualQueue, kLimit)) << "the queue did not drain";
        return printer.documents();
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

TEST_F(Form1E2eTest, PinTestDeliversItsSeventeenDocumentsInOrder) {
    ASSERT_EQ(form->printerName(), server.virtualQueue);  // preselected among two printers
    clock.current = {2027, 3, 14, 15, 9, 26};
    Strings expected;
    for (const PinTestPage& page : buildPinTestSequence(clock.current)) {
        for (const Bytes& d : page.timeline.documents()) expected.push_back(d);
    }
    ASSERT_EQ(expected.size(), 17u);

    get<QPushButton>("Command17")->click();
    printer.waitForDocuments(17, kLimit);
    EXPECT_EQ(delivered(), expected);
    EXPECT_EQ(jobTitlesAfter(server.virtualQueue, jobsBefore), Strings(17, "AAAAAA"));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Form1E2eTest, PageEjectDeliversExactlyItsThreeBytes) {
    get<QPushButton>("Command12")->click();
    printer.waitForDocuments(1, kLimit);
    EXPECT_EQ(delivered(), Strings{bytesOf({0x1D, 0x56, 0x53})});
}

TEST_F(Form1E2eTest, ChoosingAPrinterMakesItTheUsersDefault) {
    // The main() of these tests keeps lpoptions in a folder of their own.
    const auto lpstatDefault = [] { return runCommand("lpstat -d 2>&1"); };
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");  // start-up
    auto* combo = get<QComboBox>("Combo1");
    combo->setCurrentIndex(combo->findText(QString::fromStdString(server.fileQueue)));
    EXPECT_EQ(lpstatDefault(), "system default destination: Office1\n");
    combo->setCurrentIndex(combo->findText(QString::fromStdString(server.virtualQueue)));
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");
}

TEST_F(Form1E2eTest, SetSingleItemEndsEarlyWhileItsJobsAreHeldAndNormallyOnceTheyDrained) {
    const std::vector<Bytes> expected =
        buildSetSingleItem(PrintMode::HighSpeed, {"16", "24", "40"}, "5000").documents();
    stopQueue(server.virtualQueue);
    QueueRestart restart{server.virtualQueue};

    get<QPushButton>("Command16")->click();
    EXPECT_EQ(form->busy.settingMode, kBusySetItems);
    ticks(1);
    EXPECT_EQ(form->jobs.jobLatch[1], 1);  // the poll saw the held jobs
    ticks(3);
    EXPECT_TRUE(buttonsOff());
    ticks(1);  // the early end: buttons back, the dots stay
    EXPECT_FALSE(buttonsOff());
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(status(), "正在设置....");
    const std::vector<JobRecord> held = jobsAfter(server.virtualQueue, jobsBefore);
    EXPECT_EQ(held.size(), expected.size());
    for (const JobRecord& job : held) EXPECT_EQ(job.state, "pending");
    EXPECT_TRUE(printer.documents().empty()) << "a stopped queue let a document through";

    startQueue(server.virtualQueue);
    printer.waitForDocuments(expected.size(), kLimit);
    EXPECT_EQ(delivered(), expected);

    // With the queue running, the jobs are gone before the first tick: the normal end.
    printer.clear();
    get<QPushButton>("Command16")->click();
    printer.waitForDocuments(expected.size(), kLimit);
    EXPECT_EQ(delivered(), expected);
    ticks(26);
    EXPECT_TRUE(buttonsOff());
    EXPECT_EQ(form->jobs.jobLatch[1], 0);
    ticks(1);
    EXPECT_FALSE(buttonsOff());
    EXPECT_EQ(status(), "完成...");
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace trevalune::e2e

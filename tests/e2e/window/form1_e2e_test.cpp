// The real window with the real CUPS spooler: what its buttons deliver to the virtual
// printer, the default printer it sets, and its busy state against a real queue.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/busy_state.h"
#include "app/form1.h"
#include "pintest/pin_test_runs.h"
#include "printer/cups/cups_spooler.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"

namespace trevalune::e2e {
namespace {

using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

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
        EXPECT_TRUE(waitUntilIdle(server.virtualQueue)) << "the queue did not drain";
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
    printer.waitForDocuments(17);
    EXPECT_EQ(delivered(), expected);
    EXPECT_EQ(jobTitlesAfter(server.virtualQueue, jobsBefore), Strings(17, "AAAAAA"));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Form1E2eTest, PageEjectDeliversExactlyItsThreeBytes) {
    get<QPushButton>("Command12")->click();
    printer.waitForDocuments(1);
    EXPECT_THAT(delivered(), ElementsAre(bytesOf({0x1D, 0x56, 0x53})));
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

TEST_F(Form1E2eTest, BusyStateEndsEarlyWhileTheQueueHoldsAJobAndNormallyOnceItDrained) {
    const auto setItems = [] { return Timeline().hex("0A"); };
    stopQueue(server.virtualQueue);
    QueueRestart restart{server.virtualQueue};

    ASSERT_TRUE(form->buildAndRunBusy(kBusySetItems, "正在设置", setItems));
    ticks(1);
    EXPECT_EQ(form->jobs.jobState[1], 1);  // the poll saw the one pending job
    EXPECT_EQ(form->jobs.jobLatch[1], 1);
    ticks(3);
    EXPECT_TRUE(buttonsOff());
    ticks(1);
    EXPECT_FALSE(buttonsOff());
    EXPECT_EQ(form->busy.settingMode, 0);
    EXPECT_EQ(status(), "正在设置....");
    const std::vector<JobRecord> held = jobsAfter(server.virtualQueue, jobsBefore);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].state, "pending");
    EXPECT_TRUE(printer.documents().empty()) << "a stopped queue let a document through";

    startQueue(server.virtualQueue);
    ASSERT_TRUE(form->buildAndRunBusy(kBusySetItems, "正在设置", setItems));
    printer.waitForDocuments(2);
    EXPECT_EQ(delivered(), Strings(2, "\n"));
    ticks(26);
    EXPECT_TRUE(buttonsOff());
    EXPECT_EQ(form->jobs.jobState[1], 0);
    ticks(1);
    EXPECT_FALSE(buttonsOff());
    EXPECT_EQ(status(), "完成...");
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace trevalune::e2e

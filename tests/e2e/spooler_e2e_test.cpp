// The CUPS spooler's queries and settings against the private server.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "printer/bytes.h"
#include "tests/e2e/e2e_fixture.h"

namespace trevalune::e2e {
namespace {

using ::testing::ElementsAre;

using SpoolerE2eTest = PrintServerTest;

TEST_F(SpoolerE2eTest, PrinterNamesListsBothQueues) {
    EXPECT_THAT(spooler.printerNames(), ElementsAre("Office1", "RZ7-virtual"));
}

TEST_F(SpoolerE2eTest, TheSelectedPrinterIsReadAtEveryCall) {
    link.SendHexToPrinter("31");
    selected = server.fileQueue;
    link.SendHexToPrinter("32");
    selected = server.virtualQueue;
    link.SendHexToPrinter("33");

    ASSERT_TRUE(waitUntilIdle(server.virtualQueue));
    ASSERT_TRUE(waitUntilIdle(server.fileQueue));
    EXPECT_THAT(printer.documents(), ElementsAre("1", "3"));
    const auto office = jobsAfter(server.fileQueue, jobsBefore);
    ASSERT_EQ(office.size(), 1u);
    EXPECT_EQ(office[0].title, "AAAAAA");
    EXPECT_EQ(office[0].state, "completed");
    EXPECT_TRUE(messages.messages.empty());
}

/// Starts the queue again however the test ends, so later tests find it running.
struct QueueRestart {
    std::string queue;
    ~QueueRestart() {
        try {
            startQueue(queue);
        } catch (...) {
        }
    }
};

TEST_F(SpoolerE2eTest, ActiveJobsAreSeenOnAStoppedQueueAndNoneAfterItDrains) {
    const std::string& queue = server.virtualQueue;
    EXPECT_FALSE(spooler.queryActiveJobs(queue).anyJobs);

    stopQueue(queue);
    QueueRestart restart{queue};
    link.SendHexToPrinter("1D5653");
    link.SendTextToPrinter(bytesOf({0x00, 0xFF}), 2);
    link.SendHexToPrinter("0A");

    const JobQuery held = spooler.queryActiveJobs(queue);
    EXPECT_TRUE(held.anyJobs);
    EXPECT_EQ(held.delivered, 3);
    EXPECT_FALSE(spooler.queryActiveJobs(server.fileQueue).anyJobs);
    EXPECT_FALSE(spooler.queryActiveJobs("NoSuchPrinter").anyJobs);
    EXPECT_EQ(spooler.queryActiveJobs("NoSuchPrinter").delivered, 0);
    EXPECT_TRUE(printer.documents().empty()) << "a stopped queue let a document through";

    startQueue(queue);
    EXPECT_THAT(printer.waitForDocuments(3),
                ElementsAre(bytesOf({0x1D, 0x56, 0x53}), bytesOf({0x00, 0xFF}), "\n"));
    ASSERT_TRUE(waitUntilIdle(queue));
    const JobQuery drained = spooler.queryActiveJobs(queue);
    EXPECT_FALSE(drained.anyJobs);
    EXPECT_EQ(drained.delivered, 0);
}

TEST_F(SpoolerE2eTest, AnEmptyDocumentLeavesNoJobBehind) {
    // CUPS refuses a document without data; the spooler takes the job back, so the job
    // monitor does not wait for a job that can never print.
    link.SendTextToPrinter("", 0);
    link.SendHexToPrinter("0A");
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_TRUE(waitUntilIdle(server.virtualQueue));
    EXPECT_THAT(printer.documents(), ElementsAre("\n"));
    EXPECT_FALSE(spooler.queryActiveJobs(server.virtualQueue).anyJobs);
}

/// Sets or unsets an environment variable for the length of a test.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

std::string makeTempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "trevalune-e2e.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

TEST_F(SpoolerE2eTest, SetDefaultPrinterIsTheDefaultLpstatReports) {
    // The user's default lives in lpoptions: $HOME/.cups/lpoptions for a user, but
    // $CUPS_SERVERROOT/lpoptions for root (CI runs as root). Both point into temporary
    // folders, so the machine's own settings are neither read nor written.
    const std::string home = makeTempDir();
    const std::string serverRoot = makeTempDir();
    ScopedEnv homeEnv("HOME", home.c_str());
    ScopedEnv rootEnv("CUPS_SERVERROOT", serverRoot.c_str());
    ScopedEnv lpdest("LPDEST", nullptr);  // these would override lpoptions
    ScopedEnv printerEnv("PRINTER", nullptr);

    // libcups reads HOME and CUPS_SERVERROOT once per thread, at its first call there:
    // a fresh thread sees the folders set above.
    auto setDefault = [](const std::string& name) {
        std::thread([&name] { CupsSpooler().setDefaultPrinter(name); }).join();
    };
    auto lpstatDefault = [] { return runCommand("lpstat -d 2>&1"); };

    EXPECT_EQ(lpstatDefault(), "no system default destination\n");
    setDefault("Office1");
    EXPECT_EQ(lpstatDefault(), "system default destination: Office1\n");
    setDefault("RZ7-virtual");
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");
    setDefault("NoSuchPrinter");  // silently leaves the default as it was
    EXPECT_EQ(lpstatDefault(), "system default destination: RZ7-virtual\n");

    std::filesystem::remove_all(home);
    std::filesystem::remove_all(serverRoot);
}

}  // namespace
}  // namespace trevalune::e2e

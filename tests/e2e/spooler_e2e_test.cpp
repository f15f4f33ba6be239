// The CUPS spooler's job queries against the private server.
#include <gtest/gtest.h>

#include <string>

#include "printer/bytes.h"
#include "tests/e2e/e2e_fixture.h"

namespace trevalune::e2e {
namespace {

using SpoolerE2eTest = PrintServerTest;

TEST_F(SpoolerE2eTest, ActiveJobsAreSeenOnAStoppedQueueOnlyAndNoneAfterItDrains) {
    const std::string& queue = server.virtualQueue;
    stopQueue(queue);
    QueueRestart restart{queue};
    link.sendDocument(bytesOf({0x1D, 0x56, 0x53}));
    link.sendDocument(bytesOf({0x00, 0xFF}));
    link.sendDocument("\n");

    const JobQuery held = spooler.queryActiveJobs(queue);
    EXPECT_TRUE(held.anyJobs);
    EXPECT_EQ(held.delivered, 3);
    for (const std::string& other : {server.fileQueue, std::string("NoSuchPrinter")}) {
        EXPECT_FALSE(spooler.queryActiveJobs(other).anyJobs) << other;
    }
    EXPECT_TRUE(printer.documents().empty()) << "a stopped queue let a document through";

    startQueue(queue);
    expectDelivered({bytesOf({0x1D, 0x56, 0x53}), bytesOf({0x00, 0xFF}), "\n"});
    EXPECT_FALSE(spooler.queryActiveJobs(queue).anyJobs);
}

TEST_F(SpoolerE2eTest, ADocumentTheServerRefusesIsSaidWithItsReasonAndLeavesNoJobBehind) {
    // CUPS refuses a document without data after its job was created: the document is said
    // to be not taken, and the job is taken back so the job monitor does not wait for a job
    // that can never print.
    const SendResult empty = link.sendDocument("");
    EXPECT_EQ(empty.outcome, SendResult::Outcome::NotTaken);
    link.sendDocument("\n");
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{notTakenMessage(server.virtualQueue, empty.reason)});
    EXPECT_EQ(messages.diagnostics, std::vector<std::string>{"printer \"RZ7-virtual\", document 1: "
                                                             "not taken: " +
                                                             empty.reason});
    ASSERT_TRUE(waitUntilIdle(server.virtualQueue));
    EXPECT_EQ(printer.documents(), std::vector<std::string>{"\n"});
    EXPECT_FALSE(spooler.queryActiveJobs(server.virtualQueue).anyJobs);
}

}  // namespace
}  // namespace trevalune::e2e

// What the whole window leaves behind on the machine: the user's default printer and nothing
// else; the driver file and its folder stay as they were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "form/form1.h"
#include "printer/cups/cups_spooler.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/every_button.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_face.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {
namespace {

namespace fs = std::filesystem;

/// Every file below `folder` with its size and time of last change.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> filesBelow(
    const fs::path& folder) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), folder).string()] = {e.file_size(), e.last_write_time()};
        }
    }
    return files;
}

/// The queues, their devices and whether they accept jobs (not since when: that moves with
/// every job).
constexpr const char* kQueues = "lpstat -v -a 2>&1 | sed 's/ since .*//'";

TEST(WritesE2eTest, EveryButtonChangesOnlyTheDefaultPrinterAndLeavesTheDriverFileAlone) {
    // A server of its own: the drive sends some four hundred documents, and the shared
    // server lists no more than 500 jobs.
    PrivatePrintServer ps;
    const PrintServer& server = ps.server();
    const fs::path home = std::getenv("HOME");  // a temporary folder (e2e_window_main.cpp)
    // The working folder is an empty one of the test's own, so that anything written to a
    // relative path shows.
    testing::TempFolder driverFolder, here;
    const fs::path calledFrom = fs::current_path();
    fs::current_path(here.path());
    std::ofstream(driverFolder.path() / "file.prn", std::ios::binary) << "\x1b@driver\f";
    const auto queuesBefore = runCommand(kQueues);
    const auto homeBefore = filesBelow(home);
    const auto driverBefore = filesBelow(driverFolder.path());

    {
        CupsSpooler spooler;
        testing::RecordingFace face;
        testing::FakeClock clock;
        Form1 form(face, spooler, clock, driverFolder.path());
        ASSERT_EQ(form.printerName(), server.virtualQueue);
        testing::clickEveryButton(form, face);
        // Some four hundred documents to print: a loaded machine takes minutes, and the wait
        // ends as soon as the queue is idle.
        EXPECT_TRUE(waitUntilIdle(server.virtualQueue, std::chrono::seconds(200)));
    }

    EXPECT_EQ(filesBelow(driverFolder.path()), driverBefore);
    EXPECT_TRUE(filesBelow(here.path()).empty());
    fs::current_path(calledFrom);
    EXPECT_EQ(runCommand(kQueues), queuesBefore);
    // In the home folder only the default printer's file changed: lpoptions, in .cups (or
    // for root, in the server root, which the test also points there).
    auto homeAfter = filesBelow(home);
    auto homeExpected = homeBefore;
    int written = 0;
    for (const std::string lpoptions : {".cups/lpoptions", "lpoptions"}) {
        if (!homeAfter.contains(lpoptions)) continue;
        ++written;
        std::ifstream options(home / lpoptions);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(options), {}),
                  "Default " + server.virtualQueue + "\n");
        homeAfter.erase(lpoptions);
        homeExpected.erase(lpoptions);
    }
    EXPECT_EQ(written, 1);
    EXPECT_EQ(homeAfter, homeExpected);
}

}  // namespace
}  // namespace trevalune::e2e

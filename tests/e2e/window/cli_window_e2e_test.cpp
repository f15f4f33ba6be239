// Every operation twice through the real spooler to the virtual printer: once as the operator
// does it in the window, once as trevalune-send does it with the same values. The printer
// must receive the same documents and the clock the same waits. Both run on one fake clock
// (the pin test header takes its date and time from it); trevalune-send runs in this process
// through runSend, over CupsSpooler, as its main() runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "form/form1.h"
#include "printer/cups/cups_spooler.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/form_operator.h"
#include "tests/support/recording_face.h"
#include "tests/support/temp_folder.h"
#include "tools/trevalune-send/send_command.h"

namespace trevalune::e2e {
namespace {

/// What the operator does in the window: types a text into a box, or (no text) clicks.
struct Step {
    Control control;
    std::string text = {};
};

TEST(CliWindowE2eTest, EveryOperationSendsWhatItsWindowControlSends) {
    PrivatePrintServer ps;
    const PrintServer& server = ps.server();
    VirtualPrinter printer(server.printerOutput);
    testing::TempFolder folder;
    std::string file = "\x1b@";
    for (int i = 0; i < 70000; ++i) file += static_cast<char>(i % 251);
    std::ofstream(folder.path() / "file.prn", std::ios::binary) << file;

    using C = Control;
    const std::pair<std::vector<std::string>, std::vector<Step>> cases[] = {
        {{"eject"}, {{C::Command12}}},
        {{"line-feed"}, {{C::Command5}}},
        {{"micro-feed"}, {{C::Command10}}},
        {{"micro-back"}, {{C::Command11}}},
        {{"self-test"}, {{C::Command1}}},
        {{"save"}, {{C::Command4}}},
        {{"factory-reset"}, {{C::Command7}}},
        {{"alignment-test"}, {{C::Command18}}},
        {{"alignment-test", "4"}, {{C::Combo2, "4"}, {C::Command18}}},
        {{"--extra-wait", "300", "set", "high-density", "20"},
         {{C::Text1, "300"}, {C::Optcgs}, {C::cmbsz, "20"}, {C::Command16}}},
        {{"set", "super-high-density", "117"}, {{C::Optcgm}, {C::cmbsz, "117"}, {C::Command16}}},
        {{"--extra-wait=300", "set-all", "18", "22", "38"},
         {{C::Text1, "300"},
          {C::cmbsz, "18"},
          {C::Optcgs},
          {C::cmbsz, "22"},
          {C::Optcgm},
          {C::cmbsz, "38"},
          {C::Command3}}},
        {{"set-all", "3", "24", "44", "--test-page"},
         {{C::cmbsz, "3"}, {C::Optcgm}, {C::cmbsz, "44"}, {C::Command8}}},
        {{"pin-test"}, {{C::Command17}}},
        {{"pin-test-densities"}, {{C::Command13}}},
        {{"file", (folder.path() / "file.prn").string()}, {{C::Command14}}},
        {{"hex", "1b", "4A 10"}, {{C::Text2, "1b 4A 10"}, {C::Command6}}},
        {{"hex", "--save", "1B 3A 45"}, {{C::Text2, "1B 3A 45"}, {C::Check1}, {C::Command6}}},
    };

    testing::FakeClock clock;
    const auto delivered = [&](const std::function<void()>& run) {
        printer.clear();
        clock.waits.clear();
        const int before = lastJobId();
        run();
        EXPECT_TRUE(waitUntilIdle(server.virtualQueue, std::chrono::seconds(60)));
        const auto jobs = static_cast<std::size_t>(lastJobId() - before);
        return std::pair{printer.waitForDocuments(jobs, std::chrono::seconds(30)), clock.waits};
    };
    for (const auto& [arguments, steps] : cases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const auto byWindow = delivered([&] {
            CupsSpooler spooler;
            testing::RecordingFace face;
            Form1 form(face, spooler, clock, folder.path());
            ASSERT_EQ(form.printerName(), server.virtualQueue);
            for (const auto& [control, text] : steps) {
                if (text.empty())
                    form.clicked(control);
                else
                    testing::replaceText(form, face, control, text);
            }
            for (int tick = 0; tick < 100 && form.busy.busy(); ++tick) form.timerTick();
            EXPECT_TRUE(face.messages.empty());
        });
        const auto byCommand = delivered([&] {
            std::istringstream in;
            std::ostringstream out, err;
            // No -d: the window has just made its printer the user's default.
            const auto cups = [](const send::SpoolerOptions&) {
                return std::make_unique<CupsSpooler>();
            };
            send::System system{cups, clock, in, out, err, {}, nullptr};
            EXPECT_EQ(send::runSend(arguments, system), 0) << err.str();
            // Nothing but the account: every document taken.
            const std::string n = std::to_string(byWindow.first.size());
            EXPECT_EQ(err.str(), "trevalune-send: RZ7-virtual: " + n + " of " + n +
                                     " documents taken\n");
        });
        EXPECT_FALSE(byWindow.first.empty());
        EXPECT_EQ(byCommand.first.size(), byWindow.first.size());
        EXPECT_TRUE(byCommand.first == byWindow.first) << "the documents differ";
        EXPECT_EQ(byCommand.second, byWindow.second) << "the waits differ";
    }
}

}  // namespace
}  // namespace trevalune::e2e

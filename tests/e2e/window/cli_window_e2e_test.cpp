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

using Operator = std::function<void(Form1&, testing::RecordingFace&)>;

/// One step before the button: a text typed into a box, or (no text) a click.
struct Typed {
    Control control;
    std::string text = {};
};

/// Clicks one button after these steps.
Operator press(Control button, std::vector<Typed> typed = {}) {
    return [=](Form1& form, testing::RecordingFace& face) {
        for (const auto& [control, text] : typed) {
            if (text.empty()) {
                form.clicked(control);
            } else {
                testing::replaceText(form, face, control, text);
            }
        }
        form.clicked(button);
    };
}

struct Case {
    std::vector<std::string> arguments;
    Operator window;
};

/// What reached the printer and what was waited for.
struct Delivery {
    std::vector<std::string> documents;
    std::vector<int> waits;
};

TEST(CliWindowE2eTest, EveryOperationSendsWhatItsWindowControlSends) {
    PrivatePrintServer ps;
    const PrintServer& server = ps.server();
    VirtualPrinter printer(server.printerOutput);
    testing::TempFolder folder;
    std::string file = "\x1b@";
    for (int i = 0; i < 70000; ++i) file += static_cast<char>(i % 251);
    std::ofstream(folder.path() / "file.prn", std::ios::binary) << file;
    const std::string path = (folder.path() / "file.prn").string();

    const Case cases[] = {
        {{"eject"}, press(Control::Command12)},
        {{"line-feed"}, press(Control::Command5)},
        {{"micro-feed"}, press(Control::Command10)},
        {{"micro-back"}, press(Control::Command11)},
        {{"self-test"}, press(Control::Command1)},
        {{"save"}, press(Control::Command4)},
        {{"factory-reset"}, press(Control::Command7)},
        {{"alignment-test"}, press(Control::Command18)},
        {{"alignment-test", "4"}, press(Control::Command18, {{Control::Combo2, "4"}})},
        {{"--extra-wait", "300", "set", "high-density", "20"},
         press(Control::Command16,
               {{Control::Text1, "300"}, {Control::Optcgs}, {Control::cmbsz, "20"}})},
        {{"set", "super-high-density", "117"},
         press(Control::Command16, {{Control::Optcgm}, {Control::cmbsz, "117"}})},
        {{"--extra-wait=0", "set-all", "18", "22", "38"},
         press(Control::Command3, {{Control::Text1, "0"},
                                   {Control::cmbsz, "18"},
                                   {Control::Optcgs},
                                   {Control::cmbsz, "22"},
                                   {Control::Optcgm},
                                   {Control::cmbsz, "38"}})},
        {{"set-all", "3", "24", "44", "--test-page"},
         press(Control::Command8,
               {{Control::cmbsz, "3"}, {Control::Optcgm}, {Control::cmbsz, "44"}})},
        {{"pin-test"}, press(Control::Command17)},
        {{"pin-test-densities"}, press(Control::Command13)},
        {{"file", path}, press(Control::Command14)},
        {{"hex", "1b", "4A 10"}, press(Control::Command6, {{Control::Text2, "1b 4A 10"}})},
        {{"hex", "--save", "1B 3A 45"},
         press(Control::Command6, {{Control::Text2, "1B 3A 45"}, {Control::Check1}})},
    };

    testing::FakeClock clock;
    clock.current = {2026, 12, 5, 9, 5, 3};
    const auto delivered = [&](const std::function<void()>& run) {
        printer.clear();
        clock.waits.clear();
        const int before = lastJobId();
        run();
        EXPECT_TRUE(waitUntilIdle(server.virtualQueue, std::chrono::seconds(60)));
        const auto jobs = static_cast<std::size_t>(lastJobId() - before);
        return Delivery{printer.waitForDocuments(jobs, std::chrono::seconds(30)), clock.waits};
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const Delivery byWindow = delivered([&] {
            CupsSpooler spooler;
            testing::RecordingFace face;
            Form1 form(face, spooler, clock, folder.path());
            ASSERT_EQ(form.printerName(), server.virtualQueue);
            c.window(form, face);
            for (int tick = 0; tick < 100 && form.busy.busy(); ++tick) form.timerTick();
            EXPECT_TRUE(face.messages.empty());
        });
        const Delivery byCommand = delivered([&] {
            std::istringstream in;
            std::ostringstream out, err;
            // No -d: the window has just made its printer the user's default.
            send::System system{
                [](const send::SpoolerOptions&) { return std::make_unique<CupsSpooler>(); },
                clock,
                in,
                out,
                err,
                {},
                nullptr};
            EXPECT_EQ(send::runSend(c.arguments, system), 0) << err.str();
            // Nothing but the account: every document taken.
            const std::string n = std::to_string(byWindow.documents.size());
            EXPECT_EQ(err.str(),
                      "trevalune-send: RZ7-virtual: " + n + " of " + n + " documents taken\n");
        });
        EXPECT_FALSE(byWindow.documents.empty());
        EXPECT_EQ(byCommand.documents.size(), byWindow.documents.size());
        EXPECT_TRUE(byCommand.documents == byWindow.documents) << "the documents differ";
        EXPECT_EQ(byCommand.waits, byWindow.waits);
    }
}

}  // namespace
}  // namespace trevalune::e2e

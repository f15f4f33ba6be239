// A scanned page opened in the window, its value taken, then 设置单项: through the real CUPS
// spooler the virtual printer receives the set-value command with the value read.
#include <gtest/gtest.h>

#include <filesystem>

#include "form/form1.h"
#include "printer/bytes.h"
#include "printer/cups/cups_spooler.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_face.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {
namespace {

TEST(ReadingE2eTest, ThePageReadIsTheValueSetSingleItemSends) {
    PrivatePrintServer ps;
    CupsSpooler spooler{1000};
    testing::RecordingFace face;
    testing::FakeClock clock;
    testing::TempFolder folder;
    Form1 form(face, spooler, clock, folder.path());
    const auto pages = std::filesystem::path(__FILE__).parent_path() / "../../behaviour/pages";
    form.pictureOpened(pages / "high-speed-straight-19.png");
    form.valueTaken(face.readings[0].verdicts.at(0).take.value());
    form.clicked(Control::setSingleItem);

    const auto got = VirtualPrinter(ps.server().printerOutput).waitForDocuments(1);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(toHexText(got[0]), "1B014051563632370A13000A0A");  // high speed (0A), 19 (13)
    EXPECT_TRUE(face.messages.empty());
}

}  // namespace
}  // namespace trevalune::e2e

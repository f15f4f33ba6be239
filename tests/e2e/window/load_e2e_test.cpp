// Load: a thousand documents of mixed sizes in a row through the window's three senders, to
// the virtual printer of a print server of the test's own. How fast is the benchmark's (bench/).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "form/form1.h"
#include "operations/command_panel.h"
#include "printer/bytes.h"
#include "printer/cups/cups_spooler.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/form_operator.h"
#include "tests/support/recording_face.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {
namespace {

constexpr int kDocuments = 1000;

/// `size` bytes of every value, the first four the document's number so that a document
/// that arrives twice or out of place cannot pass for another.
Bytes numbered(int number, std::size_t size, std::mt19937& random) {
    Bytes bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    for (std::size_t i = 0; i < 4 && i < size; ++i) {
        bytes[i] = static_cast<char>((number >> (8 * (3 - i))) & 0xFF);
    }
    return bytes;
}

TEST(LoadE2eTest, AThousandDocumentsOfMixedSizesArriveWholeInOrderAndOnce) {
    PrivatePrintServer ps;
    VirtualPrinter printer(ps.server().printerOutput);
    CupsSpooler spooler;
    testing::RecordingFace face;
    testing::FakeClock clock;
    testing::TempFolder folder;
    Form1 form(face, spooler, clock, folder.path());
    ASSERT_EQ(form.printerName(), ps.server().virtualQueue);

    // Mostly small commands, some typed blocks of up to 4 KiB, and every tenth a driver file
    // of 4 KiB to 1 MiB: the sizes the tool sends, and its largest.
    std::mt19937 random(20261206);
    const Control fixed[] = {Control::Command5, Control::Command12, Control::Command10,
                             Control::Command11, Control::Command1};
    const Timeline fixedPages[] = {buildLineFeed(), buildPageEject(), buildMicroFeedForward(),
                                   buildMicroFeedBack(), buildSelfTest()};
    std::vector<Bytes> expected;
    for (int i = 0; i < kDocuments; ++i) {
        if (i % 10 == 9) {
            const double exponent = std::uniform_real_distribution<>(12.0, 20.0)(random);
            expected.push_back(numbered(i, static_cast<std::size_t>(std::exp2(exponent)), random));
            std::ofstream(folder.path() / "file.prn", std::ios::binary) << expected.back();
            form.clicked(Control::Command14);
        } else if (i % 3 == 0) {
            expected.push_back(fixedPages[i % 5].documents().front());
            form.clicked(fixed[i % 5]);
        } else {
            const std::size_t size = i % 3 == 1 ? std::uniform_int_distribution<>(4, 64)(random)
                                                : std::uniform_int_distribution<>(4, 4096)(random);
            expected.push_back(numbered(i, size, random));
            // Typed with and without blanks between the pairs.
            const std::string typed =
                i % 2 ? toHexText(expected.back()) : toSpacedHex(expected.back());
            testing::replaceText(form, face, Control::Text2, typed);
            form.clicked(Control::Command6);
        }
    }
    printer.waitForDocuments(expected.size(), std::chrono::seconds(90));

    EXPECT_TRUE(face.messages.empty());
    EXPECT_TRUE(waitUntilIdle(ps.server().virtualQueue, std::chrono::seconds(30)));
    const auto all = printer.documents();
    EXPECT_EQ(all.size(), expected.size());
    const auto differs = std::mismatch(all.begin(), all.end(), expected.begin(), expected.end());
    EXPECT_TRUE(differs.first == all.end())
        << "document " << differs.first - all.begin() << " differs";
}

}  // namespace
}  // namespace trevalune::e2e

// The catalogue: for every operation, the work that the window's button and the command line
// both get from the same input, pinned by its documents and waits. The builders' own tests
// pin every byte; this table pins which builder each operation runs and what it reads.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "operations/catalogue.h"
#include "tests/support/temp_folder.h"

namespace trevalune {
namespace {

TEST(Catalogue, EveryOperationBuildsItsOwnWorkFromTheInputItReads) {
    testing::TempFolder folder;
    std::ofstream(folder.path() / "file.prn", std::ios::binary) << "\x1b@driver";
    OperationInput in;
    in.centre = AlignValue{20, 20};
    in.mode = PrintMode::HighDensity;
    in.setModeValues(modeValuesOf({"16", "30", "40"}));
    in.extraWaitMs = 300;
    in.command = Bytes("\x1B\x4A\x10");
    in.saveBracket = true;
    in.now = {2027, 3, 14, 15, 9, 26};
    in.driverFile = folder.path() / "file.prn";

    // The set-value command's first ten bytes end on its mode and value.
    const std::string set = "1B 01 40 51 56 36 32 37 ";
    const struct {
        Operation operation;
        std::size_t documents, pages;
        int waitedMs;
        std::string first, last;  // each document's first ten bytes
    } cases[] = {
        {Operation::PageEject, 1, 0, 0, "1D 56 53", "1D 56 53"},
        {Operation::LineFeed, 1, 0, 0, "0A", "0A"},
        {Operation::MicroFeedForward, 1, 0, 0, "1B 4A 03", "1B 4A 03"},
        {Operation::MicroFeedBack, 1, 0, 0, "1B 6A 03", "1B 6A 03"},
        {Operation::SelfTest, 1, 0, 0, "1B 3A 00 00 50", "1B 3A 00 00 50"},
        {Operation::Save, 1, 0, 0, "1B 3A 00 00 52", "1B 3A 00 00 52"},
        {Operation::FactoryReset, 3, 0, 3500, "1B 3A 00 00 52", "1B 3A 00 00 52"},
        {Operation::AlignmentTest, 60, 0, 0, set + "0A 14", "1D 56 53"},
        {Operation::SetSingleItem, 44, 0, 3100, set + "0B 1E", "1D 56 53"},
        {Operation::SetAllItems, 147, 0, 3100, set + "0A 10", "1D 56 53"},
        {Operation::SetAllWithTestPage, 2, 0, 9800, set + "0A 10", set + "0A 10"},
        {Operation::PinTest, 17, 4, 0, set + "0A FF", "1B 6A 10"},
        {Operation::PinTestDensities, 7, 1, 0, set + "0A FF", "1B 4A 50"},
        {Operation::ManualSend, 3, 0, 3500, "1B 3A 00 00 52", "1B 3A 00 00 52"},
        {Operation::DriverFile, 1, 0, 0, "1B 40 64 72 69 76 65 72", "1B 40 64 72 69 76 65 72"},
    };
    ASSERT_EQ(std::size(cases), operationCatalogue().size());
    for (const auto& c : cases) {
        SCOPED_TRACE(traits(c.operation).name);
        const OperationWork work = buildOperation(c.operation, in);
        const auto docs = work.timeline.documents();
        int waited = 0;
        for (const Step& s : work.timeline.steps()) {
            if (const auto* w = std::get_if<WaitStep>(&s)) waited += w->milliseconds;
        }
        ASSERT_EQ(docs.size(), c.documents);
        EXPECT_EQ(work.pinTestPages.size(), c.pages);
        EXPECT_EQ(waited, c.waitedMs);
        EXPECT_EQ(toSpacedHex(docs.front().substr(0, 10)), c.first);
        EXPECT_EQ(toSpacedHex(docs.back().substr(0, 10)), c.last);
    }
    // What only one operation reads: the pin test's moment, the box's text between saves.
    const auto pin = buildOperation(Operation::PinTest, in).timeline.documents();
    EXPECT_NE(pin[0].find("2027-03-14    15:09:26"), std::string::npos);
    EXPECT_EQ(buildOperation(Operation::ManualSend, in).timeline.documents()[1], "\x1B\x4A\x10");
    in.saveBracket = false;
    EXPECT_EQ(buildOperation(Operation::ManualSend, in).timeline.documentCount(), 1u);
}

}  // namespace
}  // namespace trevalune

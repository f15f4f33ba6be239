#include "tools/virtual-printer/preview/preview_printer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "alignment/test_print.h"
#include "pintest/pin_pages.h"
#include "tests/support/temp_folder.h"

namespace trevalune::preview {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class PreviewPrinterTest : public ::testing::Test {
protected:
    testing::TempFolder temp;
    const fs::path folder = temp.path();
};

TEST_F(PreviewPrinterTest, WritesOnePngPerPageAndTheListing) {
    std::string burnIn;
    for (const auto& d : buildBurnInSample().documents()) burnIn += d;
    {
        PreviewPrinter printer({folder, {}, {}, "page", true});
        printer.document("doc-000001.prn", burnIn.substr(0, 100));
        printer.document("doc-000002.prn", burnIn.substr(100));
        printer.drawPageInProgress();  // the live printer shows the page before its eject
        ASSERT_TRUE(fs::exists(folder / "page-000001.png"));
        EXPECT_TRUE(printer.pages().empty());
        printer.document("doc-000003.prn",
                         "\x1D\x56\x53"
                         "A\x1B");
        ASSERT_EQ(printer.pages().size(), 1u);
        printer.finish();
        ASSERT_EQ(printer.pages().size(), 2u);
        EXPECT_EQ(printer.pages()[1], folder / "page-000002.png");
        EXPECT_EQ(printer.errors(), 1);
    }
    // Row trailer, title and two LF put the band 4 lines down; pin 1's row is black in the
    // picture, the paper beside the band white.
    const Bitmap png = readGreyPng(folder / "page-000001.png");
    const PngStyle style;
    const int pin1 = (style.marginRows + 4 * kLineFeedRows) * style.pixelsPerRow;
    const int x = style.marginUnits + 10;
    EXPECT_EQ(png.width, kLineUnits + 2 * style.marginUnits);
    EXPECT_EQ(png.pixels[static_cast<std::size_t>(pin1) * png.width + x], 0);
    EXPECT_EQ(png.pixels[static_cast<std::size_t>(pin1) * png.width + x + 600], 255);

    std::ifstream in(folder / "listing.txt");
    std::stringstream listing;
    listing << in.rdbuf();
    EXPECT_THAT(listing.str(), HasSubstr("# doc-000002.prn, 2816 bytes, from 100\n"));
    EXPECT_THAT(listing.str(), HasSubstr("band (all pins) at 0-198; band (all pins) at 399-599"));
    EXPECT_THAT(listing.str(), HasSubstr("ERROR truncated ESC command: expected at least 2 bytes, "
                                         "received 1\n"));

    // A later session goes on numbering after the pages already there.
    PreviewPrinter again({folder, {}, {}, "page", true});
    again.document("doc-000004.prn", "B");
    again.finish();
    EXPECT_EQ(again.pages().at(0), folder / "page-000003.png");
}

// A set-value command is listed once the byte after its trailer is in, that is with the next
// document when it ends one (the Korvel page's last set value, before the eject). It stays
// under its own document's heading, and every heading is followed by its document's first
// command.
TEST_F(PreviewPrinterTest, EveryDocumentHeadingIsFollowedByItsFirstCommand) {
    const auto documents = buildAlignmentTest("31").documents();
    {
        PreviewPrinter printer({folder, {}, {}, "page", false});
        for (std::size_t i = 0; i < documents.size(); ++i) {
            printer.document("doc-" + std::to_string(i + 1), documents[i]);
        }
    }
    std::ifstream in(folder / "listing.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::size_t headings = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i].starts_with("# ")) continue;
        ++headings;
        const std::string from = lines[i].substr(lines[i].rfind(' ') + 1);
        // Its document's first command, listed at the offset the heading gives.
        EXPECT_EQ(lines[i + 1].substr(0, 8), std::string(8 - from.size(), ' ') + from)
            << lines[i] << "\n"
            << lines[i + 1];
    }
    EXPECT_EQ(headings, documents.size());
    EXPECT_EQ(lines.at(lines.size() - 4), "# doc-59, 14 bytes, from 81165");
    EXPECT_THAT(lines.at(lines.size() - 3), HasSubstr("set value: high speed = 31, standard"));
    EXPECT_EQ(lines.at(lines.size() - 2), "# doc-60, 3 bytes, from 81179");
    EXPECT_THAT(lines.back(), HasSubstr("GS V S: page eject"));
}

}  // namespace
}  // namespace trevalune::preview

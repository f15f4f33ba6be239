// The print preview: what it makes of the tool's own pages and of broken input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "alignment/config_block.h"
#include "alignment/hanzi_sample.h"
#include "alignment/set_all_test_page.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "pintest/pin_pages.h"
#include "pintest/pin_test_runs.h"
#include "preview/decoder.h"
#include "preview/listing.h"
#include "preview/preview_printer.h"
#include "preview/renderer.h"
#include "printer/bytes.h"
#include "tests/support/temp_folder.h"

namespace trevalune::preview {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST(Decoder, TruncatedCommandsSayWhatWasExpected) {
    const std::pair<std::string, std::string> cases[] = {
        {bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}) + std::string(7, '\0'),
         "truncated bit image: expected 2880 data bytes, received 7"},
        {bytesOf({0x1B, 0x2A, 0x01, 0x40}), "truncated ESC * header: expected 5 bytes, received 4"},
        {bytesOf({0x1B, 0x4A}), "truncated ESC J: expected 3 bytes, received 2"},
        {bytesOf({0x1B, 0x01, 0x40, 0x51}),
         "truncated set-value command: expected at least 13 bytes, received 4"},
        {bytesOf({0x1B, 0x3A, 0x45, 0x1A, 0x00, 0x12}),
         "truncated configuration block: expected 26 data bytes, received 1"},
    };
    for (const auto& [bytes, message] : cases) {
        const auto events = decodeAll("A" + bytes);
        ASSERT_EQ(events.size(), 2u) << message;
        EXPECT_EQ(events[0].kind, EventKind::Text);
        EXPECT_EQ(events[1].kind, EventKind::Error);
        EXPECT_EQ(events[1].message, message);
        EXPECT_EQ(events[1].raw, bytes);  // every received byte is in the report
    }
}

TEST(Decoder, EverythingTheToolSendsDecodesWithoutAnError) {
    std::vector<Timeline> runs = {buildAlignmentTest(centreValueOf("31")),
                                  buildSetAllItems(initialModeValues(), 0),
                                  buildSetAllWithTestPage(initialModeValues(), 0, kHanziSample),
                                  buildRestoreFactory(), buildThreeDensityPinTest()};
    for (const PinTestPage& page : buildPinTestSequence({2026, 12, 5, 9, 5, 3}))
        runs.push_back(page.build());
    for (const Timeline& run : runs)
        for (const Bytes& document : run.documents())
            for (const Event& e : decodeAll(document))
                EXPECT_NE(e.kind, EventKind::Error) << e.message;
}

TEST(Listing, OffsetsHexAndMeaning) {
    std::string data(2880, '\0');
    for (int c = 540; c < 630; c += 2) data[1440 + c] = '\x10';  // pin 7, block 7
    const std::string listing =
        listingOf(bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, 0x0A, 0x1F, 0x00, 0x0A,
                           0x0A, 0x0A, 0x0A}) +
                  " ~\xB8\xDF\xCB\xD9" + "\r" + bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B}) + data +
                  bytesOf({0x07}));
    EXPECT_THAT(listing, HasSubstr("       0  1B 01 40 51 56 36 32 37 0A 1F 00 0A 0A 0A 0A    "
                                   "  set value: high speed = 31, long trailer (00 + 4 LF)\n"));
    EXPECT_THAT(listing, HasSubstr("      15  20 7E B8 DF CB D9"));
    EXPECT_THAT(listing, HasSubstr("text \" ~高速\" (6 cells)\n"));
    EXPECT_THAT(listing, HasSubstr("      22  1B 2A 01 40 0B 00 00 00 00 00 +2875"));
    EXPECT_THAT(listing, HasSubstr("1440 columns (high-speed width): pin 7 block 7\n"));
    EXPECT_THAT(listing, HasSubstr("    2907  07"));
    EXPECT_THAT(listing, HasSubstr("ERROR unknown byte 07\n"));
}

// The reader's tests read the straight row off such pages; here, that each row's reverse passes
// move by their value's distance from the best, two units a column, and only those.
TEST(Renderer, AlignmentTestShiftsEachRowsReversePassesByItsDistanceFromTheBestValue) {
    RenderOptions best31;
    best31.bestValues = {31, 24, 40};
    std::vector<Page> pages;
    Renderer renderer(best31, [&](const Page& page) { pages.push_back(page); });
    Decoder decoder([&](const Event& e) { renderer.apply(e); });
    for (const auto& document : buildAlignmentTest(centreValueOf("31")).documents()) decoder.feed(document);
    decoder.finish();
    renderer.finish();

    ASSERT_EQ(pages.size(), 1u);
    const auto& passes = pages[0].passes();
    ASSERT_EQ(passes.size(), 28u);  // rows 28 to 34, four passes each
    for (std::size_t k = 0; k < passes.size(); ++k) {
        const int value = 28 + static_cast<int>(k / 4);
        const bool reverse = k % 2 == 1;
        EXPECT_EQ(std::tuple(passes[k].value, passes[k].reverse, passes[k].shift),
                  std::tuple(value, reverse, reverse ? 2 * (value - 31) : 0))
            << k;
    }
}

TEST(PreviewPrinter, WritesOnePngPerPageAndTheListing) {
    const testing::TempFolder temp;
    const fs::path& folder = temp.path();
    std::string burnIn;
    for (const auto& d : buildBurnInSample().documents()) burnIn += d;
    {
        PreviewPrinter printer({folder, {}, {}, "page", true});
        printer.document("doc-000001.prn", burnIn.substr(0, 100));
        printer.document("doc-000002.prn", burnIn.substr(100));
        printer.drawPageInProgress();  // the live printer shows the page before its eject
        ASSERT_TRUE(fs::exists(folder / "page-000001.png"));
        EXPECT_TRUE(printer.pages().empty());
        printer.document("doc-000003.prn", std::string("\x1D\x56\x53") + "A\x1B");
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
    // The first band's 199 columns end where the 200th begins, two units each.
    const int edge = style.marginUnits + columnUnits(Mode::HighSpeed, 199);
    EXPECT_EQ(png.pixels[static_cast<std::size_t>(pin1) * png.width + edge - 1], 0);
    EXPECT_EQ(png.pixels[static_cast<std::size_t>(pin1) * png.width + edge], 255);
    // 360 pixels per inch across and, at 4 pixels per 1/90-inch dot row, down: 14173 per metre.
    std::ifstream file(folder / "page-000001.png", std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(file), {});
    EXPECT_EQ(bytes.substr(33, 21),
              std::string("\0\0\0\x09pHYs\0\0\x37\x5D\0\0\x37\x5D\x01\x19\x80\x46\x5D", 21));

    std::ifstream in(folder / "listing.txt");
    const std::string listing(std::istreambuf_iterator<char>(in), {});
    EXPECT_THAT(listing, HasSubstr("# doc-000002.prn, 2816 bytes, from 100\n"));
    EXPECT_THAT(listing, HasSubstr("band (all pins) at 0-198; band (all pins) at 399-599"));
    EXPECT_THAT(listing, HasSubstr("ERROR truncated ESC command: expected at least 2 bytes, "
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
TEST(PreviewPrinter, EveryDocumentHeadingIsFollowedByItsFirstCommand) {
    const testing::TempFolder temp;
    const fs::path& folder = temp.path();
    const auto documents = buildAlignmentTest(centreValueOf("31")).documents();
    {
        PreviewPrinter printer({folder, {}, {}, "page", false});
        for (std::size_t i = 0; i < documents.size(); ++i)
            printer.document("doc-" + std::to_string(i + 1), documents[i]);
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
            << lines[i] + "\n" + lines[i + 1];
    }
    EXPECT_EQ(headings, documents.size());
    EXPECT_EQ(lines.at(lines.size() - 4), "# doc-59, 14 bytes, from 81165");
    EXPECT_THAT(lines.at(lines.size() - 3), HasSubstr("set value: high speed = 31, standard"));
    EXPECT_EQ(lines.at(lines.size() - 2), "# doc-60, 3 bytes, from 81179");
    EXPECT_THAT(lines.back(), HasSubstr("GS V S: page eject"));
}

}  // namespace
}  // namespace trevalune::preview

// form/'s pure rules: one table of cases each, literal expectations.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "form/busy_state.h"
#include "form/caption_fit.h"
#include "form/control_table.h"
#include "form/window_rules.h"
#include "tests/support/control_print.h"

namespace trevalune {
namespace {

/// The needs of the controls named, none for the others.
std::array<int, kControlCount> needs(std::initializer_list<std::pair<Control, int>> named) {
    std::array<int, kControlCount> n{};
    for (const auto& [control, twips] : named) n[static_cast<std::size_t>(control)] = twips;
    return n;
}

TEST(ControlTable, OnlyTheControlsTheOperatorSeesTakeFocusInVisualOrder) {
    using C = Control;
    const std::vector<Control> designSize{C::printerList,   C::centreList, C::alignmentTest,
                                          C::pageEject,     C::lineFeed,   C::microFeedForward,
                                          C::microFeedBack, C::selfTest,   C::pinTest};
    EXPECT_EQ(focusOrder(kClientWidthTwips, kClientHeightTwips), designSize);
    // Enlarged to the full extent every focusable control joins, but Text1: it lies below the
    // lower edge of its frame. Frame by frame, each row left to right: 发送指令区's box, then
    // what stands right of it; 功能选择 and 参数 before the buttons below them; the bottom row
    // left to right.
    std::vector<Control> full = designSize;
    full.insert(full.end(),
                {C::quit, C::pinTestDensities, C::commandText, C::saveBracket, C::factoryBlock,
                 C::sendCommand, C::highSpeedOption, C::highDensityOption,
                 C::superHighDensityOption, C::valueBox, C::setSingleItem, C::setAllItems, C::rest,
                 C::setAllWithTestPage, C::factoryReset, C::save, C::driverFile});
    EXPECT_EQ(focusOrder(100000, 100000), full);
}

TEST(WindowRules, TabStopsAtTheCheckedOptionOfAFrameOnly) {
    using C = Control;
    const std::vector<Control> order{C::commandText, C::highSpeedOption, C::highDensityOption,
                                     C::superHighDensityOption, C::valueBox};
    const std::pair<std::optional<Control>, std::vector<Control>> cases[] = {
        {C::highSpeedOption, {C::commandText, C::highSpeedOption, C::valueBox}},
        {C::superHighDensityOption, {C::commandText, C::superHighDensityOption, C::valueBox}},
        {std::nullopt,
         {C::commandText, C::highSpeedOption, C::valueBox}},  // none checked: the first
    };
    for (const auto& c : cases)
        EXPECT_EQ(tabStops(order, [&](Control o) { return c.first == o; }), c.second);
    // An option out of reach leaves the stop to the others of its frame.
    EXPECT_EQ(tabStops({C::highDensityOption, C::superHighDensityOption},
                       [](Control o) { return o == C::highSpeedOption; }),
              (std::vector<Control>{C::highDensityOption}));
}

TEST(ControlTable, TwipsBecomePixelsAtTheSystemsDpiAndBackRoundedAlike) {
    const std::array<int, 3> cases[] = {
        {6810, 96, 454}, {7, 96, 0}, {8, 96, 1}, {2535, 144, 254}, {495, 192, 66}};
    for (const auto& [twips, dpi, pixels] : cases)
        EXPECT_EQ(twipsToPixels(twips, dpi), pixels) << twips << " at " << dpi;
    EXPECT_EQ(pixelsToTwips(454, 96), 6810);
    EXPECT_EQ(pixelsToTwips(211, 120), 2532);  // 2532.0 exactly
    EXPECT_EQ(pixelsToTwips(1, 144), 10);
    EXPECT_EQ(pixelsToTwips(1, 192), 8);  // 7.5 rounds up
    // A caption's need rounds up, never to the nearest: 13.09 twips need 14.
    EXPECT_EQ(twipsCovering(1, 110), 14);
    EXPECT_EQ(twipsCovering(454, 96), 6810);
    EXPECT_EQ(twipsCovering(0, 144), 0);
}

TEST(ControlTable, DesignNamesAndTheRowOfButtonsAsDesigned) {
    EXPECT_EQ(controlName(Control::alignmentTest), "Command18");
    EXPECT_EQ(controlNamed("cmbsz"), Control::valueBox);
    EXPECT_EQ(controlNamed("nothing"), std::nullopt);
    EXPECT_EQ(findControlSpec(Control::window), nullptr);
    // The row of buttons as designed, left to right: left edge and width, in twips.
    const std::tuple<Control, int, int> row[] = {
        {Control::alignmentTest, 120, 855},  {Control::pageEject, 1080, 735},
        {Control::lineFeed, 1920, 735},      {Control::microFeedForward, 2760, 975},
        {Control::microFeedBack, 3840, 975}, {Control::selfTest, 4920, 975},
        {Control::pinTest, 6000, 735}};
    for (const auto& [c, left, width] : row) {
        const Twips& g = findControlSpec(c)->geometry;
        EXPECT_EQ((std::array{g.left, g.top, g.width, g.height}),
                  (std::array{left, 1920, width, 495}))
            << c;
    }
}

TEST(WindowRules, EnterPressesAButtonAndArrowsGoRoundTheOptionsOfTheirFrame) {
    const std::tuple<Control, FormKey, std::optional<Control>> cases[] = {
        {Control::alignmentTest, FormKey::Enter, Control::alignmentTest},
        {Control::rest, FormKey::Enter, Control::rest},
        {Control::commandText, FormKey::Enter, std::nullopt},  // a new line in the command box
        {Control::printerList, FormKey::Enter, std::nullopt},
        {Control::highSpeedOption, FormKey::Enter, std::nullopt},
        {Control::highSpeedOption, FormKey::Right, Control::highDensityOption},
        {Control::highDensityOption, FormKey::Down, Control::superHighDensityOption},
        {Control::superHighDensityOption, FormKey::Down, Control::highSpeedOption},
        {Control::highSpeedOption, FormKey::Up, Control::superHighDensityOption},
        {Control::superHighDensityOption, FormKey::Left, Control::highDensityOption},
        {Control::alignmentTest, FormKey::Down, std::nullopt},
        {Control::saveBracket, FormKey::Down, std::nullopt},
        {Control::window, FormKey::Enter, std::nullopt},
    };
    for (const auto& [focused, key, clicked] : cases)
        EXPECT_EQ(controlClickedByKey(focused, key), clicked)
            << controlName(focused) << " key " << static_cast<int>(key);
}

TEST(WindowRules, TheFocusStaysWhereItCanElseGoesToTheFirstEnabledControl) {
    const std::vector<Control> order = {Control::printerList, Control::alignmentTest,
                                        Control::lineFeed};
    const auto enabled = [](Control c) { return c != Control::printerList; };
    EXPECT_EQ(focusAfterLayout(Control::lineFeed, order, enabled), Control::lineFeed);
    EXPECT_EQ(focusAfterLayout(Control::setAllWithTestPage, order, enabled),
              Control::alignmentTest);
    EXPECT_EQ(focusAfterLayout(std::nullopt, order, enabled), Control::alignmentTest);
    EXPECT_EQ(focusAfterLayout(Control::setAllWithTestPage, {}, enabled), std::nullopt);
}

TEST(WindowRules, TheClientAreaScrollsWhereverTheEnlargedWindowIsSmallerThanTheForm) {
    // The bottom row ends at 11415 twips, Frame6 at 7215; 120 twips of margin round them.
    EXPECT_EQ(fullClientTwips().width, 7335);
    EXPECT_EQ(fullClientTwips().height, 11535);
    // Client, work area, DPI, scrolls across, scrolls down, reachable, maximised or tiled.
    const std::tuple<Extent, Extent, int, bool, bool, Extent, bool> cases[] = {
        {{454, 169}, {1366, 728}, 96, false, false, {6810, 2535}, false},  // design size: as ever
        {{568, 211}, {1024, 700}, 120, false, false, {6816, 2532}, false},
        {{300, 100}, {1366, 728}, 96, false, false, {4500, 1500}, false},   // smaller still
        {{455, 169}, {1920, 1040}, 96, true, true, {7335, 11535}, false},   // a pixel wider
        {{454, 170}, {1920, 1040}, 96, true, true, {7335, 11535}, false},   // a pixel taller
        {{481, 700}, {1366, 728}, 96, true, true, {7335, 11535}, false},    // a laptop, enlarged
        {{489, 769}, {1366, 728}, 96, false, false, {7335, 11535}, false},  // all of it shows
        {{600, 700}, {1920, 1040}, 96, false, true, {8745, 11535}, false},  // beside the bar: 583
        {{505, 700}, {1920, 1040}, 96, true, true, {7335, 11535}, false},   // 488 beside the bar
        {{506, 700}, {1920, 1040}, 96, false, true, {7335, 11535}, false},  // 489 beside it
        {{480, 780}, {1920, 1040}, 96, true, true, {7335, 11535}, false},   // 763 above the bar
        {{480, 786}, {1920, 1040}, 96, true, false, {7335, 11535}, false},  // 769 above it
        {{400, 700}, {400, 728}, 96, true, true, {7335, 11535}, false},  // narrower than designed
        // Maximised or tiled: whatever the system made smaller than the form scrolls.
        {{340, 384}, {683, 374}, 96, true, true, {7335, 11535}, true},
        {{683, 375}, {683, 374}, 96, false, true, {9990, 11535}, true},
        {{1920, 1040}, {1920, 1040}, 96, false, false, {28800, 15600}, true},
    };
    for (const auto& [client, workArea, dpi, horizontal, vertical, reachable, maximised] : cases) {
        const ClientLayout layout = clientLayout(client, workArea, dpi, maximised, {17, 17});
        SCOPED_TRACE(::testing::Message() << client.width << "x" << client.height << " on "
                                          << workArea.width << "x" << workArea.height);
        EXPECT_EQ(layout.maximum.height, workArea.height);
        EXPECT_EQ(layout.scrollsHorizontally, horizontal);
        EXPECT_EQ(layout.scrollsVertically, vertical);
        EXPECT_EQ(layout.reachable.width, reachable.width);
        EXPECT_EQ(layout.reachable.height, reachable.height);
    }
}

TEST(WindowRules, AnyWidthShortOfTheFittedFormScrollsAcrossAndTabReachesTheValueBox) {
    // A wider caption of 功能选择 moves the frame of 参数 right: the form is 7455 twips wide.
    const FormLayout fitted = fitCaptions(needs({{Control::modeFrame, 5100}}));
    for (const int dpi : {96, 120, 144, 192}) {
        const int design = twipsToPixels(designClientTwips(fitted).width, dpi);
        const int full = twipsToPixels(fullClientTwips(fitted).width, dpi);
        const int tall = twipsToPixels(fullClientTwips(fitted).height, dpi);
        const Extent bars{dpi / 6, dpi / 6};
        const auto layoutAt = [&](int width, int height) {
            return clientLayout({width, height}, {4000, 4000}, dpi, false, bars, fitted);
        };
        for (int width = design + 1; width < full + bars.width; ++width) {
            const ClientLayout l = layoutAt(width, tall - 1);
            ASSERT_TRUE(l.scrollsHorizontally) << width << " at " << dpi;
            const std::vector<Control> order =
                focusOrder(l.reachable.width, l.reachable.height, fitted);
            ASSERT_NE(std::find(order.begin(), order.end(), Control::valueBox), order.end())
                << width << " at " << dpi;
        }
        EXPECT_FALSE(layoutAt(full + bars.width, tall - 1).scrollsHorizontally) << dpi;
        EXPECT_FALSE(layoutAt(full, tall).scrollsHorizontally) << dpi;
    }
}

TEST(WindowRules, ScrollingShowsAControlMovingAsLittleAsPossible) {
    // position, page, start, length: the position that shows the control.
    const std::array<int, 5> cases[] = {{0, 500, 100, 30, 0},     {0, 500, 720, 33, 253},
                                        {300, 500, 100, 30, 100}, {300, 500, 790, 10, 300},
                                        {300, 500, 795, 10, 305}, {0, 20, 100, 30, 100}};
    for (const auto& [position, page, start, length, expected] : cases)
        EXPECT_EQ(scrollToShow(position, page, start, length), expected) << start;
}

TEST(CaptionFit, WhatFitsKeepsItsDesignedGeometry) {
    const FormLayout none = fitCaptions(needs({}));
    for (const ControlSpec& c : controlTable()) {
        const Twips& g = none[c.id];
        const Twips& d = c.geometry;
        EXPECT_TRUE(g.left == d.left && g.top == d.top && g.width == d.width &&
                    g.height == d.height)
            << c.id;
    }
    EXPECT_EQ(fullClientTwips(none).width, 7335);
    EXPECT_EQ(designClientTwips(none).width, kClientWidthTwips);
    // A button whose caption needs less than designed keeps its width.
    EXPECT_EQ(fitCaptions(needs({{Control::rest, 600}}))[Control::rest].width, 615);
}

TEST(CaptionFit, ACaptionTooWideGrowsIntoTheFreeSpaceAndMovesItsRowWithinTheFrame) {
    using C = Control;
    const struct {
        const char* what;
        std::array<int, kControlCount> needed;
        std::vector<std::pair<Control, Twips>> expected;
        int fullWidth, designWidth;
    } cases[] = {
        // clang-format off
        // 正在设置.... fits before Rest: the label's box ends 60 twips short of Rest.
        {"label fits", needs({{C::statusLabel, 1890}}),
         {{C::statusLabel, {3720, 1560, 1980, 375}}, {C::rest, {5760, 1440, 615, 495}}}, 7335, 6810},
        // A wider status text moves Rest on, within the frame's margin.
        {"label wider", needs({{C::statusLabel, 2100}}),
         {{C::statusLabel, {3720, 1560, 2100, 375}}, {C::rest, {5880, 1440, 615, 495}},
          {C::setFrame, {600, 8400, 6615, 2175}}}, 7335, 6810},
        // Rest itself wider: beyond the margin Frame6 grows, and with it the client area.
        {"button", needs({{C::rest, 800}}),
         {{C::rest, {5760, 1440, 800, 495}}, {C::setFrame, {600, 8400, 6680, 2175}}}, 7400, 6810},
        // 高速 wider than the room before "(": "(" 20 ")" and 高密 move right, into the free
        // space; the rest of the row keeps its place.
        {"option row", needs({{C::highSpeedOption, 1000}, {C::highSpeedOpen, 60}, {C::highSpeedValue, 240},
                              {C::highSpeedClose, 60}, {C::highDensityOption, 900}, {C::superHighDensityClose, 60}}),
         {{C::highSpeedOption, {120, 360, 1000, 495}}, {C::highSpeedOpen, {1180, 495, 60, 255}},
          {C::highSpeedValue, {1300, 500, 240, 255}}, {C::highSpeedClose, {1600, 500, 60, 255}},
          {C::highDensityOption, {1720, 360, 900, 495}},  // as wide as it needs, 60 before its "("
          {C::highDensityOpen, {2680, 500, 135, 255}},    // not measured: as designed, moved on
          {C::highDensityValue, {2680, 500, 255, 255}}, {C::highDensityClose, {2880, 500, 135, 255}},
          {C::superHighDensityClose, {4680, 495, 135, 255}}, {C::modeFrame, {120, 360, 4935, 975}}},
         7335, 6810},
        {"frame caption", needs({{C::modeFrame, 5100}}),
         {{C::modeFrame, {120, 360, 5100, 975}}, {C::valueFrame, {5280, 360, 1335, 975}},
          {C::setFrame, {600, 8400, 6735, 2175}}}, 7455, 6810},
        // 测针 at the right end of the top row: the window opens wider by as much.
        {"top row", needs({{C::pinTest, 800}}), {{C::pinTest, {6000, 1920, 800, 495}}}, 7335, 6875},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FormLayout layout = fitCaptions(c.needed);
        for (const auto& [control, t] : c.expected) {
            const Twips& g = layout[control];
            EXPECT_EQ((std::array{g.left, g.top, g.width, g.height}),
                      (std::array{t.left, t.top, t.width, t.height}))
                << control;
        }
        EXPECT_EQ(fullClientTwips(layout).width, c.fullWidth);
        EXPECT_EQ(designClientTwips(layout).width, c.designWidth);
    }
}

constexpr JobQuery kNone{};
constexpr JobQuery kOne{true, 1};

TEST(JobSlot, OnePollUpdatesIt) {
    using S = JobsSeen;
    constexpr JobQuery kTwo{true, 2};
    constexpr JobQuery kVanished{true, 0};  // sized as non-empty, gone by the real query
    // clang-format off
    const std::tuple<const char*, JobSlot, JobQuery, JobSlot> cases[] = {
        {"one job", {S::Nothing, false}, kOne, {S::OneJob, false}},
        {"the latched single job left", {S::OneJob, true}, kNone, {S::Nothing, false}},
        {"unlatched single job: empty changes nothing", {S::OneJob, false}, kNone, {S::OneJob, false}},
        {"latch alone: empty changes nothing", {S::Nothing, true}, kNone, {S::Nothing, true}},
        {"two jobs", {S::Nothing, false}, kTwo, {S::OtherCount, false}},
        {"another count outlives the emptied queue", {S::OtherCount, true}, kNone, {S::OtherCount, true}},
        {"latched job left between the queries", {S::OneJob, true}, kVanished, {S::Nothing, false}},
        {"nothing latched, none delivered", {S::Nothing, false}, kVanished, {S::OtherCount, false}},
    };
    // clang-format on
    for (const auto& [what, before, seen, after] : cases) {
        JobSlot slot = before;
        recordJobPoll(slot, seen);
        EXPECT_EQ(slot, after) << what;
    }
}

// The window's tests pin the ends of set all items against a queue; here: every busy code
// against queues that change while it counts, ticked as the window does.
TEST(BusyState, EndsEarlyOnlyWhenAJobIsPendingAtTheEarlyTick) {
    // Code, ticks counted already, the ticks from and to which a job is queued, the end.
    const std::tuple<BusyCode, std::int16_t, int, int, int, BusyEnd> cases[] = {
        {BusyCode::SetItems, 0, 1, 99, 5, BusyEnd::Early},         // still queued at tick 5
        {BusyCode::SetItems, 0, 1, 2, 27, BusyEnd::Normal},        // left in the first seconds
        {BusyCode::SetItems, 0, 6, 99, 27, BusyEnd::Normal},       // appeared after the early tick
        {BusyCode::SetAllWithPage, 0, 1, 99, 10, BusyEnd::Early},  // queued at tick 10
        {BusyCode::SetAllWithPage, 0, 0, -1, 68, BusyEnd::Normal},
        // 88 re-entered after 99 counted to 40
        {BusyCode::SetItems, 40, 0, -1, 1, BusyEnd::Normal},
    };
    // The dots have a period of five seconds, four dots shown twice.
    const std::string dots[] = {"正在设置.", "正在设置..", "正在设置...", "正在设置....",
                                "正在设置...."};
    for (const auto& [code, startTicks, queuedFrom, queuedTo, endTick, expectedEnd] : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(code) << " queued " << queuedFrom);
        BusyState b{code, 0, startTicks};
        JobSlot jobs;
        int tick = 0;
        BusyEnd end = BusyEnd::None;
        while (end == BusyEnd::None && tick < 100) {
            EXPECT_EQ(b.beginTick(), dots[tick % 5]);
            ++tick;
            recordJobPoll(jobs, tick >= queuedFrom && tick <= queuedTo ? kOne : kNone);
            end = b.finishTick(jobs);
        }
        EXPECT_EQ(tick, endTick);
        EXPECT_EQ(end, expectedEnd);
        EXPECT_EQ(b.settingMode, BusyCode::Idle);
        EXPECT_EQ(b.waitTicks, 0);
        EXPECT_EQ(b.dotStep, 0);
    }
    BusyState saturated{BusyCode::SetItems, 0, 32767};
    saturated.beginTick();
    EXPECT_EQ(saturated.waitTicks, 32767);
}

}  // namespace
}  // namespace trevalune

#pragma once

#include <array>
#include <string>
#include <string_view>

#include "alignment/print_mode.h"
#include "alignment/value_check.h"
#include "printer/timeline.h"

namespace trevalune {

/// The three value labels' values, high speed first (by modeIndex): nothing switches over the
/// mode to find one.
struct ModeValues {
    std::array<AlignValue, 3> byMode;

    const AlignValue& of(PrintMode mode) const { return byMode[modeIndex(mode)]; }
    AlignValue& of(PrintMode mode) { return byMode[modeIndex(mode)]; }
    bool operator==(const ModeValues&) const = default;
};

/// The value of a mode's label caption. Throws Refusal naming the mode and the caption when
/// it is not a plain number from 0 to 255.
AlignValue modeValueOf(PrintMode mode, std::string_view caption);

/// The three captions' values, high speed first; the first caption refused throws.
ModeValues modeValuesOf(const std::array<std::string_view, 3>& captions);

/// The value labels at start-up.
ModeValues initialModeValues();

/// Label8's progress captions during a set operation.
inline constexpr std::string_view kSettingCaption2 = "正在设置..";
inline constexpr std::string_view kSettingCaption3 = "正在设置...";
inline constexpr std::string_view kSettingCaption4 = "正在设置....";

/// The extra wait box's text at start-up; the command line's default is its number.
inline constexpr std::string_view kDefaultExtraWait = "5000";

/// The longest extra wait Text1 can ask for. The window's thread is blocked while it runs,
/// so a typed 5000000 must not freeze the program for an hour and a half.
inline constexpr int kMaxExtraWaitMs = 60000;

/// Text1's extra wait in milliseconds: its leading number rounded half to even; 0 when the
/// text does not start with a number or the number is negative; at most kMaxExtraWaitMs.
int extraWaitMs(std::string_view text1);

/// Three short set-value commands (00 0A 0A) in one 39-byte document, high speed first.
Bytes buildShortValueDocument(const ModeValues& values);

/// The pause after the value document while the printer stores the values: wait `first`,
/// caption "..", wait `second`, caption "...", wait `third`, the extra wait, caption "....".
Timeline buildSettleAfterValues(int extraWaitMs, int first, int second, int third);

// The set operations. Each builder returns everything from just after the window has entered
// the busy state, in order. What the window does itself before running the timeline:
//   settingMode := 88 (single item, all items) or 99 (all with test page);
//   the job slot it watches cleared;
//   Label8 := kSettingCaption2 ("正在设置..") and repaint;
//   the buttons disabled.
// and afterwards: nothing (it returns with the buttons off; the timer or Rest ends the busy
// state). Every caption step of the timeline is for Label8, repainted at once.
//
// The values come read already (modeValueOf), and the extra wait in milliseconds
// (extraWaitMs). Each builder throws Refusal, with a message for the operator naming the mode,
// when a sample value the run would send cannot travel as a byte. Build the timeline first and
// enter the busy state only when it succeeded: a refused run then sends nothing and leaves the
// window idle.

/// Set single item for the selected mode: caption "...", wait 2500,
/// caption "....", the 13-byte short set-value command, waits 100/100/100 with captions
/// "..", "...", the extra wait, caption "....", the title line (30/38/61 blanks,
/// "Velmorax-----", mode word, "Sarnid", LF); when 4 < value < 117 the sample rows value ± 2
/// (± 3 for super-high density) and buildSetValueCommand(value); last the page eject.
Timeline buildSetSingleItem(PrintMode selected, const AlignValue& value, int extraWaitMs);

/// Set all items (Command3_Click): as above with all three short commands in one 39-byte
/// document; when 4 < high-speed value < 117, per mode a feed (ESC J 20 / 15 / 15), a banner
/// (56/30/40 blanks), the sample rows and buildSetValueCommand; last the page eject.
Timeline buildSetAllItems(const ModeValues& values, int extraWaitMs);

}  // namespace trevalune

#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "form/control_table.h"

namespace trevalune {

/// The keys whose meaning the window decides itself rather than leaving it to a toolkit.
enum class FormKey { Enter, Up, Down, Left, Right };

/// The control a key pressed on the focused control clicks, as a mouse click would; none when
/// the key keeps the toolkit's own meaning. Enter presses a focused button (technicians come
/// from Windows, where it does), but types a new line into the command box. An arrow key on an
/// option button moves to the next option of its frame in visual order (Up and Left to the
/// previous one), round at either end, and selects it; the face moves the focus there too.
std::optional<Control> controlClickedByKey(Control focused, FormKey key);

/// A width and a height, in twips or in pixels as said.
struct Extent {
    int width = 0;
    int height = 0;
};

/// The client area that shows every control with the design's margin round it, in twips.
Extent fullClientTwips(const FormLayout& layout = designLayout());

/// The client area the window opens with, in twips: the design size (kClientWidthTwips x
/// kClientHeightTwips), wider by as much as the controls it shows reach further right once
/// laid out for the face's fonts.
Extent designClientTwips(const FormLayout& layout = designLayout());

/// The controls Tab and Shift+Tab visit, in this order: those of `order` (focusOrder), but of
/// each frame's option buttons only one, as on Windows: the checked one, or the first where
/// none is checked. The arrow keys move among the others (controlClickedByKey).
std::vector<Control> tabStops(const std::vector<Control>& order,
                              const std::function<bool(Control)>& checked);

/// How the client area is laid out at its present size (pixels at `dpi`) on a screen whose
/// work area leaves `workArea` pixels for the client area (the work area less the window's
/// frame). `sizedBySystem`: the window manager gave the window its size (maximised, full
/// screen, tiled), not the operator.
struct ClientLayout {
    /// The window's client area may not grow beyond the work area (pixels).
    Extent maximum;
    /// Whether the client area scrolls in each direction: wherever what is left of it beside
    /// the other direction's bar is smaller than the form (as the face laid it out for its
    /// fonts) once the operator enlarged the window beyond the design size in either
    /// direction, or the system sized it (the operator cannot make a maximised window larger
    /// to reach the rest). So every control can be reached at every size but the design size
    /// and smaller, where the operator's window scrolls nothing and what lies below stays
    /// hidden, as the window was designed.
    bool scrollsHorizontally = false;
    bool scrollsVertically = false;
    /// What scrolls: the whole form (pixels).
    Extent content;
    /// The area whose controls the operator can reach, by mouse and by Tab (twips, for
    /// focusOrder): the whole form in a direction that scrolls, the client area beside the
    /// other direction's bar in the other.
    Extent reachable;
};

/// `client`: the client area without scroll bars; `bars`: a vertical bar's width and a
/// horizontal bar's height (pixels). `layout`: the form as the face laid it out (its full size
/// and its design size).
ClientLayout clientLayout(Extent client, Extent workArea, int dpi, bool sizedBySystem,
                          Extent bars, const FormLayout& layout = designLayout());

/// Where the keyboard focus goes once the reachable controls are `order` (focusOrder): it stays
/// on `focused` while that is reachable, else the first reachable control that is `enabled`
/// takes it; none when there is none (the window itself keeps it then).
std::optional<Control> focusAfterLayout(std::optional<Control> focused,
                                        const std::vector<Control>& order,
                                        const std::function<bool(Control)>& enabled);

/// The scroll position, from `position`, that shows the span [start, start + length) in a page
/// of `page` (all in the same unit), moving as little as possible; a span longer than the page
/// shows its start.
int scrollToShow(int position, int page, int start, int length);

}  // namespace trevalune

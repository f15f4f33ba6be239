#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace trevalune {

enum class ControlKind {
    Button,
    Frame,
    ComboEditable,  ///< a drop-down list whose text can also be typed
    ComboList,      ///< a drop-down list only
    Option,         ///< an option (radio) button; the options of one frame exclude each other
    CheckBox,
    Label,
    TextBox,
    TextBoxMultiline,
    Timer,
};

/// A rectangle in twips (1/1440 inch), relative to the control's container.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/// One control of the window as designed. The table below is the one source of its names,
/// kinds, containers, captions, geometry and fonts: both faces build their controls from it.
struct ControlSpec {
    std::string_view name;
    ControlKind kind;
    std::string_view container;  ///< kWindowName or the name of a frame
    std::string_view caption;    ///< caption or initial text, UTF-8
    Twips geometry;
    /// 0: none designed; the control shows the platform's default dialog font at its normal
    /// size, which the operator knows from every other program (the design font at a small
    /// size made enabled buttons look disabled).
    double fontPoints = 0;
    bool whiteBackground =
        false;  ///< like the window; the other frames keep the system face colour
};

inline constexpr std::string_view kWindowName = "Form1";
inline constexpr std::string_view kWindowCaption = "Trevalune";
/// The client area at the design size: 454 x 169 pixels at 96 DPI.
inline constexpr int kClientWidthTwips = 6810;
inline constexpr int kClientHeightTwips = 2535;
/// The designed fonts: a Song (Ming) face, GB2312 character set, weight 400.
inline constexpr std::string_view kDesignFont = "宋体";
inline constexpr int kTimerIntervalMs = 1000;

/// The controls in the window's creation order (a container before what it holds).
std::span<const ControlSpec> controlTable();

/// The control of that name, or nullptr.
const ControlSpec* findControlSpec(std::string_view name);

/// The control's rectangle relative to the window's client area.
Twips absoluteGeometry(const ControlSpec& control);

/// Pixels at `dpi` dots per inch (96: twips / 15), rounded to the nearest pixel.
int twipsToPixels(int twips, int dpi);
/// The inverse: twips of `pixels` at `dpi`, rounded to the nearest twip the same way.
int pixelsToTwips(int pixels, int dpi);

/// Whether the operator can see the whole control in a client area of this size, inside
/// every frame that holds it.
bool fullyVisible(const ControlSpec& control, int clientWidthTwips, int clientHeightTwips);

/// The controls that may take keyboard focus in a client area of this size, in visual order
/// (top to bottom, then left to right). A control the operator cannot see never takes the
/// focus, so a stray key never presses a hidden button.
std::vector<std::string_view> focusOrder(int clientWidthTwips, int clientHeightTwips);

}  // namespace trevalune

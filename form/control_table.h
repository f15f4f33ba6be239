#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "common/title.h"

namespace trevalune {

/// Every control's design name, the window's own first. One list: the enum, the name table
/// (controlName) and the control table all follow it, so a mistyped name does not compile.
#define TREVALUNE_CONTROLS(X)                                                                      \
    X(Form1)                                                                                       \
    X(Command18)                                                                                   \
    X(Frame7) X(Combo2) X(Command17) X(Command8) X(Command14) X(Command13) X(Command12) X(Frame6)  \
        X(Command16) X(Command15) X(Command3) X(Frame3) X(Optgs) X(Optcgs) X(Optcgm) X(Labgs)      \
            X(Label2) X(Label3) X(Label4) X(Label5) X(Labcgs) X(Label6) X(Label7) X(Labcgm)        \
                X(Frame2) X(cmbsz) X(Label8) X(Command11) X(Command10) X(Command7) X(Frame5)       \
                    X(Check1) X(Command9) X(Command6) X(Text2) X(Command2) X(Command1) X(Command4) \
                        X(Command5) X(Frame4) X(Text1) X(Labtime) X(Label1) X(Timer1) X(Frame1)    \
                            X(Combo1)

enum class Control : unsigned char {
#define TREVALUNE_CONTROL_ENUMERATOR(name) name,
    TREVALUNE_CONTROLS(TREVALUNE_CONTROL_ENUMERATOR)
#undef TREVALUNE_CONTROL_ENUMERATOR
};

#define TREVALUNE_CONTROL_COUNT(name) +1
inline constexpr std::size_t kControlCount = 0 TREVALUNE_CONTROLS(TREVALUNE_CONTROL_COUNT);
#undef TREVALUNE_CONTROL_COUNT

/// The design name ("Command18"), for object names, diagnostics and screenshots.
std::string_view controlName(Control control);
/// The control of a design name, or none.
std::optional<Control> controlNamed(std::string_view name);

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
    Control id;
    ControlKind kind;
    Control container;         ///< Control::Form1 or a frame
    std::string_view caption;  ///< caption or initial text, UTF-8
    Twips geometry;
    /// 0: none designed; the control shows the platform's default dialog font at its normal
    /// size, which the operator knows from every other program (the design font at a small
    /// size made enabled buttons look disabled).
    double fontPoints = 0;
    bool whiteBackground =
        false;  ///< like the window; the other frames keep the system face colour
};

/// The window's caption is the application's title.
inline constexpr std::string_view kWindowCaption = kApplicationTitle;
/// The client area at the design size: 454 x 169 pixels at 96 DPI.
inline constexpr int kClientWidthTwips = 6810;
inline constexpr int kClientHeightTwips = 2535;
/// The designed fonts: a Song (Ming) face, GB2312 character set, weight 400.
inline constexpr std::string_view kDesignFont = "宋体";
inline constexpr int kTimerIntervalMs = 1000;

/// The controls in the window's creation order (a container before what it holds).
std::span<const ControlSpec> controlTable();

/// The control's entry; nullptr for the window itself.
const ControlSpec* findControlSpec(Control control);

/// Every control's rectangle relative to its container, as laid out for the fonts a face
/// really draws with (see form/caption_fit.h); indexed by Control.
struct FormLayout {
    std::array<Twips, kControlCount> geometry{};

    const Twips& operator[](Control control) const {
        return geometry[static_cast<std::size_t>(control)];
    }
    Twips& operator[](Control control) { return geometry[static_cast<std::size_t>(control)]; }
};

/// The table's own geometry.
const FormLayout& designLayout();

/// The control's rectangle relative to the window's client area.
Twips absoluteGeometry(const ControlSpec& control, const FormLayout& layout = designLayout());

/// Pixels at `dpi` dots per inch (96: twips / 15), rounded to the nearest pixel.
int twipsToPixels(int twips, int dpi);
/// The inverse: twips of `pixels` at `dpi`, rounded to the nearest twip the same way.
int pixelsToTwips(int pixels, int dpi);

/// Whether the operator can see the whole control in a client area of this size, inside
/// every frame that holds it.
bool fullyVisible(const ControlSpec& control, int clientWidthTwips, int clientHeightTwips,
                  const FormLayout& layout = designLayout());

/// The controls of `container` (the window or a frame) in visual order: row by row from the
/// top (a control whose top lies above the bottom of a row's topmost control belongs to that
/// row), left to right within a row. The timer is in none.
std::vector<Control> childrenInVisualOrder(Control container,
                                           const FormLayout& layout = designLayout());

/// The controls that may take keyboard focus in a client area of this size, in visual order:
/// the window's controls by childrenInVisualOrder, a frame's contents where the frame comes.
/// Every option button is here (the arrow keys reach it); Tab stops at one option of a frame
/// only (tabStops in form/window_rules.h). A control the operator cannot see never takes the
/// focus, so a stray key never presses a hidden button.
std::vector<Control> focusOrder(int clientWidthTwips, int clientHeightTwips,
                                const FormLayout& layout = designLayout());

}  // namespace trevalune

#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "common/title.h"

namespace trevalune {

/// Every control, the window itself first: the name code uses, for what the control does, and
/// its design name ("Command16"), the key that object names, diagnostics and screenshots show.
/// One list: the enum, the name table (controlName) and the control table all follow it, so a
/// mistyped name does not compile.
#define TREVALUNE_CONTROLS(X)         \
    X(window, Form1)                  \
    X(alignmentTest, Command18)       \
    X(centreFrame, Frame7)            \
    X(centreList, Combo2)             \
    X(pinTest, Command17)             \
    X(setAllWithTestPage, Command8)   \
    X(driverFile, Command14)          \
    X(pinTestDensities, Command13)    \
    X(pageEject, Command12)           \
    X(setFrame, Frame6)               \
    X(setSingleItem, Command16)       \
    X(rest, Command15)                \
    X(setAllItems, Command3)          \
    X(modeFrame, Frame3)              \
    X(highSpeedOption, Optgs)         \
    X(highDensityOption, Optcgs)      \
    X(superHighDensityOption, Optcgm) \
    X(highSpeedValue, Labgs)          \
    X(highSpeedOpen, Label2)          \
    X(highSpeedClose, Label3)         \
    X(highDensityClose, Label4)       \
    X(highDensityOpen, Label5)        \
    X(highDensityValue, Labcgs)       \
    X(superHighDensityClose, Label6)  \
    X(superHighDensityOpen, Label7)   \
    X(superHighDensityValue, Labcgm)  \
    X(valueFrame, Frame2)             \
    X(valueBox, cmbsz)                \
    X(statusLabel, Label8)            \
    X(microFeedBack, Command11)       \
    X(microFeedForward, Command10)    \
    X(factoryReset, Command7)         \
    X(commandFrame, Frame5)           \
    X(saveBracket, Check1)            \
    X(factoryBlock, Command9)         \
    X(sendCommand, Command6)          \
    X(commandText, Text2)             \
    X(quit, Command2)                 \
    X(selfTest, Command1)             \
    X(save, Command4)                 \
    X(lineFeed, Command5)             \
    X(titleFrame, Frame4)             \
    X(extraWait, Text1)               \
    X(clock, Labtime)                 \
    X(versionLabel, Label1)           \
    X(timer, Timer1)                  \
    X(printerFrame, Frame1)           \
    X(printerList, Combo1)

enum class Control : unsigned char {
#define TREVALUNE_CONTROL_ENUMERATOR(role, design) role,
    TREVALUNE_CONTROLS(TREVALUNE_CONTROL_ENUMERATOR)
#undef TREVALUNE_CONTROL_ENUMERATOR
};

#define TREVALUNE_CONTROL_COUNT(role, design) +1
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
    Control container;         ///< Control::window or a frame
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
/// Twips of `pixels` (0 or more) at `dpi`, rounded up: what a caption measured in pixels needs,
/// so that the control, rounded back to pixels, never comes out short.
int twipsCovering(int pixels, int dpi);

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

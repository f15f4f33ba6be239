#include "form/control_table.h"

#include <algorithm>
#include <array>

#include "alignment/set_items.h"

namespace trevalune {

namespace {

using K = ControlKind;
using C = Control;

constexpr std::string_view kControlNames[] = {
#define TREVALUNE_CONTROL_NAME(role, design) #design,
    TREVALUNE_CONTROLS(TREVALUNE_CONTROL_NAME)
#undef TREVALUNE_CONTROL_NAME
};

// clang-format off
constexpr std::array kControls = {
    ControlSpec{C::alignmentTest, K::Button, C::window, "Korvel", {120, 1920, 855, 495}},
    ControlSpec{C::centreFrame, K::Frame, C::window, "Korvel参数", {4800, 720, 1935, 975}, 15, true},
    ControlSpec{C::centreList, K::ComboEditable, C::centreFrame, "", {360, 360, 1095, 405}, 14.25},
    ControlSpec{C::pinTest, K::Button, C::window, "测针", {6000, 1920, 735, 495}},
    ControlSpec{C::setAllWithTestPage, K::Button, C::window, "设置全部", {600, 10800, 1335, 495}, 12},
    ControlSpec{C::driverFile, K::Button, C::window, "Windows", {5640, 10800, 975, 495}},
    ControlSpec{C::pinTestDensities, K::Button, C::window, "测针功能", {4440, 5160, 975, 495}},
    ControlSpec{C::pageEject, K::Button, C::window, "换页", {1080, 1920, 735, 495}},
    ControlSpec{C::setFrame, K::Frame, C::window, "Korvel设置", {600, 8400, 6615, 2175}, 15},
    ControlSpec{C::setSingleItem, K::Button, C::setFrame, "设置单项", {120, 1440, 1455, 495}, 12},
    ControlSpec{C::rest, K::Button, C::setFrame, "Rest", {5760, 1440, 615, 495}},
    ControlSpec{C::setAllItems, K::Button, C::setFrame, "设置全部", {1800, 1440, 1455, 495}, 12},
    ControlSpec{C::modeFrame, K::Frame, C::setFrame, "功能选择", {120, 360, 4935, 975}, 15},
    ControlSpec{C::highSpeedOption, K::Option, C::modeFrame, "高速", {120, 360, 975, 495}, 15},
    ControlSpec{C::highDensityOption, K::Option, C::modeFrame, "高密", {1560, 360, 975, 495}, 15},
    ControlSpec{C::superHighDensityOption, K::Option, C::modeFrame, "超高密", {3000, 360, 1335, 495}, 15},
    ControlSpec{C::highSpeedValue, K::Label, C::modeFrame, "20", {1220, 500, 255, 255}},
    ControlSpec{C::highSpeedOpen, K::Label, C::modeFrame, "(", {1080, 495, 135, 255}},
    ControlSpec{C::highSpeedClose, K::Label, C::modeFrame, ")", {1440, 500, 135, 255}},
    ControlSpec{C::highDensityClose, K::Label, C::modeFrame, ")", {2880, 500, 135, 255}},
    ControlSpec{C::highDensityOpen, K::Label, C::modeFrame, "(", {2520, 500, 135, 255}},
    ControlSpec{C::highDensityValue, K::Label, C::modeFrame, "20", {2650, 500, 255, 255}},
    ControlSpec{C::superHighDensityClose, K::Label, C::modeFrame, ")", {4680, 495, 135, 255}},
    ControlSpec{C::superHighDensityOpen, K::Label, C::modeFrame, "(", {4320, 495, 135, 255}},
    ControlSpec{C::superHighDensityValue, K::Label, C::modeFrame, "20", {4455, 495, 255, 255}},
    ControlSpec{C::valueFrame, K::Frame, C::setFrame, "参数", {5160, 360, 1335, 975}, 15},
    ControlSpec{C::valueBox, K::ComboEditable, C::valueFrame, "", {120, 360, 1095, 405}, 14.25},
    ControlSpec{C::statusLabel, K::Label, C::setFrame, "完成.....", {3720, 1560, 2175, 375}, 15.75},
    ControlSpec{C::microFeedBack, K::Button, C::window, "微退纸", {3840, 1920, 975, 495}},
    ControlSpec{C::microFeedForward, K::Button, C::window, "微进纸", {2760, 1920, 975, 495}},
    ControlSpec{C::factoryReset, K::Button, C::window, "恢复出厂", {2160, 10920, 975, 495}},
    ControlSpec{C::commandFrame, K::Frame, C::window, "发送指令区", {480, 6480, 6615, 1695}, 15},
    ControlSpec{C::saveBracket, K::CheckBox, C::commandFrame, "选择", {3600, 240, 1215, 255}},
    ControlSpec{C::factoryBlock, K::Button, C::commandFrame, "导入出厂值", {3600, 720, 1455, 615}, 12},
    ControlSpec{C::sendCommand, K::Button, C::commandFrame, "发送", {5280, 720, 975, 615}, 12},
    ControlSpec{C::commandText, K::TextBoxMultiline, C::commandFrame, "", {120, 360, 3255, 1215}, 12},
    ControlSpec{C::quit, K::Button, C::window, "退出", {1680, 5040, 975, 495}},
    ControlSpec{C::selfTest, K::Button, C::window, "打印自检", {4920, 1920, 975, 495}},
    ControlSpec{C::save, K::Button, C::window, "保存", {3840, 10920, 975, 495}},
    ControlSpec{C::lineFeed, K::Button, C::window, "换行", {1920, 1920, 735, 495}},
    ControlSpec{C::titleFrame, K::Frame, C::window, "", {120, 0, 6615, 615}, 0, true},
    ControlSpec{C::extraWait, K::TextBox, C::titleFrame, kDefaultExtraWait, {1440, 840, 1335, 270}},
    ControlSpec{C::clock, K::Label, C::titleFrame, "", {3720, 240, 2535, 255}, 12, true},
    ControlSpec{C::versionLabel, K::Label, C::titleFrame, "Korvel  V20170609 V1.0", {120, 240, 3255, 255}, 14.25, true},
    ControlSpec{C::timer, K::Timer, C::window, "", {}},
    ControlSpec{C::printerFrame, K::Frame, C::window, "打印机选择", {120, 720, 4455, 975}, 15, true},
    ControlSpec{C::printerList, K::ComboList, C::printerFrame, "", {120, 360, 4215, 405}, 14.25},
};
// clang-format on

bool takesFocus(ControlKind kind) {
    switch (kind) {
        case K::Button:
        case K::ComboEditable:
        case K::ComboList:
        case K::Option:
        case K::CheckBox:
        case K::TextBox:
        case K::TextBoxMultiline:
            return true;
        case K::Frame:
        case K::Label:
        case K::Timer:
            break;
    }
    return false;
}

bool inside(const Twips& inner, const Twips& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

}  // namespace

std::span<const ControlSpec> controlTable() {
    return kControls;
}

std::string_view controlName(Control control) {
    return kControlNames[static_cast<std::size_t>(control)];
}

std::optional<Control> controlNamed(std::string_view name) {
    for (std::size_t i = 0; i < kControlCount; ++i) {
        if (kControlNames[i] == name) return static_cast<Control>(i);
    }
    return std::nullopt;
}

const ControlSpec* findControlSpec(Control control) {
    const auto it = std::find_if(kControls.begin(), kControls.end(),
                                 [&](const ControlSpec& c) { return c.id == control; });
    return it == kControls.end() ? nullptr : &*it;
}

const FormLayout& designLayout() {
    static const FormLayout layout = [] {
        FormLayout l;
        for (const ControlSpec& c : kControls) l[c.id] = c.geometry;
        return l;
    }();
    return layout;
}

Twips absoluteGeometry(const ControlSpec& control, const FormLayout& layout) {
    Twips g = layout[control.id];
    for (const ControlSpec* c = findControlSpec(control.container); c != nullptr;
         c = findControlSpec(c->container)) {
        g.left += layout[c->id].left;
        g.top += layout[c->id].top;
    }
    return g;
}

namespace {
/// value * multiplier / divisor, rounded to the nearest, halves away from zero.
int scaleRounded(int value, int multiplier, int divisor) {
    const long long scaled = static_cast<long long>(value) * multiplier;
    const long long half = divisor / 2;
    return static_cast<int>((scaled + (scaled >= 0 ? half : -half)) / divisor);
}
}  // namespace

int twipsToPixels(int twips, int dpi) {
    return scaleRounded(twips, dpi, 1440);
}

int pixelsToTwips(int pixels, int dpi) {
    return scaleRounded(pixels, 1440, dpi);
}

int twipsCovering(int pixels, int dpi) {
    return static_cast<int>((static_cast<long long>(pixels) * 1440 + dpi - 1) / dpi);
}

bool fullyVisible(const ControlSpec& control, int clientWidthTwips, int clientHeightTwips,
                  const FormLayout& layout) {
    const Twips own = absoluteGeometry(control, layout);
    if (!inside(own, {0, 0, clientWidthTwips, clientHeightTwips})) return false;
    for (const ControlSpec* c = findControlSpec(control.container); c != nullptr;
         c = findControlSpec(c->container)) {
        if (!inside(own, absoluteGeometry(*c, layout))) return false;
    }
    return true;
}

std::vector<Control> childrenInVisualOrder(Control container, const FormLayout& layout) {
    std::vector<Control> byTop;
    for (const ControlSpec& c : kControls) {
        if (c.container == container && c.kind != K::Timer) byTop.push_back(c.id);
    }
    std::stable_sort(byTop.begin(), byTop.end(), [&](Control a, Control b) {
        return layout[a].top != layout[b].top ? layout[a].top < layout[b].top
                                              : layout[a].left < layout[b].left;
    });
    std::vector<Control> order;
    for (auto row = byTop.begin(); row != byTop.end();) {
        const Twips& first = layout[*row];
        const auto end = std::find_if(
            row, byTop.end(), [&](Control c) { return layout[c].top >= first.top + first.height; });
        std::vector<Control> cells(row, end);
        std::stable_sort(cells.begin(), cells.end(),
                         [&](Control a, Control b) { return layout[a].left < layout[b].left; });
        order.insert(order.end(), cells.begin(), cells.end());
        row = end;
    }
    return order;
}

namespace {
void appendFocusOrder(Control container, int width, int height, const FormLayout& layout,
                      std::vector<Control>& order) {
    for (Control id : childrenInVisualOrder(container, layout)) {
        const ControlSpec& c = *findControlSpec(id);
        if (c.kind == K::Frame) {
            appendFocusOrder(id, width, height, layout, order);
        } else if (takesFocus(c.kind) && fullyVisible(c, width, height, layout)) {
            order.push_back(id);
        }
    }
}
}  // namespace

std::vector<Control> focusOrder(int clientWidthTwips, int clientHeightTwips,
                                const FormLayout& layout) {
    std::vector<Control> order;
    appendFocusOrder(C::window, clientWidthTwips, clientHeightTwips, layout, order);
    return order;
}

}  // namespace trevalune

#include "form/control_table.h"

#include <algorithm>
#include <array>

namespace trevalune {

namespace {

using K = ControlKind;
using C = Control;

constexpr std::string_view kControlNames[] = {
#define TREVALUNE_CONTROL_NAME(name) #name,
    TREVALUNE_CONTROLS(TREVALUNE_CONTROL_NAME)
#undef TREVALUNE_CONTROL_NAME
};

// clang-format off
constexpr std::array kControls = {
    ControlSpec{C::Command18, K::Button, C::Form1, "Korvel", {120, 1920, 855, 495}},
    ControlSpec{C::Frame7, K::Frame, C::Form1, "Korvel参数", {4800, 720, 1935, 975}, 15, true},
    ControlSpec{C::Combo2, K::ComboEditable, C::Frame7, "", {360, 360, 1095, 405}, 14.25},
    ControlSpec{C::Command17, K::Button, C::Form1, "测针", {6000, 1920, 735, 495}},
    ControlSpec{C::Command8, K::Button, C::Form1, "设置全部", {600, 10800, 1335, 495}, 12},
    ControlSpec{C::Command14, K::Button, C::Form1, "Windows", {5640, 10800, 975, 495}},
    ControlSpec{C::Command13, K::Button, C::Form1, "测针功能", {4440, 5160, 975, 495}},
    ControlSpec{C::Command12, K::Button, C::Form1, "换页", {1080, 1920, 735, 495}},
    ControlSpec{C::Frame6, K::Frame, C::Form1, "Korvel设置", {600, 8400, 6615, 2175}, 15},
    ControlSpec{C::Command16, K::Button, C::Frame6, "设置单项", {120, 1440, 1455, 495}, 12},
    ControlSpec{C::Command15, K::Button, C::Frame6, "Rest", {5760, 1440, 615, 495}},
    ControlSpec{C::Command3, K::Button, C::Frame6, "设置全部", {1800, 1440, 1455, 495}, 12},
    ControlSpec{C::Frame3, K::Frame, C::Frame6, "功能选择", {120, 360, 4935, 975}, 15},
    ControlSpec{C::Optgs, K::Option, C::Frame3, "高速", {120, 360, 975, 495}, 15},
    ControlSpec{C::Optcgs, K::Option, C::Frame3, "高密", {1560, 360, 975, 495}, 15},
    ControlSpec{C::Optcgm, K::Option, C::Frame3, "超高密", {3000, 360, 1335, 495}, 15},
    ControlSpec{C::Labgs, K::Label, C::Frame3, "20", {1220, 500, 255, 255}},
    ControlSpec{C::Label2, K::Label, C::Frame3, "(", {1080, 495, 135, 255}},
    ControlSpec{C::Label3, K::Label, C::Frame3, ")", {1440, 500, 135, 255}},
    ControlSpec{C::Label4, K::Label, C::Frame3, ")", {2880, 500, 135, 255}},
    ControlSpec{C::Label5, K::Label, C::Frame3, "(", {2520, 500, 135, 255}},
    ControlSpec{C::Labcgs, K::Label, C::Frame3, "20", {2650, 500, 255, 255}},
    ControlSpec{C::Label6, K::Label, C::Frame3, ")", {4680, 495, 135, 255}},
    ControlSpec{C::Label7, K::Label, C::Frame3, "(", {4320, 495, 135, 255}},
    ControlSpec{C::Labcgm, K::Label, C::Frame3, "20", {4455, 495, 255, 255}},
    ControlSpec{C::Frame2, K::Frame, C::Frame6, "参数", {5160, 360, 1335, 975}, 15},
    ControlSpec{C::cmbsz, K::ComboEditable, C::Frame2, "", {120, 360, 1095, 405}, 14.25},
    ControlSpec{C::Label8, K::Label, C::Frame6, "完成.....", {3720, 1560, 2175, 375}, 15.75},
    ControlSpec{C::Command11, K::Button, C::Form1, "微退纸", {3840, 1920, 975, 495}},
    ControlSpec{C::Command10, K::Button, C::Form1, "微进纸", {2760, 1920, 975, 495}},
    ControlSpec{C::Command7, K::Button, C::Form1, "恢复出厂", {2160, 10920, 975, 495}},
    ControlSpec{C::Frame5, K::Frame, C::Form1, "发送指令区", {480, 6480, 6615, 1695}, 15},
    ControlSpec{C::Check1, K::CheckBox, C::Frame5, "选择", {3600, 240, 1215, 255}},
    ControlSpec{C::Command9, K::Button, C::Frame5, "导入出厂值", {3600, 720, 1455, 615}, 12},
    ControlSpec{C::Command6, K::Button, C::Frame5, "发送", {5280, 720, 975, 615}, 12},
    ControlSpec{C::Text2, K::TextBoxMultiline, C::Frame5, "", {120, 360, 3255, 1215}, 12},
    ControlSpec{C::Command2, K::Button, C::Form1, "退出", {1680, 5040, 975, 495}},
    ControlSpec{C::Command1, K::Button, C::Form1, "打印自检", {4920, 1920, 975, 495}},
    ControlSpec{C::Command4, K::Button, C::Form1, "保存", {3840, 10920, 975, 495}},
    ControlSpec{C::Command5, K::Button, C::Form1, "换行", {1920, 1920, 735, 495}},
    ControlSpec{C::Frame4, K::Frame, C::Form1, "", {120, 0, 6615, 615}, 0, true},
    ControlSpec{C::Text1, K::TextBox, C::Frame4, "5000", {1440, 840, 1335, 270}},
    ControlSpec{C::Labtime, K::Label, C::Frame4, "", {3720, 240, 2535, 255}, 12, true},
    ControlSpec{C::Label1, K::Label, C::Frame4, "Korvel  V20170609 V1.0", {120, 240, 3255, 255}, 14.25, true},
    ControlSpec{C::Timer1, K::Timer, C::Form1, "", {}},
    ControlSpec{C::Frame1, K::Frame, C::Form1, "打印机选择", {120, 720, 4455, 975}, 15, true},
    ControlSpec{C::Combo1, K::ComboList, C::Frame1, "", {120, 360, 4215, 405}, 14.25},
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
    appendFocusOrder(C::Form1, clientWidthTwips, clientHeightTwips, layout, order);
    return order;
}

}  // namespace trevalune

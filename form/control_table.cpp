#include "form/control_table.h"

#include <algorithm>
#include <array>

namespace trevalune {

namespace {

using K = ControlKind;
constexpr std::string_view W = kWindowName;

// clang-format off
constexpr std::array kControls = {
    ControlSpec{"Command18", K::Button, W, "Korvel", {120, 1920, 855, 495}},
    ControlSpec{"Frame7", K::Frame, W, "Korvel参数", {4800, 720, 1935, 975}, 15, true},
    ControlSpec{"Combo2", K::ComboEditable, "Frame7", "", {360, 360, 1095, 405}, 14.25},
    ControlSpec{"Command17", K::Button, W, "测针", {6000, 1920, 735, 495}},
    ControlSpec{"Command8", K::Button, W, "设置全部", {600, 10800, 1335, 495}, 12},
    ControlSpec{"Command14", K::Button, W, "Windows", {5640, 10800, 975, 495}},
    ControlSpec{"Command13", K::Button, W, "测针功能", {4440, 5160, 975, 495}},
    ControlSpec{"Command12", K::Button, W, "换页", {1080, 1920, 735, 495}},
    ControlSpec{"Frame6", K::Frame, W, "Korvel设置", {600, 8400, 6615, 2175}, 15},
    ControlSpec{"Command16", K::Button, "Frame6", "设置单项", {120, 1440, 1455, 495}, 12},
    ControlSpec{"Command15", K::Button, "Frame6", "Rest", {5760, 1440, 615, 495}},
    ControlSpec{"Command3", K::Button, "Frame6", "设置全部", {1800, 1440, 1455, 495}, 12},
    ControlSpec{"Frame3", K::Frame, "Frame6", "功能选择", {120, 360, 4935, 975}, 15},
    ControlSpec{"Optgs", K::Option, "Frame3", "高速", {120, 360, 975, 495}, 15},
    ControlSpec{"Optcgs", K::Option, "Frame3", "高密", {1560, 360, 975, 495}, 15},
    ControlSpec{"Optcgm", K::Option, "Frame3", "超高密", {3000, 360, 1335, 495}, 15},
    ControlSpec{"Labgs", K::Label, "Frame3", "20", {1220, 500, 255, 255}},
    ControlSpec{"Label2", K::Label, "Frame3", "(", {1080, 495, 135, 255}},
    ControlSpec{"Label3", K::Label, "Frame3", ")", {1440, 500, 135, 255}},
    ControlSpec{"Label4", K::Label, "Frame3", ")", {2880, 500, 135, 255}},
    ControlSpec{"Label5", K::Label, "Frame3", "(", {2520, 500, 135, 255}},
    ControlSpec{"Labcgs", K::Label, "Frame3", "20", {2650, 500, 255, 255}},
    ControlSpec{"Label6", K::Label, "Frame3", ")", {4680, 495, 135, 255}},
    ControlSpec{"Label7", K::Label, "Frame3", "(", {4320, 495, 135, 255}},
    ControlSpec{"Labcgm", K::Label, "Frame3", "20", {4455, 495, 255, 255}},
    ControlSpec{"Frame2", K::Frame, "Frame6", "参数", {5160, 360, 1335, 975}, 15},
    ControlSpec{"cmbsz", K::ComboEditable, "Frame2", "", {120, 360, 1095, 405}, 14.25},
    ControlSpec{"Label8", K::Label, "Frame6", "完成.....", {3720, 1560, 2175, 375}, 15.75},
    ControlSpec{"Command11", K::Button, W, "微退纸", {3840, 1920, 975, 495}},
    ControlSpec{"Command10", K::Button, W, "微进纸", {2760, 1920, 975, 495}},
    ControlSpec{"Command7", K::Button, W, "恢复出厂", {2160, 10920, 975, 495}},
    ControlSpec{"Frame5", K::Frame, W, "发送指令区", {480, 6480, 6615, 1695}, 15},
    ControlSpec{"Check1", K::CheckBox, "Frame5", "选择", {3600, 240, 1215, 255}},
    ControlSpec{"Command9", K::Button, "Frame5", "导入出厂值", {3600, 720, 1455, 615}, 12},
    ControlSpec{"Command6", K::Button, "Frame5", "发送", {5280, 720, 975, 615}, 12},
    ControlSpec{"Text2", K::TextBoxMultiline, "Frame5", "", {120, 360, 3255, 1215}, 12},
    ControlSpec{"Command2", K::Button, W, "退出", {1680, 5040, 975, 495}},
    ControlSpec{"Command1", K::Button, W, "打印自检", {4920, 1920, 975, 495}},
    ControlSpec{"Command4", K::Button, W, "保存", {3840, 10920, 975, 495}},
    ControlSpec{"Command5", K::Button, W, "换行", {1920, 1920, 735, 495}},
    ControlSpec{"Frame4", K::Frame, W, "", {120, 0, 6615, 615}, 0, true},
    ControlSpec{"Text1", K::TextBox, "Frame4", "5000", {1440, 840, 1335, 270}},
    ControlSpec{"Labtime", K::Label, "Frame4", "", {3720, 240, 2535, 255}, 12, true},
    ControlSpec{"Label1", K::Label, "Frame4", "Korvel  V20170609 V1.0", {120, 240, 3255, 255}, 14.25, true},
    ControlSpec{"Timer1", K::Timer, W, "", {}},
    ControlSpec{"Frame1", K::Frame, W, "打印机选择", {120, 720, 4455, 975}, 15, true},
    ControlSpec{"Combo1", K::ComboList, "Frame1", "", {120, 360, 4215, 405}, 14.25},
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

const ControlSpec* findControlSpec(std::string_view name) {
    const auto it = std::find_if(kControls.begin(), kControls.end(),
                                 [&](const ControlSpec& c) { return c.name == name; });
    return it == kControls.end() ? nullptr : &*it;
}

Twips absoluteGeometry(const ControlSpec& control) {
    Twips g = control.geometry;
    for (const ControlSpec* c = findControlSpec(control.container); c != nullptr;
         c = findControlSpec(c->container)) {
        g.left += c->geometry.left;
        g.top += c->geometry.top;
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

bool fullyVisible(const ControlSpec& control, int clientWidthTwips, int clientHeightTwips) {
    if (!inside(absoluteGeometry(control), {0, 0, clientWidthTwips, clientHeightTwips})) {
        return false;
    }
    for (const ControlSpec* c = findControlSpec(control.container); c != nullptr;
         c = findControlSpec(c->container)) {
        if (!inside(absoluteGeometry(control), absoluteGeometry(*c))) return false;
    }
    return true;
}

std::vector<std::string_view> focusOrder(int clientWidthTwips, int clientHeightTwips) {
    std::vector<const ControlSpec*> reachable;
    for (const ControlSpec& c : kControls) {
        if (takesFocus(c.kind) && fullyVisible(c, clientWidthTwips, clientHeightTwips)) {
            reachable.push_back(&c);
        }
    }
    std::stable_sort(reachable.begin(), reachable.end(),
                     [](const ControlSpec* a, const ControlSpec* b) {
                         const Twips ga = absoluteGeometry(*a);
                         const Twips gb = absoluteGeometry(*b);
                         return ga.top != gb.top ? ga.top < gb.top : ga.left < gb.left;
                     });
    std::vector<std::string_view> names;
    for (const ControlSpec* c : reachable) names.push_back(c->name);
    return names;
}

}  // namespace trevalune

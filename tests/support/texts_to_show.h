#pragma once

#include <string>
#include <vector>

#include "form/control_table.h"
#include "form/face.h"

namespace trevalune::testing {

/// Each text a control shows that must be whole (UTF-8): its caption, and what the form may put
/// there. None for lists and boxes, which scroll their text.
inline std::vector<std::string> textsToShow(const ControlSpec& spec, Face& face) {
    using K = ControlKind;
    if (spec.kind != K::Button && spec.kind != K::Frame && spec.kind != K::Option &&
        spec.kind != K::CheckBox && spec.kind != K::Label) {
        return {};
    }
    std::vector<std::string> texts;
    if (!spec.caption.empty()) texts.emplace_back(spec.caption);
    if (spec.id == Control::statusLabel) texts.insert(texts.end(), {"正在设置....", "完成..."});
    if (spec.id == Control::highSpeedValue || spec.id == Control::highDensityValue ||
        spec.id == Control::superHighDensityValue)
        texts.emplace_back("120");
    if (spec.id == Control::clock) texts.push_back(face.clockText({2026, 12, 28, 23, 58, 58}));
    return texts;
}

}  // namespace trevalune::testing

#include "form/caption_fit.h"

#include <algorithm>
#include <optional>

#include "alignment/set_items.h"
#include "alignment/value_text.h"
#include "form/busy_state.h"

namespace trevalune {

namespace {

bool overlapVertically(const Twips& a, const Twips& b) {
    return a.top < b.top + b.height && b.top < a.top + a.height;
}

bool insideItsContainer(const ControlSpec& c) {
    const ControlSpec* container = findControlSpec(c.container);
    if (container == nullptr) return true;
    const Twips& g = c.geometry;
    const Twips& f = container->geometry;
    return g.left >= 0 && g.top >= 0 && g.left + g.width <= f.width && g.top + g.height <= f.height;
}

/// Lays out the controls of one container, left to right; returns how far right they reach.
int fitRow(Control container, const std::array<int, kControlCount>& neededTwips,
           FormLayout& layout) {
    std::vector<const ControlSpec*> cells;
    for (const ControlSpec& c : controlTable()) {
        // A control outside its own frame is never seen (Text1) and keeps its place.
        if (c.container == container && c.kind != ControlKind::Timer && insideItsContainer(c)) {
            cells.push_back(&c);
        }
    }
    std::stable_sort(cells.begin(), cells.end(), [](const ControlSpec* a, const ControlSpec* b) {
        return a->geometry.left != b->geometry.left ? a->geometry.left < b->geometry.left
                                                    : a->geometry.top < b->geometry.top;
    });
    // How far right each control draws; none for a label, option or check box not measured.
    std::vector<std::optional<int>> occupiedRight(cells.size());
    int reach = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const ControlSpec& c = *cells[i];
        Twips& g = layout[c.id];
        for (std::size_t j = 0; j < i; ++j) {
            if (occupiedRight[j] && overlapVertically(layout[cells[j]->id], g)) {
                g.left = std::max(g.left, *occupiedRight[j] + kCaptionGapTwips);
            }
        }
        const int needed = neededTwips[static_cast<std::size_t>(c.id)];
        if (!drawsOnlyItsText(c.kind)) {
            g.width = std::max(g.width, needed);
            occupiedRight[i] = g.left + g.width;
        } else if (needed > 0) {
            int room = g.width;
            for (std::size_t k = i + 1; k < cells.size(); ++k) {
                const Twips& next = layout[cells[k]->id];
                if (overlapVertically(next, g)) {
                    room = std::min(room, next.left - kCaptionGapTwips - g.left);
                }
            }
            g.width = std::max(needed, std::min(g.width, room));
            occupiedRight[i] = g.left + g.width;
        }
        if (occupiedRight[i]) reach = std::max(reach, *occupiedRight[i]);
    }
    return reach;
}

}  // namespace

bool drawsOnlyItsText(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Option ||
           kind == ControlKind::CheckBox;
}

std::vector<std::string> textsToFit(Control control, std::string_view clockText) {
    const ControlSpec* spec = findControlSpec(control);
    if (spec == nullptr) return {};
    switch (spec->kind) {
        case ControlKind::ComboEditable:
        case ControlKind::ComboList:
        case ControlKind::TextBox:
        case ControlKind::TextBoxMultiline:
        case ControlKind::Timer:
            return {};
        default:
            break;
    }
    std::vector<std::string> texts;
    if (!spec->caption.empty()) texts.emplace_back(spec->caption);
    switch (control) {
        case Control::statusLabel:
            texts.emplace_back(kSettingCaption4);
            texts.emplace_back(kDoneCaption);
            break;
        case Control::highSpeedValue:
        case Control::highDensityValue:
        case Control::superHighDensityValue:
            texts.push_back(std::to_string(kValueBoxMax));
            break;
        case Control::clock:
            texts.emplace_back(clockText);
            break;
        default:
            break;
    }
    return texts;
}

FormLayout fitCaptions(const std::array<int, kControlCount>& neededTwips) {
    FormLayout layout = designLayout();
    // Innermost first: the table lists a frame before the frames it holds.
    const auto table = controlTable();
    for (auto it = table.rbegin(); it != table.rend(); ++it) {
        if (it->kind != ControlKind::Frame) continue;
        const int reach = fitRow(it->id, neededTwips, layout);
        Twips& frame = layout[it->id];
        frame.width = std::max(frame.width, reach + kFrameMarginTwips);
    }
    fitRow(Control::window, neededTwips, layout);
    return layout;
}

}  // namespace trevalune

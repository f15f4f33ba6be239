#include "form/window_rules.h"

#include <algorithm>
#include <vector>

#include "form/control_table.h"

namespace trevalune {

namespace {

/// The margin the design keeps between the window's edge and its outer controls.
constexpr int kMarginTwips = 120;

/// The option buttons of the frame that holds `option`, in visual order.
std::vector<const ControlSpec*> optionGroup(const ControlSpec& option) {
    std::vector<const ControlSpec*> group;
    for (Control c : childrenInVisualOrder(option.container)) {
        const ControlSpec* spec = findControlSpec(c);
        if (spec->kind == ControlKind::Option) group.push_back(spec);
    }
    return group;
}

}  // namespace

std::optional<Control> controlClickedByKey(Control focused, FormKey key) {
    const ControlSpec* spec = findControlSpec(focused);
    if (spec == nullptr) return std::nullopt;
    if (key == FormKey::Enter) {
        return spec->kind == ControlKind::Button ? std::optional(spec->id) : std::nullopt;
    }
    if (spec->kind != ControlKind::Option) return std::nullopt;
    const std::vector<const ControlSpec*> group = optionGroup(*spec);
    const auto at = std::find(group.begin(), group.end(), spec) - group.begin();
    const auto n = static_cast<std::ptrdiff_t>(group.size());
    const bool back = key == FormKey::Up || key == FormKey::Left;
    return group[static_cast<std::size_t>((at + (back ? n - 1 : 1)) % n)]->id;
}

Extent fullClientTwips(const FormLayout& layout) {
    Extent size;
    for (const ControlSpec& c : controlTable()) {
        // What can never be seen (the timer, a box outside its own frame) takes no room.
        if (c.kind == ControlKind::Timer || !fullyVisible(c, 1 << 24, 1 << 24, layout)) continue;
        const Twips g = absoluteGeometry(c, layout);
        size.width = std::max(size.width, g.left + g.width + kMarginTwips);
        size.height = std::max(size.height, g.top + g.height + kMarginTwips);
    }
    return size;
}

Extent designClientTwips(const FormLayout& layout) {
    int grown = 0;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind == ControlKind::Timer ||
            !fullyVisible(c, kClientWidthTwips, kClientHeightTwips)) {
            continue;
        }
        const Twips designed = absoluteGeometry(c);
        const Twips laidOut = absoluteGeometry(c, layout);
        grown = std::max(grown, laidOut.left + laidOut.width - (designed.left + designed.width));
    }
    return {kClientWidthTwips + grown, kClientHeightTwips};
}

std::vector<Control> tabStops(const std::vector<Control>& order,
                              const std::function<bool(Control)>& checked) {
    std::vector<Control> stops;
    for (Control c : order) {
        const ControlSpec* spec = findControlSpec(c);
        if (spec == nullptr || spec->kind != ControlKind::Option) {
            stops.push_back(c);
            continue;
        }
        std::vector<Control> group;
        for (Control other : order) {
            const ControlSpec* o = findControlSpec(other);
            if (o != nullptr && o->kind == ControlKind::Option && o->container == spec->container)
                group.push_back(other);
        }
        const auto on = std::find_if(group.begin(), group.end(), checked);
        if (c == (on != group.end() ? *on : group.front())) stops.push_back(c);
    }
    return stops;
}

ClientLayout clientLayout(Extent client, Extent workArea, int dpi, bool sizedBySystem,
                          Extent bars, const FormLayout& form) {
    const Extent full = fullClientTwips(form);
    const Extent design = designClientTwips(form);
    const Extent fullPixels{twipsToPixels(full.width, dpi), twipsToPixels(full.height, dpi)};
    ClientLayout layout;
    layout.maximum = workArea;
    layout.content = fullPixels;
    // Compared in pixels: twips read back from pixels are off by a rounding at most DPIs.
    const bool enlarged = sizedBySystem || client.width > twipsToPixels(design.width, dpi) ||
                          client.height > twipsToPixels(design.height, dpi);
    if (enlarged) {
        bool& across = layout.scrollsHorizontally;
        bool& down = layout.scrollsVertically;
        across = client.width < fullPixels.width;
        down = client.height < fullPixels.height;
        // One bar narrows the page the other direction shows, which may then need its own.
        for (int pass = 0; pass < 2; ++pass) {
            across = across || (down && client.width - bars.width < fullPixels.width);
            down = down || (across && client.height - bars.height < fullPixels.height);
        }
    }
    const Extent page{client.width - (layout.scrollsVertically ? bars.width : 0),
                      client.height - (layout.scrollsHorizontally ? bars.height : 0)};
    layout.reachable = {layout.scrollsHorizontally ? full.width : pixelsToTwips(page.width, dpi),
                        layout.scrollsVertically ? full.height : pixelsToTwips(page.height, dpi)};
    return layout;
}

std::optional<Control> focusAfterLayout(std::optional<Control> focused,
                                        const std::vector<Control>& order,
                                        const std::function<bool(Control)>& enabled) {
    if (focused && std::find(order.begin(), order.end(), *focused) != order.end()) return focused;
    const auto first = std::find_if(order.begin(), order.end(), enabled);
    return first == order.end() ? std::nullopt : std::optional(*first);
}

int scrollToShow(int position, int page, int start, int length) {
    if (start < position || length > page) return start;
    if (start + length > position + page) return start + length - page;
    return position;
}

}  // namespace trevalune

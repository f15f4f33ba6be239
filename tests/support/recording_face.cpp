#include "tests/support/recording_face.h"

#include <algorithm>
#include <cstdio>

#include "form/control_table.h"
#include "operations/utf16.h"

namespace trevalune::testing {

RecordingFace::RecordingFace() {
    for (const ControlSpec& c : controlTable()) {
        const std::string name(c.name);
        texts[name] = c.caption;
        enabled[name] = true;
        checked[name] = false;
        items[name] = {};
        currentIndex[name] = -1;
    }
}

void RecordingFace::setText(std::string_view control, std::string_view text) {
    texts[std::string(control)] = text;
    std::size_t& caret = carets[std::string(control)];
    caret = std::min(caret, toUtf16(text).size());
}

void RecordingFace::setEnabled(std::string_view control, bool on) {
    enabled[std::string(control)] = on;
}

void RecordingFace::setChecked(std::string_view control, bool on) {
    checked[std::string(control)] = on;
}

void RecordingFace::setItems(std::string_view control, const std::vector<std::string>& list) {
    items[std::string(control)] = list;
    currentIndex[std::string(control)] = -1;
}

void RecordingFace::setCurrentIndex(std::string_view control, int index) {
    currentIndex[std::string(control)] = index;
    // A list shows the item it selects.
    if (index >= 0) {
        texts[std::string(control)] =
            items[std::string(control)].at(static_cast<std::size_t>(index));
    }
}

void RecordingFace::setCaret(std::string_view control, std::size_t position) {
    carets[std::string(control)] = position;
}

void RecordingFace::repaintNow(std::string_view control) {
    const auto it = texts.find(control);
    if (onRepaint) onRepaint(std::string(control) + " " + (it == texts.end() ? "" : it->second));
}

void RecordingFace::showMessage(std::string_view text, std::string_view title) {
    messages.push_back({std::string(text), std::string(title)});
    if (onMessage) onMessage(messages.back());
}

void RecordingFace::writeDiagnostic(std::string_view line) {
    diagnostics.emplace_back(line);
}

void RecordingFace::startTimer(std::string_view /*timer*/, int /*intervalMs*/) {}

std::string RecordingFace::clockText(const LocalDateTime& now) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%d/%d %02d:%02d:%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    return text;
}

void RecordingFace::closeWindow() {
    closed = true;
}

std::vector<std::string> RecordingFace::messageTexts() const {
    std::vector<std::string> out;
    for (const Message& m : messages) out.push_back(m.text);
    return out;
}

}  // namespace trevalune::testing

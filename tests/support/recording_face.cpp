#include "tests/support/recording_face.h"

#include <algorithm>
#include <cstdio>

#include "common/utf16.h"
#include "form/control_table.h"

namespace trevalune::testing {

RecordingFace::RecordingFace() {
    for (const ControlSpec& c : controlTable()) {
        const Control name = c.id;
        texts[name] = c.caption;
        enabled[name] = true;
        checked[name] = false;
        items[name] = {};
        currentIndex[name] = -1;
    }
}

void RecordingFace::setText(Control control, std::string_view text) {
    texts[control] = text;
    std::size_t& caret = carets[control];
    caret = std::min(caret, toUtf16(text).size());
}

void RecordingFace::setEnabled(Control control, bool on) {
    enabled[control] = on;
}

void RecordingFace::setChecked(Control control, bool on) {
    checked[control] = on;
}

void RecordingFace::setItems(Control control, const std::vector<std::string>& list) {
    items[control] = list;
    currentIndex[control] = -1;
}

void RecordingFace::setCurrentIndex(Control control, int index) {
    currentIndex[control] = index;
    // A list shows the item it selects.
    if (index >= 0) {
        texts[control] = items[control].at(static_cast<std::size_t>(index));
    }
}

void RecordingFace::setCaret(Control control, std::size_t position) {
    carets[control] = position;
}

void RecordingFace::repaintNow(Control control) {
    const auto it = texts.find(control);
    if (onRepaint) {
        onRepaint(std::string(controlName(control)) + " " + (it == texts.end() ? "" : it->second));
    }
}

void RecordingFace::showMessage(std::string_view text, std::string_view title) {
    messages.push_back({std::string(text), std::string(title)});
    if (onMessage) onMessage(messages.back());
}

void RecordingFace::writeDiagnostic(std::string_view line) {
    diagnostics.emplace_back(line);
}

void RecordingFace::startTimer(Control /*timer*/, int /*intervalMs*/) {}

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

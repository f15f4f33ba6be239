#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "form/face.h"

namespace trevalune::testing {

/// A face without a toolkit: keeps what the form showed and records the message boxes and
/// repaints. `onMessage` runs while a message box is "open" (a test may tick
/// the timer there, as a toolkit's modal loop would). The operator's side is in
/// tests/support/form_operator.h.
class RecordingFace final : public Face {
public:
    /// The controls as built from the control table: captions shown, everything enabled,
    /// nothing checked, listed or selected.
    RecordingFace();

    struct Message {
        std::string text;
        std::string title;
        bool operator==(const Message&) const = default;
    };

    void setText(Control control, std::string_view text) override;
    void setEnabled(Control control, bool enabled) override;
    void setChecked(Control control, bool checked) override;
    void setItems(Control control, const std::vector<std::string>& items) override;
    void setCurrentIndex(Control control, int index) override;
    void setCaret(Control control, std::size_t position) override;
    void repaintNow(Control control) override;
    void showMessage(std::string_view text, std::string_view title) override;
    void startTimer(Control timer, int intervalMs) override;
    std::string clockText(const LocalDateTime& now) override;
    void writeDiagnostic(std::string_view line) override;
    void showReading(const ReadingView& view) override { readings.push_back(view); }
    void closeWindow() override;

    /// The message texts, in order.
    std::vector<std::string> messageTexts() const;

    /// What each control shows: caption, box text, or a list's selected item.
    std::map<Control, std::string> texts;
    std::map<Control, bool> enabled;
    std::map<Control, bool> checked;
    std::map<Control, std::vector<std::string>> items;
    std::map<Control, int> currentIndex;
    std::map<Control, std::size_t> carets;
    std::vector<Message> messages;
    std::vector<std::string> diagnostics;
    std::vector<ReadingView> readings;  ///< every reading window shown, in order
    bool closed = false;

    std::function<void(const Message&)> onMessage;
    /// Called for every control repainted at once, with its text at that moment
    /// ("Label8 正在设置..").
    std::function<void(const std::string&)> onRepaint;
};

}  // namespace trevalune::testing

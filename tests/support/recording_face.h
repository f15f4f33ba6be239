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

    void setText(std::string_view control, std::string_view text) override;
    void setEnabled(std::string_view control, bool enabled) override;
    void setChecked(std::string_view control, bool checked) override;
    void setItems(std::string_view control, const std::vector<std::string>& items) override;
    void setCurrentIndex(std::string_view control, int index) override;
    void setCaret(std::string_view control, std::size_t position) override;
    void repaintNow(std::string_view control) override;
    void showMessage(std::string_view text, std::string_view title) override;
    void startTimer(std::string_view timer, int intervalMs) override;
    std::string clockText(const LocalDateTime& now) override;
    void writeDiagnostic(std::string_view line) override;
    void closeWindow() override;

    /// The message texts, in order.
    std::vector<std::string> messageTexts() const;

    /// What each control shows: caption, box text, or a list's selected item.
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, bool, std::less<>> enabled;
    std::map<std::string, bool, std::less<>> checked;
    std::map<std::string, std::vector<std::string>, std::less<>> items;
    std::map<std::string, int, std::less<>> currentIndex;
    std::map<std::string, std::size_t, std::less<>> carets;
    std::vector<Message> messages;
    std::vector<std::string> diagnostics;
    bool closed = false;

    std::function<void(const Message&)> onMessage;
    /// Called for every control repainted at once, with its text at that moment
    /// ("Label8 正在设置..").
    std::function<void(const std::string&)> onRepaint;
};

}  // namespace trevalune::testing

#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "printer/bytes.h"
#include "printer/printer_link.h"

namespace trevalune {

class Clock;

/// One raw document, fully encoded.
struct SendStep {
    Bytes bytes;
    bool operator==(const SendStep&) const = default;
};

/// A blocking wait of the window's thread.
struct WaitStep {
    int milliseconds = 0;
    bool operator==(const WaitStep&) const = default;
};

/// A new caption for the status label (UTF-8), shown and repainted at once.
struct CaptionStep {
    std::string text;
    bool operator==(const CaptionStep&) const = default;
};

using Step = std::variant<SendStep, WaitStep, CaptionStep>;

/// An operation as a fixed sequence of documents, waits and captions. Builders encode every
/// document while the timeline is built, so a value that cannot be sent throws Refusal
/// before the first document leaves and a refused operation sends nothing at all.
class Timeline final {
public:
    /// A document of these bytes (text, or commands built from byte values).
    Timeline& text(Bytes bytes);
    /// A document from hex text; converted now, so bad text is refused before anything leaves.
    Timeline& hex(std::string_view hexText);
    Timeline& wait(int milliseconds);
    Timeline& caption(std::string text);
    Timeline& append(const Timeline& other);

    const std::vector<Step>& steps() const { return steps_; }
    /// Just the documents, in order.
    std::vector<Bytes> documents() const;
    std::size_t documentCount() const;

    bool operator==(const Timeline&) const = default;

private:
    std::vector<Step> steps_;
};

/// Runs a timeline on the window's thread: documents to the link, waits to the clock,
/// captions to `showCaption` (which must repaint at once). A document that the link says ends
/// the operation ends the run there: nothing after it is sent, waited for or shown. Returns
/// Next::GoOn when the timeline ran to its end, otherwise why it did not.
Next runTimeline(const Timeline& timeline, PrinterLink& link, Clock& clock,
                 const std::function<void(const std::string&)>& showCaption);

}  // namespace trevalune

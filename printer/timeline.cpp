#include "printer/timeline.h"

#include <utility>

#include "printer/clock.h"
#include "printer/hex_text.h"
#include "printer/printer_link.h"

namespace trevalune {

Timeline& Timeline::text(Bytes bytes) {
    steps_.emplace_back(SendStep{std::move(bytes)});
    return *this;
}

Timeline& Timeline::hex(std::string_view hexText) {
    steps_.emplace_back(SendStep{hexTextToBytes(hexText)});
    return *this;
}

Timeline& Timeline::wait(int milliseconds) {
    steps_.emplace_back(WaitStep{milliseconds});
    return *this;
}

Timeline& Timeline::caption(std::string text) {
    steps_.emplace_back(CaptionStep{std::move(text)});
    return *this;
}

Timeline& Timeline::append(const Timeline& other) {
    steps_.insert(steps_.end(), other.steps_.begin(), other.steps_.end());
    return *this;
}

std::vector<Bytes> Timeline::documents() const {
    std::vector<Bytes> out;
    for (const Step& s : steps_) {
        if (const auto* send = std::get_if<SendStep>(&s)) out.push_back(send->bytes);
    }
    return out;
}

std::size_t Timeline::documentCount() const {
    std::size_t n = 0;
    for (const Step& s : steps_) n += std::holds_alternative<SendStep>(s) ? 1 : 0;
    return n;
}

Next runTimeline(const Timeline& timeline, PrinterLink& link, Clock& clock,
                 const std::function<void(const std::string&)>& showCaption) {
    for (const Step& s : timeline.steps()) {
        if (const auto* send = std::get_if<SendStep>(&s)) {
            if (const Next next = link.sendDocument(send->bytes).next; next != Next::GoOn)
                return next;
        } else if (const auto* w = std::get_if<WaitStep>(&s)) {
            clock.sleepMs(w->milliseconds);
        } else if (const auto* c = std::get_if<CaptionStep>(&s)) {
            if (showCaption) showCaption(c->text);
        }
    }
    return Next::GoOn;
}

}  // namespace trevalune

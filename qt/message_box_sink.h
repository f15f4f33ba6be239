#pragma once

#include "printer/message_sink.h"

namespace trevalune {

/// Real message boxes: modal, one OK button, no icon, over the active window.
class MessageBoxSink final : public MessageSink {
protected:
    void show(std::string_view text, std::string_view title) override;
};

}  // namespace trevalune

#pragma once

#include <string>
#include <vector>

#include "printer/message_sink.h"

namespace trevalune::testing {

/// Records message boxes (text and title) instead of showing them.
class RecordingMessages final : public MessageSink {
public:
    struct Message {
        std::string text;
        std::string title;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;

    std::vector<std::string> texts() const;

protected:
    void show(std::string_view text, std::string_view title) override;
};

}  // namespace trevalune::testing

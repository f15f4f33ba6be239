#pragma once

#include <string>
#include <vector>

#include "printer/message_sink.h"

namespace trevalune::testing {

/// Records message boxes (text and title) instead of showing them, and diagnostic lines.
class RecordingMessages final : public MessageSink, public DiagnosticLog {
public:
    struct Message {
        std::string text;
        std::string title;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;

    std::vector<std::string> diagnostics;

    std::vector<std::string> texts() const;
    void write(std::string_view line) override { diagnostics.emplace_back(line); }

protected:
    void show(std::string_view text, std::string_view title) override;
};

}  // namespace trevalune::testing

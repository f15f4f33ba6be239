#include "tests/support/recording_messages.h"

namespace trevalune::testing {

void RecordingMessages::show(std::string_view text, std::string_view title) {
    messages.push_back({std::string(text), std::string(title)});
}

std::vector<std::string> RecordingMessages::texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
}

}  // namespace trevalune::testing

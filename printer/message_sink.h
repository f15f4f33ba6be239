#pragma once

#include <string>
#include <string_view>

namespace trevalune {

/// Modal message boxes with one OK button and no icon. The window shows real ones;
/// tests record them.
class MessageSink {
public:
    virtual ~MessageSink() = default;

    /// Shows text under the application's default title (an empty title: each sink knows it).
    void showMessage(std::string_view text) { show(text, {}); }
    void showMessage(std::string_view text, std::string_view title) { show(text, title); }

protected:
    virtual void show(std::string_view text, std::string_view title) = 0;
};

/// One line a support case can read afterwards: standard error on Linux, the debugger's
/// output (OutputDebugStringW) on Windows. Never shown to the operator.
class DiagnosticLog {
public:
    virtual ~DiagnosticLog() = default;
    virtual void write(std::string_view line) = 0;
};

}  // namespace trevalune

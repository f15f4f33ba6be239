#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "printer/cups/cups_spooler.h"

namespace trevalune {

/// The login of one run: asked once, whatever the number of queues asking at the same time,
/// and the first answer kept for every queue. A server that refuses it is told so by each
/// spooler; the operator is not asked again.
class TerminalLogin final : public CupsLogin {
public:
    /// Shows the prompt and reads one line; none when there is no answer (the input ended).
    using Ask = std::function<std::optional<std::string>(const std::string& prompt)>;
    explicit TerminalLogin(Ask ask) : ask_(std::move(ask)) {}

    std::optional<std::string> password(const std::string& user,
                                        const std::string& server) override;

    /// The prompt on the controlling terminal (standard error and input when there is none),
    /// the answer read with echo off. Given up, echo restored, once `stopped` says so (asked
    /// ten times a second): a run interrupted at the prompt must not wait for Enter.
    static std::optional<std::string> askOnTerminal(const std::string& prompt,
                                                    const std::function<bool()>& stopped);

private:
    Ask ask_;
    std::mutex mutex_;
    bool asked_ = false;
    std::optional<std::string> answer_;
};

}  // namespace trevalune

#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "cli/account.h"
#include "cli/command_line.h"
#include "cli/send_command.h"

namespace trevalune::send {

/// The program's name at the head of every line it says on standard error.
inline constexpr std::string_view kName = "trevalune-send";

/// What the run says, from any queue's thread, one whole line at a time: job ids as they
/// come on standard output, warnings and the account on standard error.
class Reporter final {
public:
    Reporter(System& system, Language language, const CommandLine& c);
    ~Reporter();
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

    /// Keeps the queue's account as it stands, for a second signal that leaves no time to
    /// finish: called from the queue's own thread after each document.
    void keep(const QueueAccount& a);
    void setOperation(const std::string& operation);
    void taken(const std::string& queue, int job);
    void line(const std::string& text);
    void json(const nlohmann::json& object);
    Language language() const { return language_; }

private:
    /// The account as far as it was kept: a second signal ends the process right after.
    void sayLastWords(int status);

    std::mutex mutex_;
    System& system_;
    Language language_;
    bool jobIds_;
    bool json_;
    std::string operation_;
    std::map<std::string, std::pair<std::string, nlohmann::json>> kept_;
};

}  // namespace trevalune::send

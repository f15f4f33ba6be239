#pragma once

#include <optional>
#include <string>

#include "cli/input_fanout.h"
#include "cli/send_command.h"

namespace trevalune::send {

class Interruption;

/// Takes SIGINT, SIGTERM and SIGHUP away from every thread and hands them to one thread of
/// its own, which asks the run to stop (exit status 128 + the signal). Call it before any
/// other thread starts, so that all of them inherit the blocked set. A second signal ends
/// the process at once, after the run's last words (the account as far as it is known), for
/// an operator who will not wait for the document under way.
void takeSignals(Interruption& interruption);

/// The operator's terminal on standard input and error; an answer it is waiting for is given
/// up when the run is asked to stop.
class PosixTerminal final : public Terminal {
public:
    explicit PosixTerminal(const Interruption& interruption) : interruption_(interruption) {}
    std::optional<std::string> ask(const std::string& prompt) override;

private:
    const Interruption& interruption_;
};

/// Standard input ("-") or a FIFO, read as it comes; a read waits in poll, so a stop request
/// ends it at once (InputError with `interrupted`), also on a FIFO that no one writes to.
class PosixInput final : public InputReader {
public:
    /// Throws InputError when the file cannot be opened.
    PosixInput(const std::string& path, const Interruption& interruption, std::string interrupted);
    ~PosixInput() override;
    PosixInput(const PosixInput&) = delete;
    PosixInput& operator=(const PosixInput&) = delete;
    std::size_t read(char* buffer, std::size_t size) override;

private:
    int fd_;
    bool owned_;
    const Interruption& interruption_;
    std::string interrupted_;
};

}  // namespace trevalune::send

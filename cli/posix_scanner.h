#pragma once

#include <cstddef>
#include <string>

#include "cli/send_command.h"

namespace trevalune::send {

class Interruption;

/// The scan command through /bin/sh -c, with standard output and error read side by side (a
/// command that fills one pipe while we wait on the other would hang otherwise), and standard
/// input left to it. A run asked to stop ends the command with SIGTERM.
class PosixScanner final : public Scanner {
public:
    PosixScanner(const Interruption* interruption, std::size_t maxBytes)
        : interruption_(interruption), maxBytes_(maxBytes) {}
    ScanResult scan(const std::string& command) override;

private:
    const Interruption* interruption_;
    std::size_t maxBytes_;
};

}  // namespace trevalune::send

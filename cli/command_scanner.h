#pragma once

#include <cstddef>
#include <string>

#include "cli/send_command.h"

namespace trevalune::send {

class Interruption;

/// The scan command run by the platform's shell, with standard output and error read side by
/// side (a command that fills one pipe while we wait on the other would hang otherwise). A run
/// asked to stop ends the command and all it started.
/// POSIX (posix_scanner.cpp): /bin/sh -c in a process group of its own, standard input from
/// /dev/null, ended with SIGTERM. Windows (windows_scanner.cpp): cmd.exe /c (ComSpec) in a job
/// object, the console's input left to it, ended as a whole.
class CommandScanner final : public Scanner {
public:
    CommandScanner(const Interruption* interruption, std::size_t maxBytes)
        : interruption_(interruption), maxBytes_(maxBytes) {}
    ScanResult scan(const std::string& command) override;

private:
    const Interruption* interruption_;
    std::size_t maxBytes_;
};

}  // namespace trevalune::send

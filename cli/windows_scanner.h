#pragma once

#include <cstddef>
#include <string>

#include "cli/send_command.h"

namespace trevalune::send {

class Interruption;

/// The scan command through cmd.exe /c (ComSpec), with standard output and error on pipes of
/// their own, read side by side, and the console's input left to it. It runs in a job object
/// with all it starts: a run asked to stop ends the whole job at once and reports the scan
/// interrupted.
class WindowsScanner final : public Scanner {
public:
    WindowsScanner(const Interruption* interruption, std::size_t maxBytes)
        : interruption_(interruption), maxBytes_(maxBytes) {}
    ScanResult scan(const std::string& command) override;

private:
    const Interruption* interruption_;
    std::size_t maxBytes_;
};

}  // namespace trevalune::send

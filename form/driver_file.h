#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "printer/bytes.h"

namespace trevalune {

inline constexpr std::string_view kDriverFileName = "file.prn";

/// The driver test file in `folder` (the program's own folder in the real program).
std::filesystem::path driverFilePath(const std::filesystem::path& folder);

struct DriverFileRead {
    Bytes bytes;
    std::string problem;  ///< a message for the operator; empty when the bytes were read
};

/// Reads the whole file, opened read-only so that a missing file is never created.
/// A missing, unreadable or empty file gives a problem that names the full path.
DriverFileRead readDriverFile(const std::filesystem::path& file);

/// A path as UTF-8 text, for messages.
std::string pathText(const std::filesystem::path& path);

}  // namespace trevalune

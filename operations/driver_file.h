#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "printer/bytes.h"

namespace trevalune {

inline constexpr std::string_view kDriverFileName = "file.prn";

/// The driver test file in `folder` (the program's own folder in the real program).
std::filesystem::path driverFilePath(const std::filesystem::path& folder);

/// Reads the whole file, opened read-only so that a missing file is never created.
/// A missing, unreadable or empty file is refused (Refusal) with a message naming the full path.
Bytes readDriverFile(const std::filesystem::path& file);

/// A path as UTF-8 text, for messages.
std::string pathText(const std::filesystem::path& path);

}  // namespace trevalune

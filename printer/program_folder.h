#pragma once

#include <string>

namespace trevalune {

/// The folder that holds the running program's executable, without a trailing separator,
/// in the form the platform's narrow file functions take (the ANSI code page on Windows).
/// Empty if the system cannot tell.
std::string programFolder();

/// "file.prn" in the program's folder: the prepared print file the driver test sends.
std::string driverFilePath();

}  // namespace trevalune

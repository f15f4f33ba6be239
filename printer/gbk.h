#pragma once

#include <string>
#include <string_view>

#include "printer/bytes.h"

namespace trevalune {

/// UTF-8 text to GBK (code page 936) bytes, whatever the system's locale.
/// Throws Refusal for invalid UTF-8 or a character that GBK cannot hold.
Bytes toGbk(std::string_view utf8);

/// GBK bytes back to UTF-8 (printer names on Windows, diagnostics).
/// Throws Refusal for bytes that are not valid GBK.
std::string fromGbk(std::string_view gbk);

}  // namespace trevalune

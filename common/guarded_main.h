#pragma once

#include <cstdio>
#include <exception>
#include <string_view>

namespace trevalune {

/// The exit status of a program that met an exception nothing expected (sysexits' EX_SOFTWARE).
inline constexpr int kInternalErrorStatus = 70;

/// Runs a program's main body. An exception that leaves it ends the program with one line on
/// standard error and `Failure` (kInternalErrorStatus, or a status the program documents), not
/// with std::terminate's abort and core dump.
template <int Failure = kInternalErrorStatus, class Body>
int guardedMain(std::string_view program, Body&& body) noexcept {
    const char* what = "unknown exception";
    try {
        return body();
    } catch (const std::exception& error) {
        what = error.what();
        std::fprintf(stderr, "%.*s: unexpected error: %s\n", static_cast<int>(program.size()),
                     program.data(), what);
    } catch (...) {
        std::fprintf(stderr, "%.*s: unexpected error: %s\n", static_cast<int>(program.size()),
                     program.data(), what);
    }
    return Failure;
}

}  // namespace trevalune

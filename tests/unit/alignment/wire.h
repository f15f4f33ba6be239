#pragma once

#include <initializer_list>
#include <string>

#include "printer/bytes.h"
#include "printer/gbk.h"
#include "tests/support/timeline_print.h"

namespace trevalune::testing {

/// The set-value command as the printer's manual writes it: ESC 01 '@' "QV627" mode value tail.
inline Bytes setValueBytes(int mode, int value, std::initializer_list<int> tail) {
    Bytes out = bytesOf({0x1B, 0x01, 0x40}) + "QV627" + bytesOf({mode, value});
    for (int b : tail) out += bytesOf({b});
    return out;
}
inline Bytes standard(int mode, int v) {
    return setValueBytes(mode, v, {0xFF, 0x0A, 0x0A, 0x0A});
}
inline Bytes shortForm(int mode, int v) {
    return setValueBytes(mode, v, {0x00, 0x0A, 0x0A});
}
inline Bytes rowForm(int mode, int v) {
    return setValueBytes(mode, v, {0xFF, 0x0A, 0x0A});
}
inline std::string blanks(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

inline const Bytes kEject = bytesOf({0x1D, 0x56, 0x53});
inline const Bytes kSave = bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x52});

/// The operator's message of a refused build, or "(built)" when nothing was refused.
template <class Build>
std::string refusal(Build build) {
    try {
        build();
    } catch (const Refusal& e) {
        return e.what();
    }
    return "(built)";
}

}  // namespace trevalune::testing

#include "alignment/set_value_command.h"

namespace trevalune {

namespace {
Bytes trailerBytes(Trailer trailer) {
    switch (trailer) {
        case Trailer::Standard:
            return bytesOf({0xFF, 0x0A, 0x0A, 0x0A});
        case Trailer::Short:
            return bytesOf({0x00, 0x0A, 0x0A});
        case Trailer::Row:
            return bytesOf({0xFF, 0x0A, 0x0A});
        case Trailer::Long:
            return bytesOf({0x00, 0x0A, 0x0A, 0x0A, 0x0A});
        case Trailer::FiveLf:
            return bytesOf({0xFF, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A});
    }
    return {};
}
}  // namespace

Bytes buildSetValueBytes(PrintMode mode, int value, Trailer trailer) {
    Bytes out = bytesOf({0x1B, 0x01, 0x40});
    out += "QV627";
    out.push_back(byteOf(modeByte(mode)));
    out.push_back(byteOf(value));
    out += trailerBytes(trailer);
    return out;
}

}  // namespace trevalune

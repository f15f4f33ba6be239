#include "alignment/print_mode.h"

namespace trevalune {

std::string_view modeCaption(PrintMode mode) {
    switch (mode) {
        case PrintMode::HighSpeed:
            return "高速";
        case PrintMode::HighDensity:
            return "高密";
        case PrintMode::SuperHighDensity:
            return "超高密";
    }
    return {};
}

}  // namespace trevalune

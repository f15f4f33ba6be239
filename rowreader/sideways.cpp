#include "rowreader/sideways.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace trevalune::rowreader {

namespace {

bool foundNothing(const std::vector<ModeReading>& readings) {
    return std::all_of(readings.begin(), readings.end(), [](const ModeReading& r) {
        return r.doubt == Doubt::NoRows && r.rows.empty();
    });
}

}  // namespace

GreyImage buildQuarterTurn(const GreyImage& picture, int quarterTurns) {
    const int turns = ((quarterTurns % 4) + 4) % 4;
    if (turns == 0) return picture;
    if (turns == 2) {
        GreyImage out = picture;
        std::reverse(out.pixels.begin(), out.pixels.end());
        return out;
    }
    GreyImage out;
    out.width = picture.height;
    out.height = picture.width;
    out.dotsPerInch = picture.verticalDotsPerInch;
    out.verticalDotsPerInch = picture.dotsPerInch;
    out.pixels.resize(picture.pixels.size());
    const auto w = static_cast<std::size_t>(out.width);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            // Clockwise, the picture's top row becomes the right column; anticlockwise, the left.
            const int tx = turns == 1 ? picture.height - 1 - y : y;
            const int ty = turns == 1 ? x : picture.width - 1 - x;
            out.pixels[static_cast<std::size_t>(ty) * w + static_cast<std::size_t>(tx)] =
                picture.at(x, y);
        }
    }
    return out;
}

TurnedReading readAnyWayUp(const GreyImage& picture, const PageReader& read) {
    TurnedReading result{read(picture), 0, std::nullopt};
    if (!foundNothing(result.readings)) return result;
    for (const int turns : std::array{1, 3}) {
        GreyImage turned = buildQuarterTurn(picture, turns);
        std::vector<ModeReading> readings = read(turned);
        if (!foundNothing(readings)) return {std::move(readings), turns, std::move(turned)};
    }
    return result;
}

}  // namespace trevalune::rowreader

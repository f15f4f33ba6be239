#include "operations/alignment_loop.h"

#include <algorithm>
#include <cmath>

#include "alignment/value_text.h"

namespace trevalune {

namespace {

/// Noise (standard deviations) within which a neighbour counts as straight itself.
constexpr double kWithinNoise = 2.0;

const AlignRow* rowAt(const AlignReading& page, int value) {
    for (const AlignRow& row : page.rows) {
        if (row.value == value) return &row;
    }
    return nullptr;
}

}  // namespace

bool confirms(const AlignReading& page, int centre) {
    if (page.straight != centre || page.rows.empty()) return false;
    if (!std::all_of(page.rows.begin(), page.rows.end(), [](auto& r) { return r.whole; }))
        return false;
    const AlignRow* below = rowAt(page, centre - 1);
    const AlignRow* above = rowAt(page, centre + 1);
    if (below == nullptr || above == nullptr) return false;
    const auto straightish = [](const AlignRow& r) {
        return std::abs(r.offsetColumns) <= kWithinNoise * r.noiseColumns;
    };
    return below->offsetColumns * above->offsetColumns < 0 || straightish(*below) ||
           straightish(*above);
}

AlignmentLoop::AlignmentLoop(int start, bool canAsk, int maxPages)
    : centre_(start), canAsk_(canAsk), maxPages_(maxPages) {}

AlignStep AlignmentLoop::next(const AlignReading& page) {
    using Kind = AlignStep::Kind;
    ++pages_;
    if (confirms(page, centre_)) return {Kind::Save, centre_};
    // The straight row where the reader names one; else where the offsets' line predicts it,
    // kept to values that print rows.
    std::optional<int> target = page.straight;
    if (!target && page.predicted && std::isfinite(*page.predicted)) {
        target = static_cast<int>(std::lround(
            std::clamp(*page.predicted, double(kSampleRowsFrom), double(kSampleRowsTo))));
    }
    const bool moves = target && *target != centre_;
    if (!moves) ++doubtfulHere_;
    if (pages_ >= maxPages_ || (!moves && doubtfulHere_ > 1)) {
        return {canAsk_ ? Kind::Ask : Kind::Stop, centre_};
    }
    if (moves) {
        centre_ = *target;
        doubtfulHere_ = 0;
    }
    return {Kind::PrintAround, centre_};
}

}  // namespace trevalune

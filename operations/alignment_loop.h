#pragma once

#include <optional>
#include <vector>

#include "alignment/align_reading.h"

namespace trevalune {

/// What align does next.
struct AlignStep {
    enum class Kind {
        PrintAround,  ///< print the rows around `value`
        Save,         ///< `value` is confirmed: set it and save
        Ask,          ///< the reader cannot decide: ask the technician (around `value`)
        Stop,         ///< give up, nothing saved
    };
    Kind kind = Kind::Stop;
    int value = 0;
    friend bool operator==(const AlignStep&, const AlignStep&) = default;
};

/// The guided alignment as a state machine: one page's reading in, the next step out. A value
/// is saved only when a page confirms it: the marked row straight, every row whole and in
/// step, its two neighbours on opposite sides of straight (or within the noise). Otherwise
/// the next page is printed around the value the offsets predict, beyond the rows if need be;
/// a page that decides nothing is printed once more around the same value, then the
/// technician is asked (or, without one, align stops).
class AlignmentLoop final {
public:
    AlignmentLoop(int start, bool canAsk, int maxPages);

    /// The value the page just printed was printed around.
    int centre() const { return centre_; }

    /// The next step after a page printed around `centre()`.
    AlignStep next(const AlignReading& page);

    /// The technician chose the value the next page prints around.
    void printedAround(int value) {
        if (value != centre_) doubtfulHere_ = 0;
        centre_ = value;
    }

private:
    int centre_;
    bool canAsk_;
    int maxPages_;
    int pages_ = 0;
    int doubtfulHere_ = 0;  ///< pages around the same centre that decided nothing
};

/// Whether the page confirms the value it was printed around.
bool confirms(const AlignReading& page, int centre);

}  // namespace trevalune

#pragma once

#include <cstdint>
#include <functional>

#include "printer/spooler.h"

namespace trevalune {

/// The job poll reads level-1 records from the first job on, never more than kMaxPolledJobs.
inline constexpr std::uint32_t kJobPollFirstJob = 0;
inline constexpr auto kJobPollMaxJobs = static_cast<std::uint32_t>(kMaxPolledJobs);
inline constexpr std::uint32_t kJobPollLevel = 1;

/// What one job enumeration call reported: whether it succeeded, the buffer size the
/// records need, and how many records it wrote into the buffer.
struct EnumJobsAnswer {
    bool ok = false;
    std::uint32_t needed = 0;
    std::uint32_t returned = 0;
};

/// One job enumeration call into `buffer` of `size` bytes (null and 0 to ask for the size).
using EnumJobsCall = std::function<EnumJobsAnswer(unsigned char* buffer, std::uint32_t size)>;

/// Counts the queued jobs the way winspool wants to be asked: a sizing query with no
/// buffer, then the real query into a buffer of the size it named. Kept apart from the
/// system calls so that the two steps can be checked on any platform.
JobQuery pollJobsTwoStep(const EnumJobsCall& enumJobs);

}  // namespace trevalune

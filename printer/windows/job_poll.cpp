#include "printer/windows/job_poll.h"

#include <algorithm>
#include <vector>

namespace trevalune {

JobQuery pollJobsTwoStep(const EnumJobsCall& enumJobs) {
    std::uint32_t needed = enumJobs(nullptr, 0).needed;
    if (needed == 0) return {};  // an empty queue

    // Jobs may arrive between the sizing and the real query; then the buffer is too small
    // and the call fails. Reading that as "no records" would look like an emptied queue,
    // so ask again with the new size a few times before giving up.
    EnumJobsAnswer answer;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<unsigned char> buffer(needed);
        answer = enumJobs(buffer.data(), needed);
        if (answer.ok || answer.needed <= needed) break;
        needed = answer.needed;
    }
    const std::uint32_t returned = answer.ok ? answer.returned : 0;
    return JobQuery{true, static_cast<int>(std::min(returned, kJobPollMaxJobs))};
}

}  // namespace trevalune

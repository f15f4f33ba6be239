#include "printer/windows/job_poll.h"

#include <gtest/gtest.h>

#include <vector>

namespace trevalune {
namespace {

/// Plays the spooler's answers in turn and records how it was asked.
struct ScriptedEnumJobs {
    struct Call {
        bool hadBuffer;
        std::uint32_t size;
    };
    std::vector<EnumJobsAnswer> answers;
    std::vector<Call> calls;

    EnumJobsCall call() {
        return [this](unsigned char* buffer, std::uint32_t size) {
            calls.push_back({buffer != nullptr, size});
            if (calls.size() > answers.size()) return EnumJobsAnswer{};
            return answers[calls.size() - 1];
        };
    }
};

TEST(JobPoll, AsksForTheSizeFirstThenReadsIntoABufferOfThatSize) {
    struct Case {
        const char* what;
        std::vector<EnumJobsAnswer> answers;
        JobQuery expected;
        std::vector<std::uint32_t> sizesAsked;
    };
    const std::vector<Case> cases = {
        {"empty queue: one query only", {{true, 0, 0}}, {false, 0}, {0}},
        {"empty queue reported as a failed sizing call", {{false, 0, 0}}, {false, 0}, {0}},
        {"one job", {{false, 120, 0}, {true, 120, 1}}, {true, 1}, {0, 120}},
        {"two jobs", {{false, 240, 0}, {true, 240, 2}}, {true, 2}, {0, 240}},
        {"the job left between the queries", {{false, 120, 0}, {true, 0, 0}}, {true, 0}, {0, 120}},
        {"a failing second query delivers nothing",
         {{false, 120, 0}, {false, 0, 7}},
         {true, 0},
         {0, 120}},
        {"a job arrived between the queries: asked again with the new size",
         {{false, 120, 0}, {false, 240, 0}, {true, 240, 2}},
         {true, 2},
         {0, 120, 240}},
        {"a queue that keeps growing: given up after three attempts",
         {{false, 100, 0}, {false, 200, 0}, {false, 300, 0}, {false, 400, 0}, {true, 400, 4}},
         {true, 0},
         {0, 100, 200, 300}},
        {"never more than 99 records",
         {{false, 9000, 0}, {true, 9000, 150}},
         {true, 99},
         {0, 9000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedEnumJobs spooler{c.answers, {}};
        const JobQuery got = pollJobsTwoStep(spooler.call());
        EXPECT_EQ(got.anyJobs, c.expected.anyJobs);
        EXPECT_EQ(got.delivered, c.expected.delivered);
        ASSERT_EQ(spooler.calls.size(), c.sizesAsked.size());
        for (std::size_t i = 0; i < c.sizesAsked.size(); ++i) {
            EXPECT_EQ(spooler.calls[i].size, c.sizesAsked[i]) << "call " << i;
            EXPECT_EQ(spooler.calls[i].hadBuffer, i > 0) << "call " << i;
        }
    }
}

}  // namespace
}  // namespace trevalune

#include "printer/windows/job_poll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace trevalune {
namespace {

TEST(JobPoll, AsksForTheSizeFirstThenReadsIntoABufferOfThatSize) {
    const struct {
        const char* what;
        std::vector<EnumJobsAnswer> answers;  // the spooler's, in turn
        JobQuery expected;
        std::vector<std::uint32_t> sizesAsked;
    } cases[] = {
        {"empty queue: one query only", {{true, 0, 0}}, {false, 0}, {0}},
        {"empty queue reported as a failed sizing call", {{false, 0, 0}}, {false, 0}, {0}},
        {"one job", {{false, 120, 0}, {true, 120, 1}}, {true, 1}, {0, 120}},
        {"two jobs", {{false, 240, 0}, {true, 240, 2}}, {true, 2}, {0, 240}},
        {"the job left between the queries", {{false, 120, 0}, {true, 0, 0}}, {true, 0}, {0, 120}},
        {"failing second query", {{false, 120, 0}, {false, 0, 7}}, {true, 0}, {0, 120}},
        {"one more arrived: asked again",
         {{false, 120, 0}, {false, 240, 0}, {true, 240, 2}},
         {true, 2},
         {0, 120, 240}},
        {"keeps growing: given up after three attempts",
         {{false, 100, 0}, {false, 200, 0}, {false, 300, 0}, {false, 400, 0}, {true, 400, 4}},
         {true, 0},
         {0, 100, 200, 300}},
        {"at most 99 records", {{false, 9000, 0}, {true, 9000, 150}}, {true, 99}, {0, 9000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint32_t> sizes;
        std::vector<bool> buffers;
        const JobQuery got = pollJobsTwoStep([&](unsigned char* buffer, std::uint32_t size) {
            sizes.push_back(size);
            buffers.push_back(buffer != nullptr);
            return sizes.size() > c.answers.size() ? EnumJobsAnswer{} : c.answers[sizes.size() - 1];
        });
        EXPECT_EQ(got.anyJobs, c.expected.anyJobs);
        EXPECT_EQ(got.delivered, c.expected.delivered);
        EXPECT_EQ(sizes, c.sizesAsked);
        ASSERT_FALSE(buffers.empty());
        EXPECT_FALSE(buffers[0]);  // only the sizing query goes without a buffer
        EXPECT_EQ(std::count(buffers.begin(), buffers.end(), false), 1);
    }
}

}  // namespace
}  // namespace trevalune

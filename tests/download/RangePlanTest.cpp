#include <gtest/gtest.h>

#include "download/RangePlan.h"

void PrintTo(const PlannedRange& r, std::ostream* out) {
    *out << "{mirror " << r.mirror << ", " << r.start << ".." << r.end << "}";
}

namespace {

struct CutCase {
    const char* name;
    std::int64_t total;
    int mirrors;
    int perMirror;
    std::vector<PlannedRange> expected;
};

TEST(RangePlan, CutsTheFileIntoEqualRangesWithTheRemainderLast) {
    const std::vector<CutCase> cases = {
        {"ten bytes, three mirrors, two each", 10, 3, 2,
         {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 3, 3}, {1, 4, 4}, {2, 5, 9}}},
        {"even split", 12, 2, 2, {{0, 0, 2}, {1, 3, 5}, {0, 6, 8}, {1, 9, 11}}},
        {"fewer bytes than connections: one byte each, no empty range", 4, 3, 2,
         {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 3, 3}}},
        {"one byte", 1, 5, 2, {{0, 0, 0}}},
        {"empty file: nothing to fetch", 0, 3, 2, {}},
        {"per-mirror count outside 1..10 counts as 2", 8, 1, 11, {{0, 0, 3}, {0, 4, 7}}},
        {"zero per mirror counts as 2", 8, 1, 0, {{0, 0, 3}, {0, 4, 7}}},
        {"fallback alone with five connections", 10, 1, 5, {{0, 0, 1}, {0, 2, 3}, {0, 4, 5}, {0, 6, 7}, {0, 8, 9}}},
    };
    for (const CutCase& c : cases) {
        EXPECT_EQ(RangePlan::Cut(c.total, c.mirrors, c.perMirror), c.expected) << c.name;
    }
}

TEST(RangePlan, ShippedFileOverFiveMirrorsGivesTenRangesTheLastFourBytesLonger) {
    const auto ranges = RangePlan::Cut(1250109064, 5, 2);
    ASSERT_EQ(ranges.size(), 10u);
    for (std::size_t i = 0; i + 1 < ranges.size(); ++i) {
        EXPECT_EQ(ranges[i].end - ranges[i].start + 1, 125010906);
        EXPECT_EQ(ranges[i + 1].start, ranges[i].end + 1);
    }
    EXPECT_EQ(ranges.back().end - ranges.back().start + 1, 125010910);
    EXPECT_EQ(ranges.back().end, 1250109063);
}

TEST(RangePlan, OffsetsBeyondFourGigabytesStayExact) {
    const std::int64_t total = 6LL * 1024 * 1024 * 1024 + 3;
    const auto ranges = RangePlan::Cut(total, 2, 2);
    ASSERT_EQ(ranges.size(), 4u);
    EXPECT_EQ(ranges[3].end, total - 1);
    EXPECT_EQ(ranges[2].start, 2 * (total / 4));
}

}  // namespace

// Cutting the file into the ranges the first connections fetch.
#pragma once

#include <cstdint>
#include <vector>

struct PlannedRange {
    int mirror = 0;           // index into the used mirrors
    std::int64_t start = 0;
    std::int64_t end = 0;     // inclusive

    bool operator==(const PlannedRange&) const = default;
};

class RangePlan {
public:
    // Connections per mirror as the request asks, or the default outside 1..10.
    static int ConnectionsPerMirror(int requested);

    // mirrorCount × perMirror ranges of total / count bytes, the last one taking
    // the remainder; range i goes to mirror i mod mirrorCount. A file smaller
    // than the connection count gets one range per byte, never an empty range;
    // an empty file gets none.
    static std::vector<PlannedRange> Cut(std::int64_t total, int mirrorCount, int perMirror);
};

#include "download/RangePlan.h"

#include <algorithm>

#include "download/DownloadTypes.h"

int RangePlan::ConnectionsPerMirror(int requested) {
    return requested >= 1 && requested <= kMaxMirrors ? requested : kDefaultConnectionsPerMirror;
}

std::vector<PlannedRange> RangePlan::Cut(std::int64_t total, int mirrorCount, int perMirror) {
    std::vector<PlannedRange> ranges;
    if (total <= 0 || mirrorCount < 1) {
        return ranges;
    }
    const std::int64_t count = std::min<std::int64_t>(
        static_cast<std::int64_t>(mirrorCount) * ConnectionsPerMirror(perMirror), total);
    const std::int64_t chunk = total / count;
    ranges.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        PlannedRange range;
        range.mirror = static_cast<int>(i % mirrorCount);
        range.start = i * chunk;
        range.end = i + 1 == count ? total - 1 : (i + 1) * chunk - 1;
        ranges.push_back(range);
    }
    return ranges;
}

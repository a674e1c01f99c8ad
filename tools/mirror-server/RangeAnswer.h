// Which part of the file a /download request gets: the whole file (200), one
// byte range (206 with Content-Range) or nothing (416). The request's Range is
// taken as the HTTP library parsed it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mirror {

class RangeAnswer {
public:
    // One parsed range: (first, last) with -1 for a missing side, so
    // "bytes=5-" is (5, -1) and the suffix "bytes=-5" is (-1, 5).
    using Range = std::pair<ssize_t, ssize_t>;

    static RangeAnswer Decide(const std::vector<Range>& ranges, uint64_t size, bool ignoreRange);

    int status = 200;
    uint64_t first = 0;
    uint64_t length = 0;
    std::string contentRange;  // empty for 200
};

}  // namespace mirror

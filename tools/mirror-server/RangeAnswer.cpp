#include "RangeAnswer.h"

namespace mirror {

namespace {

RangeAnswer Whole(uint64_t size) {
    RangeAnswer answer;
    answer.length = size;
    return answer;
}

RangeAnswer Unsatisfiable(uint64_t size) {
    RangeAnswer answer;
    answer.status = 416;
    answer.contentRange = "bytes */" + std::to_string(size);
    return answer;
}

RangeAnswer Partial(uint64_t first, uint64_t last, uint64_t size) {
    RangeAnswer answer;
    answer.status = 206;
    answer.first = first;
    answer.length = last - first + 1;
    answer.contentRange =
        "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size);
    return answer;
}

}  // namespace

RangeAnswer RangeAnswer::Decide(const std::vector<Range>& ranges, uint64_t size, bool ignoreRange) {
    // A server may always answer a Range with the whole file; several ranges
    // would need a multipart body that no client of ours asks for.
    if (ignoreRange || ranges.size() != 1) {
        return Whole(size);
    }
    const auto [first, last] = ranges.front();
    if (first < 0) {
        // Suffix range: the last `last` bytes.
        if (last <= 0 || size == 0) {
            return last < 0 ? Whole(size) : Unsatisfiable(size);
        }
        const uint64_t count = static_cast<uint64_t>(last) < size ? static_cast<uint64_t>(last) : size;
        return Partial(size - count, size - 1, size);
    }
    if (last >= 0 && last < first) {
        return Whole(size);  // not a valid range: ignored, as a Range one cannot parse
    }
    if (static_cast<uint64_t>(first) >= size) {
        return Unsatisfiable(size);
    }
    const uint64_t end =
        (last < 0 || static_cast<uint64_t>(last) >= size) ? size - 1 : static_cast<uint64_t>(last);
    return Partial(static_cast<uint64_t>(first), end, size);
}

}  // namespace mirror

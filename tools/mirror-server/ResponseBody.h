// Streams one response body, a slice of the served file, to the HTTP library
// piece by piece, playing the mirror's faults on the way: a pause after N
// bytes, a cut connection after N bytes, inverted bytes in a span of the file
// and a rate limit. Without faults each piece is one pread and one write of up
// to 256 KiB, with no per-byte work.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "FileSource.h"
#include "MirrorSettings.h"
#include "StopSignal.h"

namespace mirror {

class ResponseBody {
public:
    // Borrows the file, the faults and the stop signal, which outlive every
    // response (they belong to the server).
    ResponseBody(const FileSource& file, uint64_t first, uint64_t length, const MirrorFaults& faults,
                 const StopSignal& stop);

    // The library's content provider: `offset` is the number of body bytes
    // already sent. Writes the next piece; false ends the response and closes
    // the connection.
    bool Provide(size_t offset, httplib::DataSink& sink);

private:
    size_t NextPieceLength(uint64_t offset) const;
    void InvertCorruptBytes(uint64_t fileOffset, size_t length);
    bool KeepRate(uint64_t offset);

    const FileSource& file_;
    const uint64_t first_;
    const uint64_t length_;
    const MirrorFaults& faults_;
    const StopSignal& stop_;

    std::vector<char> buffer_;
    bool stalled_ = false;
    // The rate is measured from here, so a stall does not earn a burst later.
    std::chrono::steady_clock::time_point rateStart_;
    uint64_t rateStartOffset_ = 0;
};

}  // namespace mirror

// How one connection item advances: the bytes a chunk may add to its range,
// its speed, and the state its transfer leaves it in. The engine calls these
// with its lock held.
#pragma once

#include <cstddef>
#include <cstdint>

#include "download/DownloadTypes.h"

class ItemProgress {
public:
    // Claims the part of a chunk of offered bytes that fits the item's range
    // and advances current past it, so that a cut or a split made before the
    // bytes are written starts after them. Returns the bytes claimed (0 when
    // the item is not running or its range is full) and their offset.
    static std::size_t Claim(DownloadItem& item, std::size_t offered, std::int64_t& offset);

    // Speed over the last chunk (bytes per second, 32-bit arithmetic) and the
    // tick of its arrival.
    static void RecordChunk(DownloadItem& item, std::size_t bytes, std::uint32_t now);

    // The state after the transfer returned with result: a running item
    // succeeds only when it got its whole range; an answer that ended early
    // without an error is a failure (CURLE_PARTIAL_FILE) so its rest is
    // handed on. Items cut short or stopped keep their state.
    static void Settle(DownloadItem& item, std::int32_t result, std::uint32_t now);
};

// The bytes one connection received but has not written yet. They are kept
// until they fill whole pages of the file: one large write that starts and
// ends on page boundaries costs the file system far less than many small
// ones, each of which makes it zero the rest of a fresh page and take the
// file's write lock again. The buffer holds at most kFlushSize plus one
// chunk, so memory stays flat however large the file is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ChunkBuffer {
public:
    // Bytes held before a write is due.
    static constexpr std::size_t kFlushSize = 256 * 1024;
    static constexpr std::int64_t kPageSize = 4096;

    bool Empty() const { return bytes_.empty(); }
    // The file offset just after the held bytes.
    std::int64_t End() const { return offset_ + static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t Offset() const { return offset_; }
    const char* Data() const { return bytes_.data(); }

    // Adds bytes for offset; an empty buffer starts there, a held run must end there.
    void Append(std::int64_t offset, const char* data, std::size_t size);
    // How many bytes from the front to write now: none below kFlushSize,
    // otherwise all that end on a page boundary; everything when all is set.
    std::size_t Ready(bool all) const;
    // Drops the first count bytes (written).
    void Consume(std::size_t count);
    void Clear() { bytes_.clear(); }

private:
    std::int64_t offset_ = 0;
    std::vector<char> bytes_;
};

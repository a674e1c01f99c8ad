#include "download/ChunkBuffer.h"

void ChunkBuffer::Append(std::int64_t offset, const char* data, std::size_t size) {
    if (bytes_.empty()) {
        offset_ = offset;
        bytes_.reserve(kFlushSize * 2);
    }
    bytes_.insert(bytes_.end(), data, data + size);
}

std::size_t ChunkBuffer::Ready(bool all) const {
    if (all || bytes_.empty()) {
        return bytes_.size();
    }
    if (bytes_.size() < kFlushSize) {
        return 0;
    }
    const std::int64_t alignedEnd = End() / kPageSize * kPageSize;
    return alignedEnd > offset_ ? static_cast<std::size_t>(alignedEnd - offset_) : bytes_.size();
}

void ChunkBuffer::Consume(std::size_t count) {
    if (count >= bytes_.size()) {
        bytes_.clear();
        return;
    }
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
    offset_ += static_cast<std::int64_t>(count);
}

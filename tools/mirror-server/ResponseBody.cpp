#include "ResponseBody.h"

#include <algorithm>

namespace mirror {

namespace {

// Large enough that loopback transfers are bound by the copy into the socket,
// small enough that 16 parallel responses stay at a few MiB of buffers.
constexpr size_t kPieceSize = 256 * 1024;

// A rate-limited body is sent in pieces of about a tenth of a second of data,
// so the pace is smooth at any rate.
constexpr uint64_t kRatePiecesPerSecond = 10;

}  // namespace

ResponseBody::ResponseBody(const FileSource& file, uint64_t first, uint64_t length,
                           const MirrorFaults& faults, const StopSignal& stop)
    : file_(file),
      first_(first),
      length_(length),
      faults_(faults),
      stop_(stop),
      buffer_(static_cast<size_t>(std::min<uint64_t>(length, kPieceSize))),
      rateStart_(std::chrono::steady_clock::now()) {}

bool ResponseBody::Provide(size_t offset, httplib::DataSink& sink) {
    if (faults_.closeAfter && offset >= *faults_.closeAfter) {
        return false;
    }
    if (faults_.stallAfter && !stalled_ && offset >= *faults_.stallAfter) {
        stalled_ = true;
        if (!stop_.WaitFor(faults_.stallTime)) {
            return false;
        }
        rateStart_ = std::chrono::steady_clock::now();
        rateStartOffset_ = offset;
    }
    const size_t length = NextPieceLength(offset);
    if (length == 0 || !file_.ReadAt(first_ + offset, buffer_.data(), length)) {
        return false;  // the file shrank under us: end the body short rather than pad it
    }
    if (!faults_.corrupt.empty()) {
        InvertCorruptBytes(first_ + offset, length);
    }
    if (!sink.write(buffer_.data(), length)) {
        return false;
    }
    return faults_.rate == 0 || KeepRate(offset + length);
}

size_t ResponseBody::NextPieceLength(uint64_t offset) const {
    uint64_t length = std::min<uint64_t>(length_ - offset, buffer_.size());
    // A piece ends where a fault begins, so that the fault hits the exact byte.
    if (faults_.stallAfter && !stalled_ && offset < *faults_.stallAfter) {
        length = std::min(length, *faults_.stallAfter - offset);
    }
    if (faults_.closeAfter) {
        length = std::min(length, *faults_.closeAfter - offset);
    }
    if (faults_.rate != 0) {
        length = std::min(length, std::max<uint64_t>(1, faults_.rate / kRatePiecesPerSecond));
    }
    return static_cast<size_t>(length);
}

void ResponseBody::InvertCorruptBytes(uint64_t fileOffset, size_t length) {
    const uint64_t pieceEnd = fileOffset + length;
    for (const ByteSpan& span : faults_.corrupt) {
        const uint64_t from = std::max(fileOffset, span.offset);
        const uint64_t to = std::min(pieceEnd, span.offset + span.length);
        for (uint64_t at = from; at < to; ++at) {
            buffer_[static_cast<size_t>(at - fileOffset)] ^= static_cast<char>(0xFF);
        }
    }
}

bool ResponseBody::KeepRate(uint64_t sent) {
    const uint64_t bytes = sent - rateStartOffset_;
    // Whole microseconds are plenty; the product cannot overflow below ~18 TB.
    const auto due = rateStart_ + std::chrono::microseconds(bytes * 1000000 / faults_.rate);
    return stop_.WaitUntil(due);
}

}  // namespace mirror

#include "download/BlockVerifier.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "download/DownloadTypes.h"
#include "util/Md5.h"

namespace {

// Read size of the whole-file pass: pieces small enough to stay in the
// processor's cache between the copy out of the page cache and the digest,
// large enough to keep the number of reads low.
constexpr std::size_t kWholeReadSize = 128 << 10;

// Reads up to size bytes at offset; fewer only at the end of the file. -1 on error.
ssize_t ReadFullyAt(int fd, unsigned char* buffer, std::size_t size, off_t offset) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, buffer + got, size - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

class ScopedFd {
public:
    explicit ScopedFd(int fd) : fd_(fd) {}
    ~ScopedFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

bool BlockVerifier::WholeDigest(int fd, std::string& digest) {
    if (fd < 0) {
        return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kWholeReadSize]);
    if (!buffer) {
        return false;
    }
    Md5Stream md5;
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ReadFullyAt(fd, buffer.get(), kWholeReadSize, offset);
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        md5.Update(buffer.get(), static_cast<std::size_t>(got));
        offset += got;
    }
    digest = md5.Finish(HexCase::Upper);
    return true;
}

bool BlockVerifier::BlockDigests(int fd, std::int64_t blockSize, std::vector<std::string>& digests) {
    if (fd < 0 || blockSize <= 0) {
        return false;
    }
    const auto size = static_cast<std::size_t>(blockSize);
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
    if (!buffer) {
        return false;
    }
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ReadFullyAt(fd, buffer.get(), size, offset);
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        digests.push_back(Md5OfBuffer(buffer.get(), static_cast<std::size_t>(got), HexCase::Upper));
        offset += got;
    }
    return true;
}

VerifyResult BlockVerifier::Verify(const std::string& path, const std::string& wholeDigest,
                                   const std::vector<std::string>& blockDigests, std::int64_t total) {
    VerifyResult result;
    const ScopedFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return result;
    }
    std::string digest;
    if (!WholeDigest(file.get(), digest)) {
        return result;
    }
    if (digest == wholeDigest) {
        result.outcome = VerifyOutcome::Verified;
        return result;
    }
    // Without block digests the whole digest is the only statement about the file.
    if (blockDigests.empty()) {
        return result;
    }
    std::vector<std::string> computed;
    if (!BlockDigests(file.get(), kBlockSize, computed) || computed.size() != blockDigests.size()) {
        return result;
    }
    for (std::size_t k = 0; k < computed.size(); ++k) {
        if (computed[k] != blockDigests[k]) {
            const std::int64_t first = static_cast<std::int64_t>(k) * kBlockSize;
            const std::int64_t last = std::min(first + kBlockSize, std::max(total, first + 1)) - 1;
            result.badBlocks.push_back(BadBlock{k, first, last});
        }
    }
    // Every block matching while the whole digest differs still verifies:
    // the block digests are the finer statement about the bytes.
    result.outcome = result.badBlocks.empty() ? VerifyOutcome::Verified : VerifyOutcome::BadBlocks;
    return result;
}

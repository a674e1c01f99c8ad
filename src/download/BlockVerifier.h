// Verifying the download file against the manifest's digests: first the
// whole-file digest, and only when that differs the digest of every 1 MiB
// block, to find the blocks that must be fetched again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One block to fetch again: bytes first to last, inclusive.
struct BadBlock {
    std::size_t index = 0;
    std::int64_t first = 0;
    std::int64_t last = 0;
};

enum class VerifyOutcome {
    Verified,      // the whole digest matches, or every block digest does
    BadBlocks,     // these blocks differ; fetching them again can fix the file
    Unverifiable,  // file missing or unreadable, or the block count differs: no repair helps
};

struct VerifyResult {
    VerifyOutcome outcome = VerifyOutcome::Unverifiable;
    std::vector<BadBlock> badBlocks;
};

class BlockVerifier {
public:
    // Upper-case MD5 of everything in the open file, read from its start in
    // large pieces (the digest does not depend on the piece size).
    static bool WholeDigest(int fd, std::string& digest);
    // Upper-case MD5 of every blockSize piece of the open file, in order.
    static bool BlockDigests(int fd, std::int64_t blockSize, std::vector<std::string>& digests);

    // Checks the file at path; total is the file's expected size, which bounds
    // the last block.
    static VerifyResult Verify(const std::string& path, const std::string& wholeDigest,
                               const std::vector<std::string>& blockDigests, std::int64_t total);
};

#include <gtest/gtest.h>

#include "download/BlockVerifier.h"
#include "download/DownloadFixture.h"
#include "support/TempDir.h"

namespace {

constexpr std::size_t kMiB = 1048576;

class BlockVerifierTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) { return dir_.WriteFile("setup.exe", bytes); }

    TempDir dir_;
};

TEST_F(BlockVerifierTest, CorrectFileVerifiesByTheWholeDigestAlone) {
    const Payload payload = Payload::Make(3 * kMiB);
    // Block digests that could never match show they were not needed.
    const std::vector<std::string> wrongBlocks(3, "00000000000000000000000000000000");
    const VerifyResult result =
        BlockVerifier::Verify(Write(payload.bytes), payload.wholeDigest, wrongBlocks, 3 * kMiB);
    EXPECT_EQ(result.outcome, VerifyOutcome::Verified);
}

TEST_F(BlockVerifierTest, FindsExactlyTheBlocksThatDiffer) {
    const struct {
        const char* name;
        std::size_t size;
        std::vector<std::size_t> corruptOffsets;
        std::vector<BadBlock> expected;
    } cases[] = {
        {"one byte in block 3 of 10", 10 * kMiB, {3 * kMiB + 17}, {{3, 3145728, 4194303}}},
        {"last, shorter block of a 2621440-byte file", 2621440, {2621439}, {{2, 2097152, 2621439}}},
        {"first and last byte of the file", 2 * kMiB + 5, {0, 2 * kMiB + 4},
         {{0, 0, 1048575}, {2, 2097152, 2097156}}},
    };
    for (const auto& c : cases) {
        const Payload payload = Payload::Make(c.size);
        std::string damaged = payload.bytes;
        for (std::size_t offset : c.corruptOffsets) {
            damaged[offset] = static_cast<char>(damaged[offset] ^ 0x5A);
        }
        const VerifyResult result = BlockVerifier::Verify(Write(damaged), payload.wholeDigest, payload.blockDigests,
                                                          static_cast<std::int64_t>(c.size));
        EXPECT_EQ(result.outcome, VerifyOutcome::BadBlocks) << c.name;
        ASSERT_EQ(result.badBlocks.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(result.badBlocks[i].index, c.expected[i].index) << c.name;
            EXPECT_EQ(result.badBlocks[i].first, c.expected[i].first) << c.name;
            EXPECT_EQ(result.badBlocks[i].last, c.expected[i].last) << c.name;
        }
    }
}

TEST_F(BlockVerifierTest, WhatNoRepairCanFixIsUnverifiable) {
    const Payload payload = Payload::Make(2 * kMiB + 10);
    std::string damaged = payload.bytes;
    damaged[5] = static_cast<char>(damaged[5] ^ 1);
    const std::string path = Write(damaged);
    std::vector<std::string> oneTooFew = payload.blockDigests;
    oneTooFew.pop_back();

    EXPECT_EQ(BlockVerifier::Verify(path, payload.wholeDigest, oneTooFew, 2 * kMiB + 10).outcome,
              VerifyOutcome::Unverifiable)
        << "a block count unlike the manifest's";
    EXPECT_EQ(BlockVerifier::Verify(path, payload.wholeDigest, {}, 2 * kMiB + 10).outcome,
              VerifyOutcome::Unverifiable)
        << "no block digests: the whole digest decides";
    EXPECT_EQ(BlockVerifier::Verify(dir_.Path("missing.exe"), payload.wholeDigest, payload.blockDigests, 10).outcome,
              VerifyOutcome::Unverifiable)
        << "missing file";
}

TEST_F(BlockVerifierTest, EveryBlockMatchingVerifiesEvenWhenTheWholeDigestDiffers) {
    const Payload payload = Payload::Make(kMiB + 3);
    const VerifyResult result = BlockVerifier::Verify(Write(payload.bytes), "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",
                                                      payload.blockDigests, kMiB + 3);
    EXPECT_EQ(result.outcome, VerifyOutcome::Verified);
}

}  // namespace

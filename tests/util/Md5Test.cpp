#include "util/Md5.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

namespace {

struct Md5Case {
    std::string input;
    const char* lower;
};

// Test vectors of RFC 1321.
const Md5Case kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, BufferDigestsMatchRfcVectorsInBothCases) {
    for (const Md5Case& c : kRfcVectors) {
        EXPECT_EQ(Md5OfBuffer(c.input.data(), c.input.size(), HexCase::Lower), c.lower);
        std::string upper = c.lower;
        for (char& ch : upper) ch = static_cast<char>(toupper(ch));
        EXPECT_EQ(Md5OfBuffer(c.input.data(), c.input.size(), HexCase::Upper), upper);
    }
}

TEST(Md5, FileDigestEqualsBufferDigestAcrossPieceBoundaries) {
    TempDir dir;
    // Larger than one read piece, and not a multiple of it.
    std::string content((1 << 20) * 2 + 12345, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + 7);
    const std::string path = dir.WriteFile("big.bin", content);
    std::string digest;
    ASSERT_TRUE(Md5OfFile(path, HexCase::Upper, digest));
    EXPECT_EQ(digest, Md5OfBuffer(content.data(), content.size(), HexCase::Upper));
}

TEST(Md5, MissingFileFailsAndLeavesDigestAlone) {
    std::string digest = "unchanged";
    EXPECT_FALSE(Md5OfFile("/nonexistent/file", HexCase::Lower, digest));
    EXPECT_EQ(digest, "unchanged");
}

}  // namespace

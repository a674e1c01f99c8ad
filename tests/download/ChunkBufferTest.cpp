#include <gtest/gtest.h>

#include <string>

#include "download/ChunkBuffer.h"

namespace {

TEST(ChunkBuffer, HoldsBytesUntilAWriteEndingOnAPageBoundaryIsDue) {
    ChunkBuffer buffer;
    const std::string chunk(100000, 'x');
    buffer.Append(1000, chunk.data(), chunk.size());
    EXPECT_EQ(buffer.Ready(false), 0u) << "below the flush size";
    EXPECT_EQ(buffer.Ready(true), 100000u) << "everything when the transfer ends";
    buffer.Append(101000, chunk.data(), chunk.size());
    buffer.Append(201000, chunk.data(), chunk.size());
    ASSERT_EQ(buffer.End(), 301000);
    const std::size_t ready = buffer.Ready(false);
    EXPECT_EQ((1000 + static_cast<std::int64_t>(ready)) % ChunkBuffer::kPageSize, 0) << "the write ends on a page";
    EXPECT_GT(buffer.End() - (1000 + static_cast<std::int64_t>(ready)), 0);
    EXPECT_LT(buffer.End() - (1000 + static_cast<std::int64_t>(ready)), ChunkBuffer::kPageSize);

    buffer.Consume(ready);
    EXPECT_EQ(buffer.Offset(), 1000 + static_cast<std::int64_t>(ready));
    EXPECT_EQ(buffer.End(), 301000) << "the tail stays for the next write";
    buffer.Consume(buffer.Ready(true));
    EXPECT_TRUE(buffer.Empty());
}

TEST(ChunkBuffer, KeepsTheBytesInOrder) {
    ChunkBuffer buffer;
    buffer.Append(10, "abc", 3);
    buffer.Append(13, "defg", 4);
    buffer.Consume(2);
    EXPECT_EQ(std::string(buffer.Data(), buffer.Ready(true)), "cdefg");
    EXPECT_EQ(buffer.Offset(), 12);
}

}  // namespace

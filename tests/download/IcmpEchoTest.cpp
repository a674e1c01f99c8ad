#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "download/IcmpEchoPacket.h"
#include "download/IcmpPinger.h"

namespace {

template <typename T>
T Field(const std::uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

TEST(IcmpEchoPacket, RequestLayout) {
    const auto packet = BuildEchoRequest(0x1234, 7, 0xA1B2C3D4u);
    ASSERT_EQ(packet.size(), 44u);
    EXPECT_EQ(packet[0], 8);
    EXPECT_EQ(packet[1], 0);
    EXPECT_EQ(Field<std::uint16_t>(&packet[4]), 0x1234);
    EXPECT_EQ(Field<std::uint16_t>(&packet[6]), 7);
    EXPECT_EQ(Field<std::uint32_t>(&packet[8]), 0xA1B2C3D4u);
    for (std::size_t i = 12; i < 44; ++i) {
        EXPECT_EQ(packet[i], 0) << i;
    }
    // A receiver summing the whole packet, checksum included, gets zero.
    EXPECT_EQ(InternetChecksum(packet.data(), packet.size()), 0);
    EXPECT_NE(Field<std::uint16_t>(&packet[2]), 0);
}

TEST(IcmpEchoPacket, ChecksumOfKnownWords) {
    // RFC 1071's example words 0001 f203 f4f5 f6f7 sum to ddf2 (before
    // complement) in network order; the sum is byte-order independent.
    const std::uint8_t data[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    const std::uint16_t checksum = InternetChecksum(data, sizeof data);
    std::uint8_t bytes[2];
    std::memcpy(bytes, &checksum, 2);
    EXPECT_EQ(bytes[0], static_cast<std::uint8_t>(~0xdd & 0xFF));
    EXPECT_EQ(bytes[1], static_cast<std::uint8_t>(~0xf2 & 0xFF));
}

// A reply as a raw socket delivers it: a 20-byte IPv4 header (TTL 64), then
// the ICMP message.
std::vector<std::uint8_t> RawReply(std::uint8_t type, std::uint16_t id, std::uint16_t sequence, std::uint32_t stamp,
                                   std::size_t payload = 32, std::uint8_t versionAndLength = 0x45) {
    std::vector<std::uint8_t> packet(20 + 12 + payload, 0);
    packet[0] = versionAndLength;
    packet[8] = 64;
    packet[20] = type;
    std::memcpy(&packet[24], &id, 2);
    std::memcpy(&packet[26], &sequence, 2);
    std::memcpy(&packet[28], &stamp, 4);
    return packet;
}

TEST(IcmpEchoPacket, AcceptsOnlyOurEchoReply) {
    const std::vector<std::uint8_t> whole = RawReply(0, 0x1234, 9, 1000);
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool accepted;
    } cases[] = {
        {"our reply", RawReply(0, 0x1234, 9, 1000), true},
        {"our own request seen on loopback", RawReply(8, 0x1234, 9, 1000), false},
        {"another process's identifier", RawReply(0, 0x4321, 9, 1000), false},
        {"an earlier sequence number", RawReply(0, 0x1234, 8, 1000), false},
        {"IP header length below 20", RawReply(0, 0x1234, 9, 1000, 32, 0x44), false},
        {"cut before the timestamp ends", std::vector<std::uint8_t>(whole.begin(), whole.begin() + 31), false},
        {"shorter than an IP header", std::vector<std::uint8_t>(10, 0), false},
    };
    for (const auto& c : cases) {
        ReceivedPacket packet{c.bytes.data(), c.bytes.size(), true, 0};
        PingReply reply;
        EXPECT_EQ(MatchEchoReply(packet, 0x1234, 9, 1250, reply), c.accepted) << c.name;
    }
}

TEST(IcmpEchoPacket, ReplyRecordFromARawPacket) {
    const auto bytes = RawReply(0, 0x1234, 9, 1000, 32);
    PingReply reply;
    ASSERT_TRUE(MatchEchoReply(ReceivedPacket{bytes.data(), bytes.size(), true, 0}, 0x1234, 9, 1250, reply));
    EXPECT_EQ(reply.sequence, 9);
    EXPECT_EQ(reply.roundTripMs, 250u);
    EXPECT_EQ(reply.payloadLength, 32u);
    EXPECT_EQ(reply.timeToLive, 64u);
}

TEST(IcmpEchoPacket, DatagramSocketPacketsHaveNoIpHeader) {
    const auto raw = RawReply(0, 0x0BAD, 3, 5000, 32);
    const std::vector<std::uint8_t> icmp(raw.begin() + 20, raw.end());
    PingReply reply;
    ASSERT_TRUE(MatchEchoReply(ReceivedPacket{icmp.data(), icmp.size(), false, 57}, 0x0BAD, 3, 5004, reply));
    EXPECT_EQ(reply.roundTripMs, 4u);
    EXPECT_EQ(reply.payloadLength, 32u);
    EXPECT_EQ(reply.timeToLive, 57u);
}

TEST(IcmpEchoPacket, SequenceNumbersCountUpAcrossThePing) {
    const std::uint16_t first = IcmpPinger::NextSequence();
    EXPECT_EQ(IcmpPinger::NextSequence(), static_cast<std::uint16_t>(first + 1));
}

TEST(IcmpPinger, LoopbackAnswers) {
    IcmpPinger pinger;
    if (!pinger.IsReady()) {
        GTEST_SKIP() << "this process may open no ICMP socket (not root, not in net.ipv4.ping_group_range)";
    }
    PingReply reply;
    ASSERT_TRUE(pinger.Ping("127.0.0.1", &reply, 2000));
    EXPECT_LT(reply.roundTripMs, 2000u);
    EXPECT_EQ(reply.payloadLength, 32u);
    EXPECT_TRUE(pinger.Ping("127.0.0.3", &reply, 2000)) << "every 127/8 address answers on Linux";
}

TEST(IcmpPinger, UnusableAddressIsNoAnswerAtOnce) {
    for (const auto kind : {IcmpPinger::SocketKind::Automatic, IcmpPinger::SocketKind::Datagram}) {
        IcmpPinger pinger(kind);
        PingReply reply;
        const auto start = std::chrono::steady_clock::now();
        // Neither text is a dotted IPv4 address: nothing is sent, nothing can answer.
        EXPECT_FALSE(pinger.Ping("not-an-address", &reply, 300));
        EXPECT_FALSE(pinger.Ping("256.1.1.1", &reply, 300));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }
}

}  // namespace

#include "download/IcmpEchoPacket.h"

#include <cstring>

namespace {

constexpr std::size_t kChecksumOffset = 2;
constexpr std::size_t kIdentifierOffset = 4;
constexpr std::size_t kSequenceOffset = 6;
constexpr std::size_t kTimestampOffset = 8;
constexpr std::size_t kMinIpHeaderSize = 20;
constexpr std::size_t kIpTtlOffset = 8;

template <typename T>
T Load(const std::uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T>
void Store(std::uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

}  // namespace

std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t size) {
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < size; i += 2) {
        sum += Load<std::uint16_t>(data + i);
    }
    if (i < size) {
        // A trailing odd byte counts as a word padded with a zero byte.
        std::uint8_t last[2] = {data[i], 0};
        sum += Load<std::uint16_t>(last);
    }
    while ((sum >> 16) != 0) {
        sum = (sum & 0xFFFFu) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum);
}

std::array<std::uint8_t, kEchoRequestSize> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                                            std::uint32_t timestamp) {
    std::array<std::uint8_t, kEchoRequestSize> packet{};
    packet[0] = kIcmpEchoRequest;
    packet[1] = 0;
    Store(packet.data() + kIdentifierOffset, identifier);
    Store(packet.data() + kSequenceOffset, sequence);
    Store(packet.data() + kTimestampOffset, timestamp);
    Store(packet.data() + kChecksumOffset, InternetChecksum(packet.data(), packet.size()));
    return packet;
}

bool MatchEchoReply(const ReceivedPacket& packet, std::uint16_t identifier, std::uint16_t sequence,
                    std::uint32_t now, PingReply& reply) {
    if (packet.data == nullptr) {
        return false;
    }
    std::size_t ipHeaderSize = 0;
    std::uint32_t timeToLive = packet.timeToLive;
    if (packet.hasIpHeader) {
        if (packet.size < kMinIpHeaderSize) {
            return false;
        }
        ipHeaderSize = static_cast<std::size_t>(packet.data[0] & 0x0Fu) * 4;
        if (ipHeaderSize < kMinIpHeaderSize) {
            return false;
        }
        timeToLive = packet.data[kIpTtlOffset];
    }
    if (packet.size < ipHeaderSize + kEchoHeaderSize) {
        return false;
    }
    const std::uint8_t* icmp = packet.data + ipHeaderSize;
    if (icmp[0] != kIcmpEchoReply || Load<std::uint16_t>(icmp + kIdentifierOffset) != identifier ||
        Load<std::uint16_t>(icmp + kSequenceOffset) != sequence) {
        return false;
    }
    reply.sequence = sequence;
    reply.roundTripMs = now - Load<std::uint32_t>(icmp + kTimestampOffset);
    reply.payloadLength = static_cast<std::uint32_t>(packet.size - ipHeaderSize - kEchoHeaderSize);
    reply.timeToLive = timeToLive;
    return true;
}

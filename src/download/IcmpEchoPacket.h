// The ICMP echo request the mirror ping sends, and the rules by which a
// received packet is accepted as its reply. Pure functions over bytes, so the
// layout and the matching can be checked without a socket.
//
// Request (44 bytes, multi-byte fields in the sender's byte order: the
// checksum does not depend on it): type 8, code 0, checksum, identifier,
// sequence number, a 4-byte millisecond timestamp, then 32 zero bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kEchoRequestSize = 44;
// Offset of the timestamp in the ICMP message; the payload follows it.
inline constexpr std::size_t kEchoHeaderSize = 12;
// Largest packet a reply is read into.
inline constexpr std::size_t kEchoReceiveSize = 256;
inline constexpr std::uint8_t kIcmpEchoRequest = 8;
inline constexpr std::uint8_t kIcmpEchoReply = 0;

struct PingReply {
    std::uint16_t sequence = 0;
    std::uint32_t roundTripMs = 0;
    std::uint32_t payloadLength = 0;
    std::uint32_t timeToLive = 0;
};

// Ones'-complement of the ones'-complement sum of the data as 16-bit words (RFC 1071).
std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t size);

std::array<std::uint8_t, kEchoRequestSize> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                                            std::uint32_t timestamp);

// The packet as it arrives: after an IPv4 header (raw sockets; its length is
// the low 4 bits of the first byte times 4, and the time-to-live is its byte
// 8) or without one (datagram ICMP sockets; the time-to-live comes apart).
struct ReceivedPacket {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    bool hasIpHeader = true;
    std::uint32_t timeToLive = 0;  // used when there is no IP header
};

// Accepts an echo reply (type 0) carrying our identifier and sequence number,
// and fills the reply record with the round trip measured against now. Short
// or malformed packets are refused.
bool MatchEchoReply(const ReceivedPacket& packet, std::uint16_t identifier, std::uint16_t sequence,
                    std::uint32_t now, PingReply& reply);

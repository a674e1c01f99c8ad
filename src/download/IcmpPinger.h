// ICMP echo to an IPv4 address, used to rank the mirrors by round trip.
// A raw socket is used when the process may open one (root); otherwise an
// unprivileged ICMP datagram socket, which the system allows to the groups in
// net.ipv4.ping_group_range. When neither can be opened the pinger is not
// ready and every ping reports no answer.
#pragma once

#include <cstdint>
#include <string>

#include "download/IcmpEchoPacket.h"

class IcmpPinger {
public:
    enum class SocketKind { Automatic, Raw, Datagram };

    // Each wait for a reply lasts at most this long before the time limit is checked again.
    static constexpr int kReplyPollMs = 100;

    explicit IcmpPinger(SocketKind kind = SocketKind::Automatic);
    ~IcmpPinger();
    IcmpPinger(const IcmpPinger&) = delete;
    IcmpPinger& operator=(const IcmpPinger&) = delete;

    bool IsReady() const { return socket_ >= 0; }
    SocketKind Kind() const { return kind_; }

    // Sends one echo request to the dotted IPv4 address and waits up to
    // limitMs for its reply. True when it came (reply filled if given); a
    // request that was sent counts as success when reply is null.
    bool Ping(const std::string& address, PingReply* reply, std::uint32_t limitMs);

    // The process-wide sequence counter, incremented before every request.
    static std::uint16_t NextSequence();

private:
    bool Receive(std::uint16_t identifier, std::uint16_t sequence, PingReply& reply);

    int socket_ = -1;
    SocketKind kind_ = SocketKind::Automatic;
    std::uint16_t identifier_ = 0;
};

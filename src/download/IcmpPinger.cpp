#include "download/IcmpPinger.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "app/log/ILog.h"
#include "platform/Tick.h"

namespace {

int OpenIcmpSocket(int type) {
    return ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
}

}  // namespace

std::uint16_t IcmpPinger::NextSequence() {
    static std::atomic<std::uint16_t> sequence{0};
    return static_cast<std::uint16_t>(sequence.fetch_add(1) + 1);
}

IcmpPinger::IcmpPinger(SocketKind kind) : identifier_(static_cast<std::uint16_t>(::getpid() & 0xFFFF)) {
    if (kind != SocketKind::Datagram) {
        socket_ = OpenIcmpSocket(SOCK_RAW);
        kind_ = SocketKind::Raw;
    }
    if (socket_ < 0 && kind != SocketKind::Raw) {
        socket_ = OpenIcmpSocket(SOCK_DGRAM);
        kind_ = SocketKind::Datagram;
        if (socket_ >= 0) {
            // The time-to-live of a reply comes as ancillary data on these sockets.
            const int on = 1;
            ::setsockopt(socket_, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
        }
    }
    if (socket_ < 0) {
        LogPrintf("WSASocket() failed: %d\n", errno);
    }
}

IcmpPinger::~IcmpPinger() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

bool IcmpPinger::Ping(const std::string& address, PingReply* reply, std::uint32_t limitMs) {
    if (!IsReady()) {
        return false;
    }
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address.c_str(), &destination.sin_addr) != 1) {
        return false;
    }
    const std::uint16_t sequence = NextSequence();
    const std::uint32_t t0 = platform::GetTickCount32();
    const auto request = BuildEchoRequest(identifier_, sequence, t0);
    if (::sendto(socket_, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&destination),
                 sizeof destination) < 0) {
        return false;
    }
    if (reply == nullptr) {
        return true;
    }
    // A datagram socket's requests carry the identifier the system gave the
    // socket (its port), not ours; replies carry it back.
    std::uint16_t identifier = identifier_;
    if (kind_ == SocketKind::Datagram) {
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
            identifier = local.sin_port;
        }
    }
    while (platform::GetTickCount32() - t0 < limitMs) {
        pollfd waiter{socket_, POLLIN, 0};
        const int ready = ::poll(&waiter, 1, kReplyPollMs);
        if (ready > 0 && Receive(identifier, sequence, *reply)) {
            return true;
        }
    }
    return false;
}

bool IcmpPinger::Receive(std::uint16_t identifier, std::uint16_t sequence, PingReply& reply) {
    std::uint8_t buffer[kEchoReceiveSize];
    alignas(cmsghdr) char control[64];
    iovec part{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(socket_, &message, MSG_DONTWAIT);
    if (got <= 0) {
        return false;
    }
    const std::uint32_t now = platform::GetTickCount32();
    ReceivedPacket packet;
    packet.data = buffer;
    packet.size = static_cast<std::size_t>(got);
    packet.hasIpHeader = kind_ == SocketKind::Raw;
    for (cmsghdr* item = CMSG_FIRSTHDR(&message); item != nullptr; item = CMSG_NXTHDR(&message, item)) {
        if (item->cmsg_level == IPPROTO_IP && item->cmsg_type == IP_TTL) {
            int ttl = 0;
            std::memcpy(&ttl, CMSG_DATA(item), sizeof ttl);
            packet.timeToLive = static_cast<std::uint32_t>(ttl);
        }
    }
    return MatchEchoReply(packet, identifier, sequence, now, reply);
}

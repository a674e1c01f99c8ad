#include "download/MirrorProbe.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include "app/log/ILog.h"
#include "download/CurlTransfer.h"
#include "download/IcmpPinger.h"
#include "download/MirrorUrl.h"

namespace {

// The reachability page is a few bytes; anything far larger is not one.
constexpr std::size_t kMaxPageSize = 64 * 1024;

// The first IPv4 address of a host name in dotted text; empty when it has none.
std::string ResolveIPv4(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return {};
    }
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
    ::freeaddrinfo(found);
    return text;
}

}  // namespace

MirrorProbe::MirrorProbe(const DownloadConfig& config, const ProxySetting& proxy) : config_(config), proxy_(proxy) {}

PingOutcome MirrorProbe::Ping(const std::string& url, std::uint32_t& roundTripMs) {
    const std::string host = HostOfUrl(url);
    if (host.empty()) {
        return PingOutcome::NoAnswer;
    }
    IcmpPinger pinger;
    if (!pinger.IsReady()) {
        return PingOutcome::NotPermitted;
    }
    const std::string address = PingAddressOfHost(host);
    PingReply reply;
    if (pinger.Ping(address, &reply, config_.pingTimeLimitMs)) {
        roundTripMs = reply.roundTripMs;
        return PingOutcome::Answered;
    }
    const std::string resolved = ResolveIPv4(address);
    if (!resolved.empty() && pinger.Ping(resolved, &reply, config_.pingTimeLimitMs)) {
        roundTripMs = reply.roundTripMs;
        return PingOutcome::Answered;
    }
    return PingOutcome::NoAnswer;
}

std::int64_t MirrorProbe::FileLength(const std::string& url) {
    TransferOptions options;
    options.url = url;
    options.userAgent = kProbeUserAgent;
    options.headOnly = true;
    options.connectTimeoutMs = config_.probeConnectTimeoutMs;
    options.timeoutMs = config_.probeTimeoutMs;
    options.proxy = proxy_;
    options.caBundle = config_.caBundle;
    CurlTransfer probe(options);
    const CURLcode result = probe.Perform(nullptr, nullptr);
    const std::int64_t length = result == CURLE_OK ? probe.ContentLength() : -1;
    LogPrintf("Download_GetDownloadFileLenth : result(%lld), url_err(%d).\n", static_cast<long long>(length),
              static_cast<int>(result));
    return length;
}

bool MirrorProbe::NetworkNotFull(const std::string& url) {
    if (IsFallbackUrl(config_, url)) {
        return true;
    }
    const std::string host = HostOfUrl(url);
    if (host.empty()) {
        return false;
    }
    for (const char* scheme : {"https://", "http://"}) {
        const std::string body = FetchText(scheme + host + "/flag.php");
        LogPrintf("Download : GetNetworkNotFull IP(%s), Result(%s).\n", host.c_str(), body.c_str());
        if (PageSaysNotFull(body)) {
            return true;
        }
    }
    return false;
}

std::string MirrorProbe::FetchText(const std::string& url) const {
    TransferOptions options;
    options.url = url;
    options.connectTimeoutMs = config_.probeConnectTimeoutMs;
    options.timeoutMs = config_.probeTimeoutMs;
    options.caBundle = config_.caBundle;
    CurlTransfer fetch(options);
    std::string body;
    const CurlTransfer::Sink sink = [&body](const char* data, std::size_t size) -> std::size_t {
        if (body.size() + size > kMaxPageSize) {
            return 0;  // not a reachability page: refuse it rather than hold it in memory
        }
        body.append(data, size);
        return size;
    };
    return fetch.Perform(sink, nullptr) == CURLE_OK ? body : "error";
}

bool MirrorProbe::PageSaysNotFull(const std::string& body) {
    return body.size() >= 2 && body[0] == '1';
}

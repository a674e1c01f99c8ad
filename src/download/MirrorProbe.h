// The mirror check's questions asked over the network: ICMP echo to the
// mirror's host, a HEAD request for the file's length, and the mirror's
// reachability page "/flag.php".
#pragma once

#include <string>

#include "download/DownloadConfig.h"
#include "download/DownloadTypes.h"
#include "download/IMirrorProbe.h"

class MirrorProbe final : public IMirrorProbe {
public:
    // The user agent of the size probe and of the manifest copy.
    static constexpr const char* kProbeUserAgent = "Lavf/55.13.102";

    MirrorProbe(const DownloadConfig& config, const ProxySetting& proxy);

    PingOutcome Ping(const std::string& url, std::uint32_t& roundTripMs) override;
    std::int64_t FileLength(const std::string& url) override;
    bool NetworkNotFull(const std::string& url) override;

    // The page body, or "error" when the fetch fails. No proxy, no user agent.
    std::string FetchText(const std::string& url) const;

    // The reachability page's rule: at least two characters, the first "1".
    static bool PageSaysNotFull(const std::string& body);

private:
    DownloadConfig config_;
    ProxySetting proxy_;
};

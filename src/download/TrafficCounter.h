// The report's traffic figures, counted from the item table: how many
// kilobytes each used mirror delivered, and how many came from the fallback.
#pragma once

#include <vector>

#include "download/DownloadConfig.h"
#include "download/DownloadTypes.h"

class TrafficCounter {
public:
    // Sum over the items on a fallback URL of (current - start) / 1024.
    static double FallbackKilobytes(const ItemTable& items, const DownloadConfig& config);

    // One entry per used mirror with a host: for a regular mirror the
    // kilobytes of the items whose URL contains its host, for the fallback
    // its kilobytes above; both truncated to whole kilobytes.
    static std::vector<MirrorTraffic> PerMirror(const ItemTable& items, const std::vector<UrlCfg>& used,
                                                const DownloadConfig& config);
};

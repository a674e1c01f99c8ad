// The mirror check before a download: every manifest mirror is pinged and
// probed, the good ones are sorted by round trip and cut to five, and one
// fallback URL (the CDN or the maker's main download host) stands apart. It
// tops up a list of one or two mirrors, and carries the download alone, with
// five connections, when no regular mirror is usable.
#pragma once

#include <functional>
#include <vector>

#include "download/DownloadConfig.h"
#include "download/DownloadTypes.h"
#include "download/IMirrorProbe.h"

struct MirrorSelection {
    std::vector<UrlCfg> all;   // every slot as examined, usable or not, in slot order
    std::vector<UrlCfg> used;  // the mirrors the connections are spread over
    UrlCfg fallback;           // usable when a fallback mirror exists
    int connectionsPerMirror = kDefaultConnectionsPerMirror;
};

class MirrorSelector {
public:
    static constexpr std::size_t kMaxUsedMirrors = 5;
    // A list shorter than this is topped up with the fallback mirror.
    static constexpr std::size_t kTopUpBelow = 3;

    // Both are borrowed for the selector's life.
    MirrorSelector(const DownloadConfig& config, IMirrorProbe& probe);

    // Examines the request's ten slots in order. cancelled is asked between
    // mirrors; once it says yes the selection comes back with no used mirror.
    MirrorSelection Select(const DownloadRequest& request, const std::function<bool()>& cancelled);

private:
    // Ping, size probe and reachability page of one regular mirror.
    void ExamineRegular(int slot, UrlCfg& mirror, std::int64_t total);

    const DownloadConfig& config_;
    IMirrorProbe& probe_;
};
